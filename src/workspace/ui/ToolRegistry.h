#pragma once
// Tool windows and menu commands of the other subsystems, registered at start-up (see
// src/app/ToolRegistrations.cpp) so that the main window can open them without knowing them.
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
// Where a tool window opens: a window of its own, or a child window of the main window's
// workspace (beside the editors, fixed size, no minimise or maximise button).
enum class ToolPlacement { OwnWindow, WorkspaceChild };
void registerTool(const QString &name, ToolFactory factory,
                  ToolPlacement placement = ToolPlacement::OwnWindow);
ToolFactory toolFactory(const QString &name);
ToolPlacement toolPlacement(const QString &name);
bool isToolRegistered(const QString &name);

// A menu command owned by another subsystem, by the item's object name ("assembler51", "htb",
// "emMCS51", ...): it prepares its tool window and shows it through Workspace::showTool. Items
// without a command open the tool of defaultToolOfMenuItem(), when that is registered.
using MenuCommand = std::function<void(Workspace &)>;
void registerMenuCommand(const QString &itemName, MenuCommand command);
MenuCommand menuCommand(const QString &itemName);

// The tool window a menu item opens ("dasm51" opens the conversion window); empty for items of
// the main window's own commands.
QString defaultToolOfMenuItem(const QString &itemName);

} // namespace tw
