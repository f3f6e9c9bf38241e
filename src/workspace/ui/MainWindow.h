#pragma once
// The main window: menus, toolbar, status bar and the MDI area that holds the editor windows.
// It mirrors MainWindowState, and every other window reaches it through tw::Workspace.
#include "workspace/MainWindowState.h"
#include "workspace/Workspace.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QVector>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrinter;
class QToolBar;

namespace tw
{

class EditorWindow;
class HelpWindow;

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
    QString currentBinPath() const override { return m_currentBinPath; }
    void setCurrentBinPath(const QString &path) override { m_currentBinPath = path; }
    void setDialogFileName(const QString &path) override { m_dialogFileName = path; }
    void showTool(const QString &name) override;
    void unloadTool(const QString &name) override;
    bool isToolLoaded(const QString &name) const override;
    Prompter &prompter() override { return m_prompter; }
    void popupMenu(const QString &name, const QPoint &globalPosition) override;

    const MainWindowState &state() const { return m_state; }
    QString dialogFileName() const { return m_dialogFileName; }

    // Runs a menu command by the item's object name as a click on it would, if the item can be
    // chosen now; false when it cannot.
    bool triggerMenuItem(const QString &name);
    // Runs a toolbar button's command by its key ("New", "Zt", "FZ51", ...) if the button is enabled.
    bool clickToolbarButton(const QString &key);

    QAction *menuAction(const QString &name) const;
    QAction *toolbarAction(int position) const;
    QMenu *topMenu(const QString &name) const;
    QToolBar *toolBar() const { return m_toolBar; }
    QMdiArea *mdiArea() const { return m_mdiArea; }
    QLabel *statusPanel(int panel) const;

    // The editor window the Edit, File and find commands act on; nullptr when none is open.
    EditorWindow *activeEditor() const;
    QList<EditorWindow *> editors() const;
    // The open editor showing this path (exact comparison), if any.
    EditorWindow *editorShowing(const QString &path) const;
    // A tool window's instance while it is loaded.
    QWidget *toolWindow(const QString &name) const;
    HelpWindow *helpWindow() const;

    // Printing goes to this printer; print set-up configures it for the session.
    QPrinter *printer();
    // The text the last print sent to the printer.
    QString lastPrintedText() const { return m_lastPrintedText; }

  protected:
    void closeEvent(QCloseEvent *event) override;

  private:
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void bindCommands();
    void mirrorMenu(int index);
    void mirrorMenuTree(int index);
    void mirrorToolbarButton(int position);
    void runCommand(const QString &itemName);
    void runOtherSubsystemCommand(const QString &itemName);
    void fillWindowMenu();
    void onSubWindowActivated(QMdiSubWindow *window);
    EditorWindow *newEditorWindow();
    // openInEditor without looking for an editor that holds the file already.
    void openInNewEditor(const QString &path, const QString &caption);
    // The open editor holding this file, the path compared after resolving links and relative parts.
    EditorWindow *editorHolding(const QString &path) const;
    void activateEditor(EditorWindow *editor);
    void reportUnreadable(const QString &path);
    QMdiSubWindow *subWindowOf(const EditorWindow *editor) const;
    void showWorkspaceChild(const QString &name, QWidget *window);
    QWidget *makeTool(const QString &name);
    // The screen above the status bar, where tool windows go.
    QRect toolArea() const;
    // Sizes and moves a tool window so that its frame lies in toolArea(), centred on centre.
    void placeTool(QWidget *window, QPoint centre);
    void cascadeEditors();

    void newFile();
    void openFileOfKind(const QString &title, const QString &filter);
    void saveActive(bool as);
    void printSetup();
    void printActive();
    void chooseFont();
    void editUndo(bool redo);
    void editSelectAll();
    void editCopy(bool cut);
    void editPaste();
    // Shows or hides the toolbar or status bar and ticks its View item to match.
    void toggleBar(QWidget *bar, const QString &itemName);
    void showHelpPage(const QString &fileName);
    void showFaq();
    void startCalculator();

    Prompter &m_prompter;
    MainWindowState m_state;
    QMdiArea *m_mdiArea = nullptr;
    QToolBar *m_toolBar = nullptr;
    QVector<QAction *> m_menuActions; // by index into m_state.items()
    QHash<QString, QMenu *> m_menus;
    QVector<QAction *> m_toolbarActions; // slot 1 at index 0
    QVector<QLabel *> m_panels;
    QHash<QString, std::function<void()>> m_commands;
    QHash<QString, QPointer<QWidget>> m_tools;
    QPointer<EditorWindow> m_lastActiveEditor;
    QPointer<HelpWindow> m_helpWindow;
    std::unique_ptr<QPrinter> m_ownPrinter;
    QString m_currentBinPath;
    QString m_dialogFileName;
    QString m_lastPrintedText;
};

} // namespace tw
