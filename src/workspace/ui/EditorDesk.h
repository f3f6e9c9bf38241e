#pragma once
// The main window's editor desk: the MDI area with one editor window per file, and the commands
// that act on the editors: new, open, save, print, font, the edit commands and the Window menu.
// A file shown again by a tool reloads the editor that holds it instead of opening a second one.
#include <QObject>
#include <QPointer>
#include <memory>

class QMainWindow;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrinter;

namespace tw
{

class EditorWindow;
class Prompter;
class Workspace;

class EditorDesk : public QObject
{
    Q_OBJECT

  public:
    // The MDI area becomes window's central widget; its editors work for workspace and ask their
    // questions through prompter.
    EditorDesk(QMainWindow &window, Workspace &workspace, Prompter &prompter);
    ~EditorDesk() override;

    QMdiArea *mdiArea() const { return m_mdiArea; }

    // Workspace's editors.
    void openInEditor(const QString &path, const QString &caption);
    bool closeAllEditors();
    int editorCount() const;
    QString activeEditorCaption() const;
    QString dialogFileName() const { return m_dialogFileName; }
    void setDialogFileName(const QString &path) { m_dialogFileName = path; }

    // The editor window the Edit, File and find commands act on; nullptr when none is open.
    EditorWindow *activeEditor() const;
    QList<EditorWindow *> editors() const;
    // The open editor showing this path (exact comparison), if any.
    EditorWindow *editorShowing(const QString &path) const;
    // Deletes every editor without asking (the main window goes).
    void deleteEditors();

    // The File menu.
    void newFile();
    void openFileOfKind(const QString &title, const QString &filter);
    void saveActive(bool as);
    // Printing goes to this printer; print set-up configures it for the session.
    QPrinter *printer();
    void printSetup();
    void printActive();
    // The text the last print sent to the printer.
    QString lastPrintedText() const { return m_lastPrintedText; }
    void chooseFont();

    // The Edit menu.
    void editUndo(bool redo);
    void editSelectAll();
    void editCopy(bool cut);
    void editPaste();

    // The Window menu: tile, cascade, and the list of open child windows under its two items.
    void tileEditors();
    void cascadeEditors();
    void fillWindowMenu(QMenu *menu);

  private:
    void onSubWindowActivated(QMdiSubWindow *window);
    EditorWindow *newEditorWindow();
    // openInEditor without looking for an editor that holds the file already.
    void openInNewEditor(const QString &path, const QString &caption);
    // The open editor holding this file, the path compared after resolving links and relative parts.
    EditorWindow *editorHolding(const QString &path) const;
    void reloadEditor(EditorWindow *editor, const QString &path, const QString &caption);
    void activateEditor(EditorWindow *editor);
    void reportUnreadable(const QString &path);
    QMdiSubWindow *subWindowOf(const EditorWindow *editor) const;
    QList<QMdiSubWindow *> cascadingWindows() const;
    void addWindowEntry(QMenu *menu, QMdiSubWindow *window, int number);

    QMainWindow &m_window;
    Workspace &m_workspace;
    Prompter &m_prompter;
    QMdiArea *m_mdiArea = nullptr;
    QPointer<EditorWindow> m_lastActiveEditor;
    std::unique_ptr<QPrinter> m_ownPrinter;
    QString m_dialogFileName;
    QString m_lastPrintedText;
};

} // namespace tw
