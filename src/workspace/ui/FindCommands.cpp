#include "FindCommands.h"

#include "MainWindow.h"
#include "ToolRegistry.h"
#include "ToolWindow.h"
#include "workspace/MenuNames.h"

#include <QPointer>

namespace tw
{

void registerFindDialog()
{
    const auto factory = [](Workspace &workspace) -> QWidget * {
        QPointer<MainWindow> main = dynamic_cast<MainWindow *>(&workspace);
        return new FindDialog([main] { return main ? main->activeEditor() : nullptr; });
    };
    registerTool(QString::fromLatin1(ToolName::Find), factory,
                 {{Menu::EditFindText,
                   [](Workspace &workspace) { openFindDialog(workspace, FindDialog::Mode::ByText); }},
                  {Menu::EditFindInstruction, [](Workspace &workspace) {
                       openFindDialog(workspace, FindDialog::Mode::ByInstruction);
                   }}});
}

void openFindDialog(Workspace &workspace, FindDialog::Mode mode)
{
    auto *main = dynamic_cast<MainWindow *>(&workspace);
    if (!main || !main->activeEditor())
        return;
    if (auto *dialog = showToolWindow<FindDialog>(workspace, ToolName::Find))
        dialog->start(mode);
}

} // namespace tw
