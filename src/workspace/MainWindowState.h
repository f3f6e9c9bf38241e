#pragma once
// The main window's menus, toolbar and status bar as plain data. The real window mirrors this
// model, so every lock and restore sequence can be run and checked without widgets.
#include <QList>
#include <QString>
#include <QStringList>
#include <array>

#include "MenuNames.h"

namespace tw
{

struct MenuItem {
    QString name;     // object name; empty for separators
    QString caption;  // exact menu text
    QString shortcut; // QKeySequence portable text ("Ctrl+N"), empty for none
    int parent = -1;  // index of the menu holding it; -1 for the menu bar
    bool separator = false;
    bool submenu = false;
    bool enabled = true;
    bool visible = true;
    bool checkable = false;
    bool checked = false;
};

struct ToolbarSlot {
    QString key;          // empty for a separator
    bool enabled = false; // as the window sequences set it; see isToolbarEnabled
    bool isSeparator() const { return key.isEmpty(); }
};

class MainWindowState
{
  public:
    static constexpr int ToolbarSlots = 21; // ToolbarButtons.h holds their rows
    static constexpr int StatusPanels = 8;

    // The state at start: every menu, item, toolbar slot and panel as the window is designed.
    MainWindowState();

    const QList<MenuItem> &items() const { return m_items; }
    // Index of a named item, -1 when there is none.
    int indexOf(const QString &name) const;
    const MenuItem *item(const QString &name) const;
    // Indices of the entries of a menu (-1: the menu bar), in order.
    QList<int> childrenOf(int index) const;

    // Unknown names are ignored by the setters and read as false.
    void setEnabled(const QString &name, bool enabled);
    void setVisible(const QString &name, bool visible);
    void setChecked(const QString &name, bool checked);
    bool isEnabled(const QString &name) const;
    bool isVisible(const QString &name) const;
    bool isChecked(const QString &name) const;
    // True when the item can be chosen: it and every menu above it are enabled and visible. A
    // command (or shortcut) of an item that is not reachable must not run.
    bool isReachable(const QString &name) const;
    bool isReachable(int index) const;

    // Toolbar slots 1..ToolbarSlots; separators keep their positions so 3..17 keep their meaning.
    const ToolbarSlot &toolbarSlot(int position) const;
    int toolbarPosition(const QString &key) const; // 0 when no slot has the key
    void setToolbarEnabled(int position, bool enabled);
    void setToolbarEnabled(const QString &key, bool enabled);
    // What the button shows: its slot's state, and for Undo and Redo their Edit item's state too,
    // so that those buttons never offer what the menu refuses.
    bool isToolbarEnabled(int position) const;
    bool isToolbarEnabled(const QString &key) const;
    // Keys of the enabled buttons, in slot order.
    QStringList enabledToolbarKeys() const;

    // Status-bar panels 1..StatusPanels.
    QString statusText(int panel) const;
    void setStatusText(int panel, const QString &text);

  private:
    MenuItem *namedItem(const QString &name);

    QList<MenuItem> m_items;
    std::array<ToolbarSlot, ToolbarSlots> m_toolbar;
    std::array<QString, StatusPanels> m_panels;
};

// The stored texts of status panels 2 to 8.
QStringList storedPanelTexts();

} // namespace tw
