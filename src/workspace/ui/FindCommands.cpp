#include "FindCommands.h"

#include "MainWindow.h"
#include "ToolRegistry.h"
#include "workspace/MenuNames.h"

#include <QPointer>

namespace tw
{

void registerFindDialog()
{
    registerTool(QString::fromLatin1(ToolName::Find), [](Workspace &workspace) -> QWidget * {
        QPointer<MainWindow> main = dynamic_cast<MainWindow *>(&workspace);
        return new FindDialog([main] { return main ? main->activeEditor() : nullptr; });
    });
    registerMenuCommand(Menu::EditFindText,
                        [](Workspace &workspace) { openFindDialog(workspace, FindDialog::Mode::ByText); });
    registerMenuCommand(Menu::EditFindInstruction, [](Workspace &workspace) {
        openFindDialog(workspace, FindDialog::Mode::ByInstruction);
    });
}

void openFindDialog(Workspace &workspace, FindDialog::Mode mode)
{
    auto *main = dynamic_cast<MainWindow *>(&workspace);
    if (!main || !main->activeEditor())
        return;
    main->showTool(QString::fromLatin1(ToolName::Find));
    if (auto *dialog = qobject_cast<FindDialog *>(main->toolWindow(QString::fromLatin1(ToolName::Find))))
        dialog->start(mode);
}

} // namespace tw
