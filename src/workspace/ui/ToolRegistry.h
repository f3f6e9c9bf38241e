#pragma once
// Tool windows and the menu commands that prepare them, the main window's own help windows among
// them, registered at start-up (see src/app/ToolRegistrations.cpp) so that the main window can
// open them without knowing them.
#include <QList>
#include <QString>
#include <functional>

class QWidget;

namespace tw
{

class Workspace;

// Makes the single instance of a tool window. The window is shown modeless by the main window;
// its own close handling (restoreMainWindow for the locking group) runs when it is closed by the
// user or unloaded by another window, and it is deleted afterwards.
// An empty factory takes the name out of the registry again.
using ToolFactory = std::function<QWidget *(Workspace &)>;
// A registered menu command, by the item's object name ("assembler51", "htb", "emMCS51", ...): it
// prepares its tool window and shows it through Workspace::showTool.
using MenuCommand = std::function<void(Workspace &)>;

// A menu item that opens a tool window: through its command when it has one, else by showing
// the window as it is.
struct ToolMenuItem {
    QString name;
    MenuCommand command;
};

// The tool's menu items are named here and nowhere else; an item the main window has no command
// of its own for opens the tool whose registration names it.
void registerTool(const QString &name, ToolFactory factory, const QList<ToolMenuItem> &menuItems = {});
ToolFactory toolFactory(const QString &name);
bool isToolRegistered(const QString &name);

// A command for a menu item by itself; an empty command takes it out again.
void registerMenuCommand(const QString &itemName, MenuCommand command);
MenuCommand menuCommand(const QString &itemName);

// The tool window a menu item opens, as the tool's registration names it; empty for items of the
// main window's own commands.
QString defaultToolOfMenuItem(const QString &itemName);

} // namespace tw
