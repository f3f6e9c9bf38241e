#include "EditorDesk.h"

#include "EditorWindow.h"
#include "WindowPlacement.h"
#include "common/Paths.h"
#include "common/Prompter.h"
#include "common/ui/QtPrompter.h"
#include "workspace/Messages.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QStyle>
#include <QTextDocument>

using namespace Qt::StringLiterals;

namespace tw
{

namespace
{

FontChoice fontChoiceOf(const QFont &font)
{
    FontChoice choice;
    choice.family = font.family();
    choice.pointSize = font.pointSizeF();
    choice.bold = font.bold();
    choice.italic = font.italic();
    choice.underline = font.underline();
    choice.strikeOut = font.strikeOut();
    return choice;
}

QFont withChoice(QFont font, const FontChoice &chosen)
{
    font.setBold(chosen.bold);
    font.setItalic(chosen.italic);
    if (!chosen.family.isEmpty())
        font.setFamily(chosen.family);
    if (chosen.pointSize > 0)
        font.setPointSizeF(chosen.pointSize);
    return font;
}

} // namespace

EditorDesk::EditorDesk(QMainWindow &window, Workspace &workspace, Prompter &prompter)
    : m_window(window), m_workspace(workspace), m_prompter(prompter)
{
    m_mdiArea = new QMdiArea(&window);
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    window.setCentralWidget(m_mdiArea);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &EditorDesk::onSubWindowActivated);
}

EditorDesk::~EditorDesk() = default;

void EditorDesk::deleteEditors()
{
    for (QMdiSubWindow *window : m_mdiArea->subWindowList())
        delete window;
}

// ---- the editors --------------------------------------------------------------------------------

QList<EditorWindow *> EditorDesk::editors() const
{
    QList<EditorWindow *> list;
    for (QMdiSubWindow *window : m_mdiArea->subWindowList())
        if (auto *editor = qobject_cast<EditorWindow *>(window->widget()); editor && !window->isHidden())
            list.append(editor);
    return list;
}

int EditorDesk::editorCount() const
{
    return EditorWindow::openEditorCount(m_workspace);
}

EditorWindow *EditorDesk::activeEditor() const
{
    const QList<EditorWindow *> open = editors();
    if (QMdiSubWindow *current = m_mdiArea->currentSubWindow())
        if (auto *editor = qobject_cast<EditorWindow *>(current->widget()); editor && open.contains(editor))
            return editor;
    if (m_lastActiveEditor && open.contains(m_lastActiveEditor.data()))
        return m_lastActiveEditor;
    return open.isEmpty() ? nullptr : open.last();
}

QString EditorDesk::activeEditorCaption() const
{
    const EditorWindow *editor = activeEditor();
    return editor ? editor->windowTitle() : QString();
}

EditorWindow *EditorDesk::editorShowing(const QString &path) const
{
    for (EditorWindow *editor : editors())
        if (editor->openFile() == path)
            return editor;
    return nullptr;
}

EditorWindow *EditorDesk::editorHolding(const QString &path) const
{
    for (EditorWindow *editor : editors())
        if (!editor->isClosed() && isSameFile(editor->openFile(), path))
            return editor;
    return nullptr;
}

QMdiSubWindow *EditorDesk::subWindowOf(const EditorWindow *editor) const
{
    for (QMdiSubWindow *window : m_mdiArea->subWindowList())
        if (window->widget() == editor)
            return window;
    return nullptr;
}

void EditorDesk::onSubWindowActivated(QMdiSubWindow *window)
{
    auto *editor = window ? qobject_cast<EditorWindow *>(window->widget()) : nullptr;
    if (!editor)
        return;
    m_lastActiveEditor = editor;
    editor->showCaret();
}

void EditorDesk::activateEditor(EditorWindow *editor)
{
    if (QMdiSubWindow *window = subWindowOf(editor)) {
        m_mdiArea->setActiveSubWindow(window);
        editor->editor()->setFocus();
    }
}

EditorWindow *EditorDesk::newEditorWindow()
{
    auto *editor = new EditorWindow(m_workspace, m_prompter);
    QMdiSubWindow *window = m_mdiArea->addSubWindow(editor);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowIcon(
        QIcon::fromTheme(u"text-x-generic"_s, m_window.style()->standardIcon(QStyle::SP_FileIcon)));
    window->resize(640, 420);
    m_lastActiveEditor = editor;
    window->show();
    // Wholly inside the part of the editor area one can see, however small the frame is.
    window->setGeometry(keepInside(m_mdiArea->viewport()->rect(), window->geometry()));
    m_mdiArea->setActiveSubWindow(window);
    // Runs once; showing has already run it when the main window is on screen.
    editor->onLoad();
    return editor;
}

void EditorDesk::reportUnreadable(const QString &path)
{
    m_prompter.message(u"无法读取文件 "_s + path, MsgStyle::Exclamation, kWorkspaceInfoTitle);
}

// ---- opening and closing ------------------------------------------------------------------------

void EditorDesk::openInEditor(const QString &path, const QString &caption)
{
    // A tool showing its output again: a second editor over the file would hold the old text, and
    // saving that would undo the tool's work.
    if (EditorWindow *open = editorHolding(path))
        reloadEditor(open, path, caption);
    else
        openInNewEditor(path, caption);
}

void EditorDesk::reloadEditor(EditorWindow *editor, const QString &path, const QString &caption)
{
    if (!editor->loadFile(path)) {
        reportUnreadable(path);
        return;
    }
    editor->setOpenFile(path);
    editor->setWindowTitle(caption.isEmpty() ? path : caption);
    editor->clearChanged();
    activateEditor(editor);
}

void EditorDesk::openInNewEditor(const QString &path, const QString &caption)
{
    EditorWindow *editor = newEditorWindow();
    editor->setOpenFile(path);
    if (!editor->loadFile(path)) {
        // An empty editor over the path would overwrite the file with nothing on the next save.
        editor->clearChanged();
        if (QMdiSubWindow *window = subWindowOf(editor))
            window->close();
        reportUnreadable(path);
        return;
    }
    editor->setWindowTitle(caption.isEmpty() ? path : caption);
    editor->clearChanged();
}

bool EditorDesk::closeAllEditors()
{
    // Each round closes one editor or stops at a refusal, so the loop ends.
    const int rounds = editorCount();
    for (int round = 0; round < rounds; ++round) {
        EditorWindow *editor = activeEditor();
        QMdiSubWindow *window = editor ? subWindowOf(editor) : nullptr;
        if (!window)
            break;
        m_mdiArea->setActiveSubWindow(window);
        if (!window->close())
            return false;
    }
    return editorCount() == 0;
}

void EditorDesk::newFile()
{
    EditorWindow *editor = newEditorWindow();
    editor->setOpenFile(QString());
    editor->setWindowTitle(EditorWindow::newTextCaption());
    editor->clearChanged();
}

void EditorDesk::openFileOfKind(const QString &title, const QString &filter)
{
    const QString path = m_prompter.openFileNameOrTyped(title, filter, QString());
    if (path.isEmpty())
        return;
    if (!QFileInfo(path).isFile()) {
        m_prompter.message(u"文件不存在!"_s, MsgStyle::Ok, title);
        return;
    }
    if (EditorWindow *open = editorShowing(path)) {
        activateEditor(open);
        return;
    }
    // An editor over the same file under another spelling keeps its text: only tools replace it.
    openInNewEditor(path, path);
}

void EditorDesk::saveActive(bool as)
{
    if (EditorWindow *editor = activeEditor())
        as ? editor->saveAsFromMenu() : editor->saveFromMenu();
}

// ---- printing and fonts -------------------------------------------------------------------------

QPrinter *EditorDesk::printer()
{
    if (auto *real = dynamic_cast<QtPrompter *>(&m_prompter))
        return real->printer();
    if (!m_ownPrinter)
        m_ownPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return m_ownPrinter.get();
}

void EditorDesk::printSetup()
{
    m_prompter.printSetup();
}

void EditorDesk::printActive()
{
    EditorWindow *editor = activeEditor();
    if (!editor)
        return;
    QPlainTextEdit *edit = editor->editor();
    const bool hasSelection = edit->textCursor().hasSelection();
    const std::optional<PrintChoice> choice = m_prompter.choosePrint(hasSelection);
    if (!choice)
        return;
    const bool selectionOnly = hasSelection && choice->range == PrintRange::Selection;
    const QString text = selectionOnly ? editor->selectedText() : edit->toPlainText();
    QPrinter *target = printer();
    target->setCopyCount(std::max(1, choice->copies));
    QTextDocument document;
    document.setDefaultFont(edit->font());
    document.setPlainText(text);
    document.print(target);
    m_lastPrintedText = text;
    if (target->printerState() == QPrinter::Error)
        m_prompter.message(u"打印失败，请检查打印机。"_s, MsgStyle::Exclamation, kWorkspaceInfoTitle);
}

void EditorDesk::chooseFont()
{
    EditorWindow *editor = activeEditor();
    if (!editor)
        return;
    const QFont font = editor->editor()->font();
    if (const std::optional<FontChoice> chosen = m_prompter.chooseFont(fontChoiceOf(font)))
        editor->editor()->setFont(withChoice(font, *chosen));
}

// ---- edit commands ------------------------------------------------------------------------------

void EditorDesk::editUndo(bool redo)
{
    if (EditorWindow *editor = activeEditor())
        redo ? editor->editor()->redo() : editor->editor()->undo();
}

void EditorDesk::editSelectAll()
{
    if (EditorWindow *editor = activeEditor())
        editor->editor()->selectAll();
}

void EditorDesk::editCopy(bool cut)
{
    EditorWindow *editor = activeEditor();
    if (!editor || !editor->editor()->textCursor().hasSelection())
        return;
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(editor->selectedText());
    if (cut)
        editor->editor()->textCursor().removeSelectedText();
}

void EditorDesk::editPaste()
{
    EditorWindow *editor = activeEditor();
    if (!editor)
        return;
    editor->editor()->textCursor().insertText(QGuiApplication::clipboard()->text());
    editor->editor()->setFocus();
}

// ---- the Window menu ----------------------------------------------------------------------------

void EditorDesk::tileEditors()
{
    m_mdiArea->tileSubWindows();
}

QList<QMdiSubWindow *> EditorDesk::cascadingWindows() const
{
    QList<QMdiSubWindow *> windows;
    for (QMdiSubWindow *window : m_mdiArea->subWindowList(QMdiArea::StackingOrder))
        if (!window->isHidden() && !window->isMinimized())
            windows.append(window);
    return windows;
}

void EditorDesk::cascadeEditors()
{
    const QList<QMdiSubWindow *> windows = cascadingWindows();
    if (windows.isEmpty())
        return;
    QMdiSubWindow *active = m_mdiArea->activeSubWindow();
    // One title bar further for each window, so that every caption shows.
    const int step = std::max(windows.first()->height() - windows.first()->widget()->height(), 20);
    const QList<QRect> places =
        cascade(m_mdiArea->viewport()->rect(), static_cast<int>(windows.size()), step);
    for (qsizetype k = 0; k < windows.size(); ++k) {
        windows[k]->showNormal();
        windows[k]->setGeometry(places[k]);
        windows[k]->raise();
    }
    if (active)
        m_mdiArea->setActiveSubWindow(active);
}

void EditorDesk::fillWindowMenu(QMenu *menu)
{
    // Entries after the two fixed items list the open child windows.
    const QList<QAction *> actions = menu->actions();
    for (int i = 2; i < actions.size(); ++i) {
        menu->removeAction(actions[i]);
        actions[i]->deleteLater();
    }
    const QList<QMdiSubWindow *> windows = m_mdiArea->subWindowList();
    if (!windows.isEmpty())
        menu->addSeparator();
    int number = 1;
    for (QMdiSubWindow *window : windows)
        if (!window->isHidden())
            addWindowEntry(menu, window, number++);
}

void EditorDesk::addWindowEntry(QMenu *menu, QMdiSubWindow *window, int number)
{
    QAction *action = menu->addAction(u"&%1 %2"_s.arg(number).arg(window->windowTitle()));
    action->setCheckable(true);
    action->setChecked(window == m_mdiArea->currentSubWindow());
    QPointer<QMdiSubWindow> target(window);
    connect(action, &QAction::triggered, this, [this, target] {
        if (target)
            m_mdiArea->setActiveSubWindow(target);
    });
}

} // namespace tw
