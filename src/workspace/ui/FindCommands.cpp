#include "FindCommands.h"

#include "MainWindow.h"
#include "ToolRegistry.h"

#include <QPointer>

namespace tw
{

void registerFindDialog()
{
    registerTool(QString::fromLatin1(ToolName::Find), [](Workspace &workspace) -> QWidget * {
        QPointer<MainWindow> main = dynamic_cast<MainWindow *>(&workspace);
        return new FindDialog([main] { return main ? main->activeEditor() : nullptr; });
    });
    registerMenuCommand(QStringLiteral("mEditFindzf"),
                        [](Workspace &workspace) { openFindDialog(workspace, FindDialog::Mode::ByText); });
    registerMenuCommand(QStringLiteral("mEditFindzl"), [](Workspace &workspace) {
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
