#pragma once
// How the large tool windows take the main window over while they are open and give it back when
// they close, and the editor windows' side of that rule. Tool names are those of ToolName.
//
// A tool window of the locking group calls lockMainWindow() once it has set itself up and
// restoreMainWindow() once when it closes; the windows' ToolWindow base (workspace/ui) holds
// both steps.
#include <QString>
#include <QStringList>

namespace tw
{

class Workspace;

// While a group window is open, the Edit and Window menus are either greyed or taken off the bar.
enum class EditMenusWhileLocked { Disabled, Hidden };

struct ToolLockRule {
    QString tool;
    // Windows this one closes when it opens, in order (the other group windows, find and About).
    QStringList unloads;
    EditMenusWhileLocked editMenus = EditMenusWhileLocked::Disabled;
    // Top menus in the order this window switches them off and on again.
    QStringList topMenus;
};

// The windows that lock the main window: assembler, simulator, conversion, subroutine library,
// serial sender and programmer.
const QStringList &lockingTools();
// The rule of a locking tool; a rule with an empty tool name for any other window.
const ToolLockRule &lockRule(const QString &tool);

// Closes the windows of the tool's unload list (each runs its own close steps).
void unloadOtherTools(Workspace &workspace, const QString &tool);
// Switches the top menus off (or hides Edit and Window) and disables every toolbar button.
void switchOffMainWindow(Workspace &workspace, const QString &tool);
// Both, in that order. Windows outside the group are left alone.
void lockMainWindow(Workspace &workspace, const QString &tool);

// Run when a group window closes: the top menus come back; then the Edit and Window menus are
// shown, and every toolbar button enabled, exactly when an editor is open; with no editor only
// New, Open, asm and FZ51 are enabled. The simulator also gives back the file and Select All
// items and the simulate command that the assembler's simulate answer switched off.
void restoreMainWindow(Workspace &workspace, const QString &tool);

// Toolbar test of the restore: all buttons when the Edit menu is visible, else the four.
void applyToolbarTest(Workspace &workspace);

// Every window an opening editor closes: the whole group and the find and About windows.
const QStringList &windowsClosedByEditors();
// An editor window opens: the tool windows close, then the Edit and Window menus are shown and
// Save, Save As, Print, Close All and every toolbar button are enabled.
void enterEditingState(Workspace &workspace);
// The last editor window has closed: the Edit and Window menus hidden, the four File items and
// toolbar buttons 3 to 17 disabled, status panel 1 cleared.
void leaveEditingState(Workspace &workspace);

// The four keys enabled when no editor is open.
const QStringList &idleToolbarKeys();

} // namespace tw
