#pragma once
// The main window's frame: the menus, the toolbar and the status bar, built from MainWindowState
// and kept mirroring it. It knows no command: a chosen item or clicked button hands its name to
// the runner the main window gives it.
#include "workspace/MainWindowState.h"

#include <QHash>
#include <QObject>
#include <QVector>
#include <functional>

class QAction;
class QLabel;
class QMainWindow;
class QMenu;
class QToolBar;

namespace tw
{

class MainFrame : public QObject
{
    Q_OBJECT

  public:
    // Runs the command of a menu item, by its object name.
    using CommandRunner = std::function<void(const QString &itemName)>;

    // Builds the menu bar, the toolbar and the status bar into window.
    MainFrame(QMainWindow &window, CommandRunner runCommand);
    ~MainFrame() override;

    const MainWindowState &state() const { return m_state; }

    void setMenuEnabled(const QString &name, bool enabled);
    bool isMenuEnabled(const QString &name) const;
    void setMenuVisible(const QString &name, bool visible);
    bool isMenuVisible(const QString &name) const;
    void setToolbarButtonEnabled(int position, bool enabled);
    void setToolbarButtonEnabled(const QString &key, bool enabled);
    bool isToolbarButtonEnabled(int position) const;
    void setStatusText(int panel, const QString &text);
    QString statusText(int panel) const;
    // Pops a top menu up at a screen position when it can be reached.
    void popupMenu(const QString &name, const QPoint &globalPosition);

    // Runs a menu command by the item's object name as a click on it would, if the item can be
    // chosen now; false when it cannot.
    bool triggerMenuItem(const QString &name);
    // Runs a toolbar button's command by its key if the button is enabled.
    bool clickToolbarButton(const QString &key);
    // Shows or hides the toolbar or the status bar and ticks its View item to match.
    void toggleToolBar();
    void toggleStatusBar();

    QAction *menuAction(const QString &name) const;
    QAction *toolbarAction(int position) const;
    QMenu *topMenu(const QString &name) const;
    QToolBar *toolBar() const { return m_toolBar; }
    QLabel *statusPanel(int panel) const;

  private:
    void buildMenus();
    QAction *addMenu(const MenuItem &entry, QMenu *parentMenu);
    QAction *addItem(const MenuItem &entry, QMenu *parentMenu);
    void buildToolBar();
    QAction *toolbarButton(int position);
    void buildStatusBar();
    void toggleBar(QWidget *bar, const QString &itemName);
    void mirrorMenu(int index);
    void mirrorMenuTree(int index);
    void mirrorToolbarButton(int position);

    QMainWindow &m_window;
    CommandRunner m_runCommand;
    MainWindowState m_state;
    QToolBar *m_toolBar = nullptr;
    QVector<QAction *> m_menuActions; // by index into m_state.items()
    QHash<QString, QMenu *> m_menus;
    QVector<QAction *> m_toolbarActions; // slot 1 at index 0
    QVector<QLabel *> m_panels;
};

} // namespace tw
