#pragma once
// The main window, in three parts: the frame (menus, toolbar, status bar, mirroring
// MainWindowState), the editor desk (the MDI editors and the commands on them) and the tool host
// (the tool windows). It implements Workspace, through which every other window reaches it, by
// handing each call to one of them, and it routes the menu commands to the part that does them.
#include "workspace/MainWindowState.h"
#include "workspace/Workspace.h"

#include <QHash>
#include <QMainWindow>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QPrinter;
class QToolBar;

namespace tw
{

class EditorDesk;
class EditorWindow;
class HelpWindow;
class MainFrame;
class ToolHost;

class MainWindow : public QMainWindow, public Workspace
{
    Q_OBJECT

  public:
    explicit MainWindow(Prompter &prompter, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Workspace
    void setMenuEnabled(const QString &name, bool enabled) override;
    bool isMenuEnabled(const QString &name) const override;
    void setMenuVisible(const QString &name, bool visible) override;
    bool isMenuVisible(const QString &name) const override;
    int toolbarButtonCount() const override;
    void setToolbarButtonEnabled(int position, bool enabled) override;
    void setToolbarButtonEnabled(const QString &key, bool enabled) override;
    bool isToolbarButtonEnabled(int position) const override;
    void setStatusText(int panel, const QString &text) override;
    QString statusText(int panel) const override;
    void openInEditor(const QString &path, const QString &caption = QString()) override;
    bool closeAllEditors() override;
    int editorCount() const override;
    QString activeEditorCaption() const override;
    QString currentBinPath() const override;
    void setCurrentBinPath(const QString &path) override;
    void setDialogFileName(const QString &path) override;
    void showTool(const QString &name) override;
    void unloadTool(const QString &name) override;
    bool isToolLoaded(const QString &name) const override;
    QWidget *toolWindow(const QString &name) const override;
    Prompter &prompter() override { return m_prompter; }
    void popupMenu(const QString &name, const QPoint &globalPosition) override;

    const MainWindowState &state() const;
    QString dialogFileName() const;

    // Runs a menu command by the item's object name as a click on it would, if the item can be
    // chosen now; false when it cannot.
    bool triggerMenuItem(const QString &name);
    // Runs a toolbar button's command by its key ("New", "Zt", "FZ51", ...) if the button is enabled.
    bool clickToolbarButton(const QString &key);

    QAction *menuAction(const QString &name) const;
    QAction *toolbarAction(int position) const;
    QMenu *topMenu(const QString &name) const;
    QToolBar *toolBar() const;
    QMdiArea *mdiArea() const;
    QLabel *statusPanel(int panel) const;

    // The editor window the Edit, File and find commands act on; nullptr when none is open.
    EditorWindow *activeEditor() const;
    QList<EditorWindow *> editors() const;
    // The open editor showing this path (exact comparison), if any.
    EditorWindow *editorShowing(const QString &path) const;
    HelpWindow *helpWindow() const;

    // Printing goes to this printer; print set-up configures it for the session.
    QPrinter *printer();
    // The text the last print sent to the printer.
    QString lastPrintedText() const;

  protected:
    void closeEvent(QCloseEvent *event) override;

  private:
    void bindCommands();
    void bindFileCommands();
    void bindEditCommands();
    void bindViewAndHelpCommands();
    void runCommand(const QString &itemName);
    void runOtherSubsystemCommand(const QString &itemName);
    void startCalculator();

    Prompter &m_prompter;
    std::unique_ptr<EditorDesk> m_desk;
    std::unique_ptr<MainFrame> m_frame;
    std::unique_ptr<ToolHost> m_tools;
    QHash<QString, std::function<void()>> m_commands;
};

} // namespace tw
