#include "ToolWindowProtocol.h"

#include "MenuNames.h"
#include "Workspace.h"

namespace tw
{

namespace
{

QStringList names(std::initializer_list<const char *> list)
{
    QStringList result;
    for (const char *name : list)
        result.append(QString::fromLatin1(name));
    return result;
}

const QStringList &fileItemsOfEditors()
{
    static const QStringList items =
        names({Menu::FilePrint, Menu::FileSave, Menu::FileSaveAs, Menu::FileCloseAll});
    return items;
}

// The eight top menus in the order the assembler, simulator and serial sender switch them.
QStringList allEightMenus()
{
    using namespace Menu;
    return names({Edit, File, Compile, Communication, Simulate, View, Tools, Window});
}

// The six that the hiding windows disable (they hide Edit and Window instead).
QStringList sixMenus()
{
    using namespace Menu;
    return names({File, Compile, Communication, Simulate, View, Tools});
}

QList<ToolLockRule> buildRules()
{
    using namespace ToolName;
    struct Lock {
        const char *tool;
        EditMenusWhileLocked editMenus;
    };
    const Lock locks[] = {
        {Assembler, EditMenusWhileLocked::Disabled},    {Simulator, EditMenusWhileLocked::Disabled},
        {Conversion, EditMenusWhileLocked::Hidden},     {Library, EditMenusWhileLocked::Hidden},
        {SerialSender, EditMenusWhileLocked::Disabled}, {Programmer, EditMenusWhileLocked::Hidden}};
    QList<ToolLockRule> rules;
    for (const Lock &lock : locks) {
        const QString tool = QString::fromLatin1(lock.tool);
        // Each window closes the same ones the editors close, itself left out; the windows that
        // hide the Edit and Window menus disable only the other six.
        QStringList unloads = windowsClosedByEditors();
        unloads.removeAll(tool);
        rules.append({tool, unloads, lock.editMenus,
                      lock.editMenus == EditMenusWhileLocked::Hidden ? sixMenus() : allEightMenus()});
    }
    return rules;
}

const QList<ToolLockRule> &rules()
{
    static const QList<ToolLockRule> all = buildRules();
    return all;
}

void setAllToolbarButtons(Workspace &workspace, bool enabled)
{
    for (int position = 1; position <= workspace.toolbarButtonCount(); ++position)
        workspace.setToolbarButtonEnabled(position, enabled);
}

} // namespace

const QStringList &lockingTools()
{
    using namespace ToolName;
    static const QStringList tools =
        names({Assembler, Simulator, Conversion, Library, SerialSender, Programmer});
    return tools;
}

const ToolLockRule &lockRule(const QString &tool)
{
    for (const ToolLockRule &rule : rules())
        if (rule.tool == tool)
            return rule;
    static const ToolLockRule none;
    return none;
}

const QStringList &idleToolbarKeys()
{
    static const QStringList keys =
        names({ToolbarKey::New, ToolbarKey::Open, ToolbarKey::Assemble, ToolbarKey::Simulate});
    return keys;
}

const QStringList &windowsClosedByEditors()
{
    using namespace ToolName;
    static const QStringList list =
        names({Library, Simulator, Assembler, Find, Conversion, About, SerialSender, Programmer});
    return list;
}

void unloadOtherTools(Workspace &workspace, const QString &tool)
{
    for (const QString &other : lockRule(tool).unloads)
        workspace.unloadTool(other);
}

void switchOffMainWindow(Workspace &workspace, const QString &tool)
{
    const ToolLockRule &rule = lockRule(tool);
    if (rule.tool.isEmpty())
        return;
    if (rule.editMenus == EditMenusWhileLocked::Hidden)
        workspace.setMenuVisible(QString::fromLatin1(Menu::Edit), false);
    for (const QString &menu : rule.topMenus)
        workspace.setMenuEnabled(menu, false);
    if (rule.editMenus == EditMenusWhileLocked::Hidden)
        workspace.setMenuVisible(QString::fromLatin1(Menu::Window), false);
    setAllToolbarButtons(workspace, false);
}

void lockMainWindow(Workspace &workspace, const QString &tool)
{
    unloadOtherTools(workspace, tool);
    switchOffMainWindow(workspace, tool);
}

void applyToolbarTest(Workspace &workspace)
{
    if (workspace.isMenuVisible(QString::fromLatin1(Menu::Edit))) {
        setAllToolbarButtons(workspace, true);
        return;
    }
    setAllToolbarButtons(workspace, false);
    for (const QString &key : idleToolbarKeys())
        workspace.setToolbarButtonEnabled(key, true);
}

void restoreMainWindow(Workspace &workspace, const QString &tool)
{
    const ToolLockRule &rule = lockRule(tool);
    if (rule.tool.isEmpty())
        return;
    // Every window that switched a menu off switches it on again, the Edit and Window menus too:
    // a window that hid them still leaves them enabled for the next editor.
    for (const QString &menu : allEightMenus())
        workspace.setMenuEnabled(menu, true);
    // The menus follow the editors, not the window that closed: a window that hid the Edit menu
    // would otherwise leave open editors without it, and one that showed it would offer editor
    // commands with no editor to act on.
    const bool editorsOpen = workspace.editorCount() > 0;
    workspace.setMenuVisible(QString::fromLatin1(Menu::Edit), editorsOpen);
    workspace.setMenuVisible(QString::fromLatin1(Menu::Window), editorsOpen);
    if (tool == QLatin1String(ToolName::Simulator)) {
        // The assembler's simulate answer switched these off for as long as the simulator runs.
        for (const char *item : {Menu::FileNew, Menu::FileOpen, Menu::EditSelectAll, Menu::Simulate51})
            workspace.setMenuEnabled(QString::fromLatin1(item), true);
        for (const char *item : {Menu::FileSave, Menu::FileSaveAs})
            workspace.setMenuEnabled(QString::fromLatin1(item), editorsOpen);
    }
    applyToolbarTest(workspace);
}

void enterEditingState(Workspace &workspace)
{
    // The tools close first, so that their restore finds the editor counted and the editing
    // state below is the last word.
    for (const QString &tool : windowsClosedByEditors())
        workspace.unloadTool(tool);
    workspace.setMenuVisible(QString::fromLatin1(Menu::Edit), true);
    workspace.setMenuVisible(QString::fromLatin1(Menu::Window), true);
    for (const QString &item : fileItemsOfEditors())
        workspace.setMenuEnabled(item, true);
    setAllToolbarButtons(workspace, true);
}

void leaveEditingState(Workspace &workspace)
{
    workspace.setMenuVisible(QString::fromLatin1(Menu::Edit), false);
    for (const QString &item : fileItemsOfEditors())
        workspace.setMenuEnabled(item, false);
    workspace.setMenuVisible(QString::fromLatin1(Menu::Window), false);
    for (int position = 3; position <= 17; ++position)
        workspace.setToolbarButtonEnabled(position, false);
    workspace.setStatusText(1, QString());
}

} // namespace tw
