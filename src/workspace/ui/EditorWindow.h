#pragma once
// An editor window: one plain-text editor over one file, a child of the main window's MDI area.
// A new one is made for every file; a tool that shows a file an editor holds already reloads that
// editor instead (Workspace::openInEditor).
//
// How the main window uses it:
//   auto *editor = new EditorWindow(workspace, prompter);
//   mdiArea->addSubWindow(editor);   // the editor deletes itself on close (WA_DeleteOnClose)
//   editor->show();                  // the first show runs the load step (onLoad)
//   editor->setOpenFile(path); editor->loadFile(path); editor->setWindowTitle(caption);
//   editor->clearChanged();
// Close it through its QMdiSubWindow (or close() when it stands alone); the save question runs
// in its closeEvent and may refuse the close.
#include "common/SaveChoice.h"
#include "common/TextFile.h"
#include "workspace/EditorFiles.h"

#include <QString>
#include <QWidget>

class QKeyEvent;
class QPlainTextEdit;

namespace tw
{

class Prompter;
class Workspace;

class EditorWindow : public QWidget
{
    Q_OBJECT

  public:
    EditorWindow(Workspace &workspace, Prompter &prompter, QWidget *parent = nullptr);
    ~EditorWindow() override;

    // Captions of a new text and of the assembler's and converter's message files.
    static QString newTextCaption();
    static QString messageCaption();

    // The load step, run once (showing the editor runs it when it has not run yet): the main window
    // goes into its editing state, the tool windows of the group and the find and About windows
    // are unloaded, and panel 1 shows the caret. Call it once the editor is in the MDI area, so the
    // tools' restore steps count it as open.
    void onLoad();

    // Full path of the file shown; empty for a new, unnamed text.
    QString openFile() const { return m_openFile; }
    void setOpenFile(const QString &path) { m_openFile = path; }

    // The text differs from the file: set by every change of the text.
    bool hasChanged() const { return m_hasChanged; }
    void setHasChanged(bool changed) { m_hasChanged = changed; }
    void clearChanged() { m_hasChanged = false; }

    // Loads a file as plain text (GBK or UTF-8, decided for the whole file; CR LF, LF and a lone CR
    // end lines) and remembers its encoding for writing back. False when it cannot be read: the text is left
    // as it was. The caption and the change flag are the caller's.
    // The file as read is remembered: a later save over a file another program has changed since
    // asks first.
    bool loadFile(const QString &path);
    // The encoding the next save writes.
    TextEncoding encoding() const { return m_encoding; }

    // Saves the text to OpenFile, or through the save dialog when there is none. True when the
    // text was written; false when the dialog was cancelled, the write failed (said in a message)
    // or the user chose not to overwrite a change another program made to the file.
    // Either way a failure leaves the text, OpenFile and the change flag as they were.
    bool saveFile();
    // Saves under a name chosen in the "另存为" dialog; same results as saveFile.
    bool saveFileAs();
    // The File menu's Save and Save As: save, tidy an .asm source, reload the file as stored and
    // clear the change flag. False when nothing was saved (then nothing is tidied or reloaded).
    bool saveFromMenu();
    bool saveAsFromMenu();

    // The editor control: plain text, no wrapping.
    QPlainTextEdit *editor() const { return m_editor; }
    // The whole text, lines ended by LF.
    QString text() const;
    // The selected text, lines ended by LF; empty without a selection.
    QString selectedText() const;

    // Writes the caret's line and column to status panel 1 (the main window calls it when this
    // editor becomes the active one).
    void showCaret();
    QString caretText() const;

    // The window has accepted its close and only waits to be deleted.
    bool isClosed() const { return m_closed; }

    // Live editor windows working for this workspace.
    static int openEditorCount(const Workspace &workspace);

  protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void onTextChanged();
    void publishUndoState();
    // What a save to path may replace: what its save dialog's question found there (inDialog),
    // else what stands there, when it holds what this editor last read or wrote (or is another
    // file); else, after a Yes to the question, what stood there as it was put. Nothing when the
    // user said No.
    std::optional<FileState> agreedReplacement(const QString &path, bool changedMeanwhile,
                                               const std::optional<FileState> &inDialog);
    bool writeTo(const QString &path, const std::optional<FileState> &inDialog);
    // The writer's refusals before any question (outputRefusalAt) come before this editor's
    // questions too, where Yes could do nothing: true, after the message, when path is refused.
    bool refusedBeforeAsking(const QString &path);
    // "文件保存失败，原文件未改动：PATH（REASON）", with the encoding's words where it failed.
    void sayNotSaved(const QString &path, bool cannotEncode, const QString &reason);
    // Shows the file as stored, when it is still ours (the file just written, or tidied).
    void reloadSaved(const FileState &ours);
    bool saveUnder(const SaveChoice &choice);
    bool saveWithTidy(bool (EditorWindow::*save)());
    bool askSaveBeforeClose();
    bool isBlockedKey(const QKeyEvent *key) const;

    Workspace &m_workspace;
    Prompter &m_prompter;
    QPlainTextEdit *m_editor = nullptr;
    QString m_openFile;
    // How the file was read, so that a save gives back its bytes.
    TextEncoding m_encoding = TextEncoding::Gbk;
    bool m_byteOrderMark = false;
    bool m_strayBytes = false;
    bool m_fromFile = false; // false for a new text, which has no encoding of its own yet
    // The file as this editor last read or wrote it.
    DiskState m_disk;
    bool m_hasChanged = false;
    bool m_loaded = false;
    bool m_closed = false;
};

} // namespace tw
