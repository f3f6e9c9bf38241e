// The main window on screen: its start state, the commands of its menus and toolbar, and the
// lock and restore of the tool windows through the real widgets.
#include "MainWindowTestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

using namespace Qt::StringLiterals;
using namespace tw;
using namespace twtest;

namespace
{

// The window as a reviewer reads it: each menu item with the caption, shortcut and flags its real
// action carries, the toolbar slots and the status panels.
void describeMenu(const MainWindow &window, int parent, int depth, QString &out)
{
    const MainWindowState &state = window.state();
    for (int index : state.childrenOf(parent)) {
        const MenuItem &item = state.items()[index];
        out += QString(depth * 2, u' ');
        if (item.separator) {
            out += u"-\n"_s;
            continue;
        }
        const QAction *action = window.menuAction(item.name);
        out += item.name + u" \""_s + action->text() + u"\""_s;
        if (!action->shortcut().isEmpty())
            out += u" "_s + action->shortcut().toString();
        out += QString(action->isEnabled() ? u""_s : u" off"_s) +
               (action->isVisible() ? u""_s : u" hidden"_s) + (action->isChecked() ? u" checked"_s : u""_s) +
               u"\n"_s;
        describeMenu(window, index, depth + 1, out);
    }
}

QString describe(const MainWindow &window)
{
    QString out = u"title \""_s + window.windowTitle() + u"\"\n"_s;
    describeMenu(window, -1, 0, out);
    for (int position = 1; position <= window.toolbarButtonCount(); ++position) {
        const QAction *action = window.toolbarAction(position);
        out += u"button "_s + QString::number(position) + u" "_s +
               (action->isSeparator() ? u"-"_s : action->objectName()) +
               (action->isSeparator() || action->isEnabled() ? u""_s : u" off"_s) +
               (action->isSeparator() || !action->icon().isNull() ? u""_s : u" no-icon"_s) + u"\n"_s;
    }
    for (int panel = 1; panel <= 8; ++panel)
        out +=
            u"panel "_s + QString::number(panel) + u" \""_s + window.statusPanel(panel)->text() + u"\"\n"_s;
    return out;
}

} // namespace

TEST_F(MainWindowTest, StartsAsTheGoldenDescriptionSays)
{
    expectGolden(describe(*window), u"main-window-at-start.txt"_s);
    EXPECT_EQ(window->toolBar()->actions().size(), 21);
    window->setStatusText(3, u"定时器0：响应中断"_s);
    EXPECT_EQ(window->statusPanel(3)->text(), u"定时器0：响应中断"_s);
    EXPECT_EQ(window->statusText(3), u"定时器0：响应中断"_s);
    EXPECT_TRUE(prompter.calls().isEmpty());
}

TEST_F(MainWindowTest, ASwitchedOffTopMenuBlocksTheShortcutsOfItsItems)
{
    QApplication::setActiveWindow(window.get());
    window->setMenuEnabled(u"mFile"_s, false);
    EXPECT_FALSE(actionEnabled(u"mFileNew"_s));
    EXPECT_FALSE(window->triggerMenuItem(u"mFileNew"_s));
    QTest::keyClick(window.get(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(window->editorCount(), 0);

    window->setMenuEnabled(u"mFile"_s, true);
    EXPECT_TRUE(actionEnabled(u"mFileNew"_s));
    QTest::keyClick(window.get(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(window->editorCount(), 1);
    EXPECT_EQ(window->activeEditor()->windowTitle(), u"源程序编辑"_s);

    // A hidden submenu entry stays off even under an enabled menu; so does a disabled item.
    window->setMenuEnabled(u"mFileNew"_s, false);
    EXPECT_FALSE(actionEnabled(u"mFileNew"_s));
    window->setMenuEnabled(u"mFile"_s, false);
    window->setMenuEnabled(u"mFile"_s, true);
    EXPECT_FALSE(actionEnabled(u"mFileNew"_s));
    // The toolbar's New still works.
    EXPECT_TRUE(window->clickToolbarButton(u"New"_s));
    EXPECT_EQ(window->editorCount(), 2);

    // The editor's own Select All and Undo keys obey the Edit menu too.
    QPlainTextEdit *edit = window->activeEditor()->editor();
    edit->setFocus();
    QTest::keyClicks(edit, u"nop"_s);
    window->setMenuEnabled(u"mEditSelAll"_s, false); // as after the simulate answer
    QTest::keySequence(edit, QKeySequence::SelectAll);
    EXPECT_FALSE(edit->textCursor().hasSelection());
    window->setMenuEnabled(u"mEditSelAll"_s, true);
    QTest::keySequence(edit, QKeySequence::SelectAll);
    EXPECT_EQ(edit->textCursor().selectedText(), u"nop"_s);
    window->setMenuEnabled(u"mEdit"_s, false); // a tool window holds the main window
    QTest::keySequence(edit, QKeySequence::Undo);
    EXPECT_EQ(edit->toPlainText(), u"nop"_s);
    window->setMenuEnabled(u"mEdit"_s, true);
    QTest::keySequence(edit, QKeySequence::Undo);
    EXPECT_TRUE(edit->toPlainText().isEmpty());
}

TEST_F(MainWindowTest, OpenCommandsUseTheirDialogsAndFocusAnOpenFile)
{
    writeBytes(path(u"a.asm"_s), "MOV A,#1\r\n");
    prompter.answerFile(path(u"a.asm"_s));
    ASSERT_TRUE(window->triggerMenuItem(u"mFileOpen"_s));
    ASSERT_EQ(window->editorCount(), 1);
    EditorWindow *first = window->activeEditor();
    EXPECT_EQ(first->windowTitle(), path(u"a.asm"_s));
    EXPECT_TRUE(topMenuShown(u"mEdit"_s));
    // Every button but Undo and Redo, which follow the editor's undo state.
    EXPECT_EQ(enabledToolbarKeys().size(), 12);
    EXPECT_FALSE(enabledToolbarKeys().contains(u"Undo"_s));

    window->triggerMenuItem(u"mFileNew"_s);
    ASSERT_NE(window->activeEditor(), first);
    prompter.answerFile(path(u"a.asm"_s));
    window->triggerMenuItem(u"mFileOpen"_s);
    EXPECT_EQ(window->editorCount(), 2);
    EXPECT_EQ(window->activeEditor(), first);

    prompter.answerFile(path(u"missing.err"_s));
    window->triggerMenuItem(u"err0"_s);
    prompter.answerFile(QString());
    window->triggerMenuItem(u"lst"_s);
    EXPECT_EQ(window->editorCount(), 2);

    const QList<ScriptedPrompter::Call> &calls = prompter.calls();
    ASSERT_EQ(calls.size(), 5);
    EXPECT_EQ(calls[0].title + calls[0].text.left(13), u"打开源程序文件 源程序文件(*.asm)"_s);
    EXPECT_EQ(calls[3].kind, ScriptedPrompter::Kind::Message);
    EXPECT_EQ(calls[3].text + calls[3].title + QString::number(calls[3].style),
              u"文件不存在!打开编译信息文件0"_s);
    EXPECT_EQ(calls[4].title, u"打开列表文件"_s);
}

TEST_F(MainWindowTest, CloseAllAndExitStopAtTheFirstCancel)
{
    EditorWindow *a = openFile(u"a.asm"_s, "NOP\r\n");
    EditorWindow *b = openFile(u"b.asm"_s, "RET\r\n");
    a->editor()->insertPlainText(u"X"_s);
    b->editor()->insertPlainText(u"Y"_s);
    ASSERT_TRUE(a->hasChanged() && b->hasChanged());

    prompter.answerMessage(MsgAnswer::Cancel);
    EXPECT_FALSE(window->closeAllEditors());
    EXPECT_EQ(window->editorCount(), 2);
    EXPECT_EQ(prompter.messageTexts().size(), 1);

    // Exit asks like closing the frame; Cancel keeps the program running.
    prompter.answerMessage(MsgAnswer::No);
    prompter.answerMessage(MsgAnswer::Cancel);
    window->triggerMenuItem(u"mFileExit"_s);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->editorCount(), 1);
    EXPECT_EQ(readBytes(path(u"a.asm"_s)) + readBytes(path(u"b.asm"_s)), QByteArray("NOP\r\nRET\r\n"));

    prompter.answerMessage(MsgAnswer::No);
    window->triggerMenuItem(u"mFileExit"_s);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->editorCount(), 0);
    EXPECT_EQ(enabledToolbarKeys(), idleKeys());
    EXPECT_FALSE(topMenuShown(u"mEdit"_s));
}

TEST_F(MainWindowTest, ToolWindowsLockAndRestoreTheRealWindow)
{
    registerStandIns();
    for (const QString &tool : lockingTools()) {
        window->showTool(tool);
        ASSERT_TRUE(window->isToolLoaded(tool)) << qPrintable(tool);
        EXPECT_TRUE(enabledToolbarKeys().isEmpty()) << qPrintable(tool);
        EXPECT_FALSE(actionEnabled(u"jsq"_s)) << qPrintable(tool); // an item two levels down
        EXPECT_FALSE(window->clickToolbarButton(u"New"_s));
        // The user closes it with its close box: the window goes, the main window comes back.
        window->toolWindow(tool)->close();
        EXPECT_FALSE(window->isToolLoaded(tool)) << qPrintable(tool);
        EXPECT_EQ(enabledToolbarKeys(), idleKeys()) << qPrintable(tool);
        EXPECT_FALSE(topMenuShown(u"mEdit"_s)) << qPrintable(tool);
        EXPECT_TRUE(actionEnabled(u"jsq"_s)) << qPrintable(tool);
    }

    // With an editor open the hiding windows give the Edit menu back too.
    openFile(u"c.asm"_s, "NOP\r\n");
    window->showTool(QString::fromLatin1(ToolName::Library));
    EXPECT_FALSE(topMenuShown(u"mEdit"_s));
    window->showTool(QString::fromLatin1(ToolName::Simulator)); // replaces the library window
    EXPECT_FALSE(window->isToolLoaded(QString::fromLatin1(ToolName::Library)));
    EXPECT_TRUE(topMenuShown(u"mEdit"_s));
    EXPECT_FALSE(topMenuEnabled(u"mEdit"_s));
    EXPECT_FALSE(actionEnabled(u"mEditCopy"_s));
    // An editor that opens closes the tool and leaves the editing state.
    openFile(u"d.asm"_s, "RET\r\n");
    EXPECT_FALSE(window->isToolLoaded(QString::fromLatin1(ToolName::Simulator)));
    EXPECT_TRUE(actionEnabled(u"mEditCopy"_s));
    EXPECT_EQ(enabledToolbarKeys().size(), 12);
    flushDeletes();
    registerStandIns(false);
}

TEST_F(MainWindowTest, AToolThatUnloadsItselfFromItsOwnHandlerIsDeletedAfterwards)
{
    const QString name = QString::fromLatin1(ToolName::Conversion);
    registerTool(name, [name](Workspace &workspace) {
        auto *tool = new StandInTool(workspace, name);
        auto *button = new QPushButton(u"完成"_s, tool);
        QObject::connect(button, &QPushButton::clicked, tool, [&workspace, name, tool] {
            workspace.unloadTool(name);
            tool->setWindowTitle(u"still here"_s); // the handler goes on after its window unloaded
        });
        return tool;
    });
    window->showTool(name);
    QPointer<QWidget> tool = window->toolWindow(name);
    QTest::mouseClick(tool->findChild<QPushButton *>(), Qt::LeftButton);
    EXPECT_FALSE(window->isToolLoaded(name));
    EXPECT_EQ(enabledToolbarKeys(), idleKeys());
    ASSERT_TRUE(tool);
    flushDeletes();
    EXPECT_FALSE(tool);
    // The next use makes a fresh window.
    window->showTool(name);
    EXPECT_NE(window->toolWindow(name), nullptr);
    window->unloadTool(name);
    flushDeletes();
    registerTool(name, {});
}

TEST_F(MainWindowTest, CommandsOfOtherSubsystemsGoThroughTheRegistry)
{
    window->triggerMenuItem(u"htb"_s);
    EXPECT_EQ(prompter.messageTexts(), QStringList{u"该功能尚未提供。"_s});

    registerStandIns();
    window->triggerMenuItem(u"htb"_s); // default: the conversion window
    EXPECT_TRUE(window->isToolLoaded(QString::fromLatin1(ToolName::Conversion)));
    window->unloadTool(QString::fromLatin1(ToolName::Conversion));

    QString seen;
    registerMenuCommand(u"assembler48"_s, [&seen](Workspace &workspace) {
        seen = workspace.currentBinPath();
        workspace.showTool(QString::fromLatin1(ToolName::Assembler));
    });
    window->setCurrentBinPath(u"/tmp/x.bin"_s);
    window->triggerMenuItem(u"assembler48"_s);
    EXPECT_EQ(seen, u"/tmp/x.bin"_s);
    EXPECT_TRUE(window->isToolLoaded(QString::fromLatin1(ToolName::Assembler)));
    window->unloadTool(QString::fromLatin1(ToolName::Assembler));
    // The toolbar's asm key runs the MCS-51 assembly command.
    EXPECT_TRUE(window->clickToolbarButton(u"asm"_s));
    EXPECT_TRUE(window->isToolLoaded(QString::fromLatin1(ToolName::Assembler)));
    window->unloadTool(QString::fromLatin1(ToolName::Assembler));
    registerMenuCommand(u"assembler48"_s, {});
    flushDeletes();
    registerStandIns(false);
}

TEST_F(MainWindowTest, EditCommandsActOnTheActiveEditorOnly)
{
    // No editor: the toolbar's edit buttons are off and the Edit menu cannot be reached.
    EXPECT_FALSE(window->clickToolbarButton(u"Copy"_s));
    EXPECT_FALSE(window->triggerMenuItem(u"mEditSelAll"_s));

    EditorWindow *editor = openFile(u"e.asm"_s, "ABC\r\nDEF\r\n");
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(u"kept"_s);
    window->triggerMenuItem(u"mEditCopy"_s); // empty selection
    window->triggerMenuItem(u"mEditCut"_s);
    EXPECT_EQ(clipboard->text() + editor->editor()->toPlainText(), u"keptABC\nDEF\n"_s);

    window->triggerMenuItem(u"mEditSelAll"_s);
    window->triggerMenuItem(u"mEditCopy"_s);
    EXPECT_EQ(clipboard->text(), u"ABC\nDEF\n"_s);

    select(editor, 4, 7);
    window->clickToolbarButton(u"Cut"_s);
    EXPECT_EQ(clipboard->text(), u"DEF"_s);
    EXPECT_EQ(editor->editor()->toPlainText(), u"ABC\n\n"_s);
    EXPECT_TRUE(editor->hasChanged());

    select(editor, 0, 0);
    window->triggerMenuItem(u"mEditPaste"_s);
    EXPECT_EQ(editor->editor()->toPlainText(), u"DEFABC\n\n"_s);

    EXPECT_TRUE(actionEnabled(u"mEditUndo"_s));
    window->clickToolbarButton(u"Undo"_s);
    EXPECT_EQ(editor->editor()->toPlainText(), u"ABC\n\n"_s);
    EXPECT_TRUE(actionEnabled(u"mEditRedo"_s));
    window->triggerMenuItem(u"mEditRedo"_s);
    EXPECT_EQ(editor->editor()->toPlainText(), u"DEFABC\n\n"_s);
    EXPECT_FALSE(actionEnabled(u"mEditRedo"_s));
}

TEST_F(MainWindowTest, UndoAndRedoButtonsFollowTheirEditItems)
{
    const auto button = [this](const QString &key) {
        return window->toolbarAction(window->state().toolbarPosition(key))->isEnabled();
    };
    // Button and item alike, and the model as the window shows it.
    const auto expectUndoRedo = [&](bool undo, bool redo, const char *where) {
        EXPECT_EQ(actionEnabled(u"mEditUndo"_s), undo) << where;
        EXPECT_EQ(button(u"Undo"_s), undo) << where;
        EXPECT_EQ(window->state().isToolbarEnabled(u"Undo"_s), undo) << where;
        EXPECT_EQ(actionEnabled(u"mEditRedo"_s), redo) << where;
        EXPECT_EQ(button(u"Redo"_s), redo) << where;
        EXPECT_EQ(window->state().isToolbarEnabled(u"Redo"_s), redo) << where;
    };
    EditorWindow *editor = openFile(u"u.asm"_s, "NOP\r\n");
    expectUndoRedo(false, false, "a file just loaded");
    EXPECT_FALSE(window->clickToolbarButton(u"Undo"_s));
    type(editor, u"RET"_s);
    expectUndoRedo(true, false, "after typing");
    EXPECT_TRUE(window->clickToolbarButton(u"Undo"_s));
    expectUndoRedo(false, true, "after undo");

    // A tool window switches every button off; its close gives them back as the items stand.
    registerStandIns();
    window->showTool(QString::fromLatin1(ToolName::Assembler));
    EXPECT_FALSE(button(u"Undo"_s));
    EXPECT_FALSE(button(u"Redo"_s));
    window->toolWindow(QString::fromLatin1(ToolName::Assembler))->close();
    expectUndoRedo(false, true, "after a tool window closed");
    EXPECT_TRUE(button(u"Copy"_s));
    flushDeletes();
    registerStandIns(false);

    // A second editor whose file leaves nothing to undo.
    openFile(u"v.asm"_s, "NOP\r\n");
    expectUndoRedo(false, false, "a second file loaded");
}

TEST_F(MainWindowTest, ViewTogglesAndWindowArrangement)
{
    for (int round = 0; round < 2; ++round) {
        window->triggerMenuItem(u"mViewToolbar"_s);
        EXPECT_EQ(window->toolBar()->isVisible(), round == 1);
        EXPECT_EQ(window->menuAction(u"mViewToolbar"_s)->isChecked(), round == 1);
        window->triggerMenuItem(u"mViewStat"_s);
        EXPECT_EQ(window->statusBar()->isVisible(), round == 1);
        EXPECT_EQ(window->state().isChecked(u"mViewStat"_s), round == 1);
    }
    // No other menu (the frame's own right-click one) can hide the bars behind the items' backs.
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5),
                                 window->toolBar()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(window->toolBar(), &rightClick);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    if (QWidget *popup = QApplication::activePopupWidget())
        popup->close();

    openFile(u"a.asm"_s, "NOP\r\n");
    openFile(u"b.asm"_s, "NOP\r\n");
    window->triggerMenuItem(u"mWindowTitle"_s);
    const QList<QMdiSubWindow *> windows = window->mdiArea()->subWindowList();
    EXPECT_FALSE(windows[0]->geometry().intersects(windows[1]->geometry()));
    window->triggerMenuItem(u"mWindowCa"_s);
    EXPECT_TRUE(windows[0]->geometry().intersects(windows[1]->geometry()));
    // The Window menu lists the open windows after its two items.
    QMenu *menu = window->topMenu(u"mWindow"_s);
    emit menu->aboutToShow();
    EXPECT_TRUE(menu->actions().last()->text().endsWith(path(u"b.asm"_s)));
}

TEST_F(MainWindowTest, PrintsTheSelectionOrEverythingAndReportsAFailure)
{
    EXPECT_FALSE(window->clickToolbarButton(u"Print"_s));
    EditorWindow *editor = openFile(u"p.asm"_s, "LINE1\r\nLINE2\r\n");
    window->printer()->setOutputFormat(QPrinter::PdfFormat);
    window->printer()->setOutputFileName(path(u"out.pdf"_s));

    prompter.answerPrint(std::nullopt); // cancelled: nothing printed, nothing said
    window->triggerMenuItem(u"mFilePrint"_s);
    EXPECT_FALSE(QFile::exists(path(u"out.pdf"_s)));

    prompter.answerPrint(PrintChoice{PrintRange::All, 1});
    window->clickToolbarButton(u"Print"_s);
    EXPECT_EQ(window->lastPrintedText(), u"LINE1\nLINE2\n"_s);
    EXPECT_TRUE(readBytes(path(u"out.pdf"_s)).startsWith("%PDF"));

    select(editor, 2, 9);
    prompter.answerPrint(PrintChoice{PrintRange::Selection, 1});
    window->triggerMenuItem(u"mFilePrint"_s);
    EXPECT_EQ(window->lastPrintedText(), u"NE1\nLIN"_s);
    EXPECT_TRUE(prompter.messageTexts().isEmpty());

    window->printer()->setOutputFileName(path(u"no/such/folder/out.pdf"_s));
    prompter.answerPrint(PrintChoice{PrintRange::All, 1});
    window->triggerMenuItem(u"mFilePrint"_s);
    EXPECT_EQ(prompter.messageTexts(), QStringList{u"打印失败，请检查打印机。"_s});

    prompter.answerPrintSetup(false);
    window->triggerMenuItem(u"mPrintSet"_s);
    EXPECT_EQ(prompter.calls().last().kind, ScriptedPrompter::Kind::PrintSetup);
}

TEST_F(MainWindowTest, FontDialogCopiesTheChoiceOrLeavesTheFont)
{
    EditorWindow *editor = openFile(u"f.asm"_s, "NOP\r\n");
    const QFont before = editor->editor()->font();
    prompter.answerFont(std::nullopt);
    window->clickToolbarButton(u"Zt"_s);
    EXPECT_EQ(editor->editor()->font(), before);

    prompter.answerFont(FontChoice{before.family(), 17, true, true});
    window->clickToolbarButton(u"Zt"_s);
    EXPECT_EQ(editor->editor()->font().pointSizeF(), 17);
    EXPECT_TRUE(editor->editor()->font().bold());
    EXPECT_TRUE(editor->editor()->font().italic());
}

TEST_F(MainWindowTest, EditMenuPopsUpOnlyWhileItCanBeUsed)
{
    window->popupMenu(u"mEdit"_s, QPoint(100, 100));
    EXPECT_FALSE(window->topMenu(u"mEdit"_s)->isVisible());
    // A right click in the editor pops up the Edit menu.
    EditorWindow *editor = openFile(u"r.asm"_s, "NOP\r\n");
    QTest::mouseRelease(editor->editor()->viewport(), Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_TRUE(window->topMenu(u"mEdit"_s)->isVisible());
    window->topMenu(u"mEdit"_s)->hide();

    // The blank entry before the mail item does nothing at all; menus are not commands.
    window->triggerMenuItem(QString::fromLatin1(Menu::Blank));
    EXPECT_FALSE(window->triggerMenuItem(u"comFZ"_s));
    EXPECT_FALSE(window->triggerMenuItem(u"noSuchItem"_s));
    EXPECT_TRUE(prompter.calls().isEmpty());
}

namespace
{

// A locking tool that counts its own close steps and notes whether the main window was still
// locked while they ran.
class CountingTool : public ToolWindow
{
    Q_OBJECT

  public:
    CountingTool(Workspace &workspace, int &closings, bool &lockedWhileClosing)
        : ToolWindow(workspace, QString::fromLatin1(ToolName::Library)), m_closings(closings),
          m_locked(lockedWhileClosing)
    {
        lockMainWindow();
    }
    // Its own end, as the assembler's and the conversion window's Start end them.
    void finish()
    {
        unload();
        setWindowTitle(u"still here"_s);
    }

  protected:
    void unloading() override
    {
        ++m_closings;
        m_locked = !m_workspace.isMenuEnabled(QString::fromLatin1(Menu::File));
    }

  private:
    int &m_closings;
    bool &m_locked;
};

} // namespace

TEST_F(MainWindowTest, AToolWindowRunsItsCloseStepsOnceBeforeTheMainWindowComesBack)
{
    const QString name = QString::fromLatin1(ToolName::Library);
    int closings = 0;
    bool locked = false;
    registerTool(name, [&](Workspace &workspace) { return new CountingTool(workspace, closings, locked); });

    // Closed by its close box and again before it is deleted: one set of close steps.
    CountingTool *tool = showToolWindow<CountingTool>(*window, ToolName::Library);
    ASSERT_TRUE(tool);
    EXPECT_EQ(loadedTool<CountingTool>(*window, ToolName::Library), tool);
    tool->close();
    tool->close();
    EXPECT_EQ(closings, 1);
    EXPECT_TRUE(locked);
    EXPECT_FALSE(window->isToolLoaded(name));
    EXPECT_EQ(enabledToolbarKeys(), idleKeys());
    flushDeletes();

    // Ended from its own handler: unloaded through the main window, deleted afterwards.
    QPointer<CountingTool> ended = showToolWindow<CountingTool>(*window, ToolName::Library);
    ASSERT_TRUE(ended);
    ended->finish();
    EXPECT_EQ(closings, 2);
    EXPECT_FALSE(window->isToolLoaded(name));
    EXPECT_TRUE(window->isMenuEnabled(QString::fromLatin1(Menu::File)));
    ASSERT_TRUE(ended);
    flushDeletes();
    EXPECT_FALSE(ended);

    // A window the main window does not host closes itself.
    {
        CountingTool alone(*window, closings, locked);
        EXPECT_FALSE(window->isMenuEnabled(QString::fromLatin1(Menu::File)));
        alone.finish();
        EXPECT_EQ(closings, 3);
        EXPECT_EQ(enabledToolbarKeys(), idleKeys());
    }
    registerTool(name, {});
}

#include "MainWindowTest.moc"
