#include "EditorWindow.h"

#include "common/Caret.h"
#include "common/Prompter.h"
#include "common/ui/TabStops.h"
#include "source/Tidier.h"
#include "workspace/EditorFiles.h"
#include "workspace/MainWindowState.h"
#include "workspace/MenuNames.h"
#include "workspace/Messages.h"
#include "workspace/ToolWindowProtocol.h"
#include "workspace/Workspace.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QVBoxLayout>

namespace tw
{

namespace
{

// Every editor alive, so the last one to close can tell that it is the last.
QList<EditorWindow *> &liveEditors()
{
    static QList<EditorWindow *> editors;
    return editors;
}

} // namespace

EditorWindow::EditorWindow(Workspace &workspace, Prompter &prompter, QWidget *parent)
    : QWidget(parent), m_workspace(workspace), m_prompter(prompter)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(newTextCaption());

    m_editor = new QPlainTextEdit(this);
    m_editor->setObjectName(QStringLiteral("textEditor"));
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_editor->setWordWrapMode(QTextOption::NoWrap);
    m_editor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setTabColumns(m_editor);
    // The right button pops up the main window's Edit menu instead of the control's own menu.
    m_editor->setContextMenuPolicy(Qt::PreventContextMenu);
    m_editor->viewport()->installEventFilter(this);
    m_editor->installEventFilter(this);
    setFocusProxy(m_editor);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_editor);

    connect(m_editor->document(), &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        if (removed != 0 || added != 0)
            onTextChanged();
    });
    connect(m_editor, &QPlainTextEdit::undoAvailable, this, &EditorWindow::publishUndoState);
    connect(m_editor, &QPlainTextEdit::redoAvailable, this, &EditorWindow::publishUndoState);
    connect(m_editor, &QPlainTextEdit::cursorPositionChanged, this, &EditorWindow::showCaret);
    // A selection can start elsewhere while the caret stays put.
    connect(m_editor, &QPlainTextEdit::selectionChanged, this, &EditorWindow::showCaret);

    liveEditors().append(this);
}

EditorWindow::~EditorWindow()
{
    liveEditors().removeAll(this);
}

QString EditorWindow::newTextCaption()
{
    return QStringLiteral(u"源程序编辑");
}

QString EditorWindow::messageCaption()
{
    return QStringLiteral(u"编译信息");
}

int EditorWindow::openEditorCount(const Workspace &workspace)
{
    int count = 0;
    for (const EditorWindow *editor : liveEditors())
        if (&editor->m_workspace == &workspace && !editor->m_closed)
            ++count;
    return count;
}

void EditorWindow::onLoad()
{
    if (m_loaded)
        return;
    m_loaded = true;
    // The tool windows close before the editing state is set, so their restore cannot undo it.
    enterEditingState(m_workspace);
    showCaret();
}

void EditorWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    onLoad();
}

QString EditorWindow::text() const
{
    QString raw = m_editor->document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, u'\n');
    return raw;
}

QString EditorWindow::selectedText() const
{
    QString selected = m_editor->textCursor().selectedText();
    selected.replace(QChar::ParagraphSeparator, u'\n');
    return selected;
}

bool EditorWindow::loadFile(const QString &path)
{
    // Looked at before it is read: a file saved while it is read then differs from both, and the
    // first save asks.
    const FileState state = fileStateAt(path);
    const auto bytes = readBinaryFile(path);
    if (!bytes)
        return false;
    const TextFileContent content = decodeText(*bytes);
    m_encoding = content.encoding;
    m_byteOrderMark = content.byteOrderMark;
    m_strayBytes = content.strayBytes;
    m_fromFile = true;
    m_disk = DiskState::of(path, *bytes, state);
    m_editor->setPlainText(editorTextFromFile(content.text));
    return true;
}

// The file as stored after a save, read in the encoding just written: detecting it again could
// read a short GBK text another way.
void EditorWindow::reloadSaved(const FileState &ours)
{
    const auto bytes = readBinaryFile(m_openFile);
    // Only the file this editor or its tidier has just written is shown; one another program put
    // there since stays on disk, the text just written stays here, and the next save asks.
    if (!bytes || !ours.exists || fileStateAt(m_openFile) != ours)
        return;
    const TextFileContent content = decodeText(*bytes, m_encoding);
    // The tidier's rewrite is this editor's own, not another program's.
    m_disk = DiskState::of(m_openFile, *bytes, ours);
    m_byteOrderMark = content.byteOrderMark;
    m_strayBytes = content.strayBytes;
    m_editor->setPlainText(editorTextFromFile(content.text));
}

void EditorWindow::onTextChanged()
{
    m_hasChanged = true;
    publishUndoState();
}

// A freshly loaded file leaves nothing to undo, so Undo and Redo go off as after any change.
void EditorWindow::publishUndoState()
{
    if (m_closed)
        return;
    const bool canUndo = m_editor->document()->isUndoAvailable();
    const bool canRedo = m_editor->document()->isRedoAvailable();
    m_workspace.setMenuEnabled(Menu::EditUndo, canUndo);
    m_workspace.setToolbarButtonEnabled(ToolbarKey::Undo, canUndo);
    m_workspace.setMenuEnabled(Menu::EditRedo, canRedo);
    m_workspace.setToolbarButtonEnabled(ToolbarKey::Redo, canRedo);
}

QString EditorWindow::caretText() const
{
    // Where the selection starts, so a found pattern shows where it begins rather than where it
    // ends. A selection that starts on an earlier line than the caret is placed by its start's
    // own line: counted from the caret's line its column would fall below 1.
    const QTextCursor cursor = m_editor->textCursor();
    const int start = cursor.selectionStart();
    const QTextBlock block = m_editor->document()->findBlock(start);
    return caretPanelText({block.blockNumber() + 1, start - block.position() + 1});
}

void EditorWindow::showCaret()
{
    if (m_closed)
        return;
    m_workspace.setStatusText(1, caretText());
}

std::optional<FileState> EditorWindow::agreedReplacement(const QString &path, bool changedMeanwhile,
                                                         const std::optional<FileState> &inDialog)
{
    // Written over unasked, another program's change to the file would be lost without a word.
    // Looked at before and after the bytes are compared, so that a save in between is seen too.
    const FileState before = fileStateAt(path);
    if (!changedMeanwhile && !m_disk.changedAt(path) && fileStateAt(path) == before)
        return inDialog ? *inDialog : before;
    // What the user agrees to replace is what stands there as the question is put.
    const FileState asked = fileStateAt(path);
    // No is the default: a user who only presses Enter or Esc keeps the other program's change.
    if (m_prompter.message(changedOnDiskText(path),
                           MsgStyle::YesNo + MsgStyle::Exclamation + MsgStyle::DefaultButton2,
                           kWorkspaceInfoTitle) != MsgAnswer::Yes)
        return std::nullopt;
    return asked;
}

void EditorWindow::sayNotSaved(const QString &path, bool cannotEncode, const QString &reason)
{
    const QString why = reason.isEmpty() ? QString() : QStringLiteral(u"（") + reason + QStringLiteral(u"）");
    m_prompter.message(saveFailedText(path, cannotEncode) + why, MsgStyle::Exclamation, kWorkspaceInfoTitle);
}

bool EditorWindow::refusedBeforeAsking(const QString &path)
{
    const QString refusal = outputRefusalAt(path);
    if (!refusal.isEmpty())
        sayNotSaved(path, false, refusal);
    return !refusal.isEmpty();
}

bool EditorWindow::writeTo(const QString &path, const std::optional<FileState> &inDialog)
{
    if (refusedBeforeAsking(path))
        return false;
    std::optional<FileState> agreed = agreedReplacement(path, false, inDialog);
    if (!agreed)
        return false;
    const QString fileText = fileTextFromEditor(text());
    const SaveEncoding plan = saveEncodingFor(fileText, m_encoding, m_strayBytes, m_fromFile);
    if (!plan.question.isEmpty() && m_prompter.message(plan.question, MsgStyle::YesNo + MsgStyle::Question,
                                                       QStringLiteral(u"提示")) != MsgAnswer::Yes)
        return false;
    const bool byteOrderMark = m_byteOrderMark && plan.encoding == TextEncoding::Utf8;
    const auto bytes = tryEncodeText(fileText, plan.encoding, byteOrderMark);
    CheckedReplacement done;
    if (bytes) {
        // Another program that changes the file while the user answers, or between the look and
        // the write, gets its file left as it left it, and the question is put again.
        while ((done = replaceFileExpecting(path, *bytes, WriteSync::Durable, *agreed)).changedMeanwhile)
            if (refusedBeforeAsking(path) || !(agreed = agreedReplacement(path, true, std::nullopt)))
                return false;
    }
    if (!bytes || !done.reason.isEmpty()) {
        sayNotSaved(path, !bytes, done.reason);
        return false;
    }
    m_disk = DiskState::of(path, *bytes, done.written);
    m_encoding = plan.encoding;
    m_byteOrderMark = byteOrderMark;
    m_strayBytes = false;
    m_fromFile = true;
    return true;
}

bool EditorWindow::saveUnder(const SaveChoice &choice)
{
    if (choice.path.isEmpty() || !writeTo(choice.path, choice.agreed))
        return false;
    m_openFile = choice.path;
    setWindowTitle(choice.path);
    clearChanged();
    return true;
}

bool EditorWindow::saveFile()
{
    if (m_openFile.isEmpty()) {
        const FileDialogText dialog = saveDialogText();
        return saveUnder(
            chooseSaveName(m_prompter, dialog.title, dialog.filter, QString(), withDefaultSuffix));
    }
    if (!writeTo(m_openFile, std::nullopt))
        return false;
    clearChanged();
    return true;
}

bool EditorWindow::saveFileAs()
{
    const FileDialogText dialog = saveAsDialogText();
    return saveUnder(chooseSaveName(m_prompter, dialog.title, dialog.filter, m_openFile, withDefaultSuffix));
}

bool EditorWindow::saveWithTidy(bool (EditorWindow::*save)())
{
    if (!(this->*save)())
        return false;
    // The tidier fails quietly and leaves the file as just saved; it only speaks when it refuses to
    // change the user's characters.
    FileState ours = m_disk.state;
    if (isTidiedSourcePath(m_openFile)) {
        const TidyOutcome tidied = tidySourceFile(m_openFile, m_encoding, ours);
        if (tidied.result == TidyOutcome::Result::Refused)
            m_prompter.message(tidyRefusedText(m_openFile), MsgStyle::Exclamation, kWorkspaceInfoTitle);
        if (tidied)
            ours = tidied.written;
    }
    reloadSaved(ours);
    clearChanged();
    return true;
}

bool EditorWindow::saveFromMenu()
{
    return saveWithTidy(&EditorWindow::saveFile);
}

bool EditorWindow::saveAsFromMenu()
{
    return saveWithTidy(&EditorWindow::saveFileAs);
}

bool EditorWindow::askSaveBeforeClose()
{
    if (!m_hasChanged || closesWithoutQuestion(m_openFile))
        return true;
    const int answer = m_prompter.message(QStringLiteral(u"是否保存 ") + windowTitle(),
                                          MsgStyle::YesNoCancel + MsgStyle::Exclamation, QString());
    if (answer == MsgAnswer::Cancel)
        return false;
    if (answer == MsgAnswer::Yes)
        return saveFile(); // a cancelled dialog or a failed write keeps the window open
    return true;
}

void EditorWindow::closeEvent(QCloseEvent *event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    if (!askSaveBeforeClose()) {
        event->ignore();
        return;
    }
    const bool last = openEditorCount(m_workspace) == 1;
    m_closed = true;
    if (last)
        leaveEditingState(m_workspace);
    event->accept();
}

namespace
{

// The menus keep their layout and shortcuts for good; only their states change, and those are the
// workspace's.
const MainWindowState &menuLayout()
{
    static const MainWindowState layout;
    return layout;
}

// The menu item whose command a key gives: an item's own shortcut, or the text box's standard key
// for the same Edit command (Shift+Delete cuts as Ctrl+X does). -1 for any other key.
int menuItemOfKey(const QKeyEvent *key)
{
    static const std::pair<QKeySequence::StandardKey, const char *> editKeys[] = {
        {QKeySequence::SelectAll, Menu::EditSelectAll},
        {QKeySequence::Undo, Menu::EditUndo},
        {QKeySequence::Redo, Menu::EditRedo},
        {QKeySequence::Copy, Menu::EditCopy},
        {QKeySequence::Cut, Menu::EditCut}};
    for (const auto &[sequence, item] : editKeys)
        if (key->matches(sequence))
            return menuLayout().indexOf(QString::fromLatin1(item));
    const QKeySequence pressed(key->keyCombination());
    const QList<MenuItem> &items = menuLayout().items();
    for (int index = 0; index < items.size(); ++index)
        if (!items[index].shortcut.isEmpty() &&
            QKeySequence(items[index].shortcut, QKeySequence::PortableText) == pressed)
            return index;
    return -1;
}

} // namespace

bool EditorWindow::isBlockedKey(const QKeyEvent *key) const
{
    // A menu item that cannot be chosen keeps its key from the text box too: a switched-off
    // shortcut lets the key through to the box, which would run its own binding of it instead
    // (Ctrl+D deletes a character under X11's key bindings) or the command the menu refuses.
    const QList<MenuItem> &items = menuLayout().items();
    for (int index = menuItemOfKey(key); index >= 0; index = items[index].parent)
        if (!m_workspace.isMenuVisible(items[index].name) || !m_workspace.isMenuEnabled(items[index].name))
            return true;
    return false;
}

bool EditorWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_editor && event->type() == QEvent::FocusIn) {
        showCaret();
    } else if (watched == m_editor &&
               (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
        // Not claimed here, the key goes to the menu item's own (disabled) shortcut and no further.
        if (isBlockedKey(static_cast<QKeyEvent *>(event)))
            return true;
    } else if (watched == m_editor->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::RightButton) {
            m_workspace.popupMenu(Menu::Edit, mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tw
