// Editor windows end to end: real files in a temporary folder, real widgets offscreen, the
// scripted prompter answering the questions and dialogs.
#include "EditorTestSupport.h"

#include "common/TextFile.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

using namespace tw;
using twtest::readBytes;
using twtest::writeBytes;

namespace
{

const QByteArray GbkSource =
    QByteArray("\tMOV\tA,#1\t;") + QByteArray("\xBC\xD3\xD4\xD8", 4) + "\r\n\tEND\r\n";

int messageCount(const ScriptedPrompter &prompter)
{
    return static_cast<int>(prompter.messageTexts().size());
}

} // namespace

class EditorFilesTest : public twtest::EditorTest
{
};

TEST_F(EditorFilesTest, GbkFileLoadsAndSavesBackByteForByte)
{
    EditorWindow *editor = openWith("a.asm", GbkSource);
    EXPECT_EQ(editor->encoding(), TextEncoding::Gbk);
    EXPECT_EQ(editor->text(), QStringLiteral(u"\tMOV\tA,#1\t;加载\n\tEND\n"));
    EXPECT_FALSE(editor->hasChanged());

    type(editor, QStringLiteral(u";注释"));
    EXPECT_TRUE(editor->hasChanged());
    ASSERT_TRUE(editor->saveFile());
    EXPECT_FALSE(editor->hasChanged());
    EXPECT_EQ(readBytes(path("a.asm")), GbkSource + "\x3B\xD7\xA2\xCA\xCD");
}

TEST_F(EditorFilesTest, Utf8FileStaysUtf8AndLoneCrEndsLines)
{
    // "中" in UTF-8 followed by a CR is not valid GBK, so the file is read and written as UTF-8.
    EditorWindow *editor = openWith("u.asm", QByteArray("one\rtw\xE4\xB8\xAD\rthree"));
    EXPECT_EQ(editor->encoding(), TextEncoding::Utf8);
    EXPECT_EQ(editor->editor()->document()->blockCount(), 3);
    EXPECT_EQ(editor->text(), QStringLiteral(u"one\ntw中\nthree"));
    ASSERT_TRUE(editor->saveFile());
    EXPECT_EQ(readBytes(path("u.asm")), QByteArray("one\r\ntw\xE4\xB8\xAD\r\nthree"));
}

TEST_F(EditorFilesTest, TextGbkCannotHoldIsWrittenAsUtf8)
{
    EditorWindow *editor = openWith("g.asm", "NOP\r\n");
    type(editor, QStringLiteral(u"; ✓ done"));
    ASSERT_TRUE(editor->saveFile());
    const auto back = readTextFile(path("g.asm"));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->text, QStringLiteral(u"NOP\r\n; ✓ done"));
    EXPECT_EQ(editor->encoding(), TextEncoding::Utf8);
}

TEST_F(EditorFilesTest, FailedWriteKeepsTextFlagAndSaysSo)
{
    writeBytes(path("plain"), "x");
    EditorWindow *editor = open();
    editor->setOpenFile(path("plain/inner.asm")); // a file cannot hold a file
    type(editor, "MOV A,#1");
    EXPECT_FALSE(editor->saveFile());
    EXPECT_TRUE(editor->hasChanged());
    EXPECT_EQ(editor->text(), QStringLiteral("MOV A,#1"));
    ASSERT_EQ(messageCount(prompter), 1);
    EXPECT_TRUE(prompter.messageTexts().first().contains(path("plain/inner.asm")));
    EXPECT_EQ(readBytes(path("plain")), QByteArray("x"));

    // From the menu nothing is tidied or reloaded either.
    EXPECT_FALSE(editor->saveFromMenu());
    EXPECT_EQ(editor->text(), QStringLiteral("MOV A,#1"));
    EXPECT_TRUE(editor->hasChanged());
}

TEST_F(EditorFilesTest, SaveOfNewTextAndSaveAsGoThroughTheirDialogs)
{
    EditorWindow *editor = open();
    EXPECT_EQ(editor->windowTitle(), QStringLiteral(u"源程序编辑"));
    type(editor, "NOP");

    prompter.answerFile(QString()); // cancelled: nothing written, nothing changes
    EXPECT_FALSE(editor->saveFile());
    EXPECT_TRUE(editor->openFile().isEmpty());
    EXPECT_TRUE(editor->hasChanged());

    prompter.answerFile(path("first")); // no extension: ".asm" is added
    ASSERT_TRUE(editor->saveFile());
    EXPECT_EQ(editor->openFile(), path("first.asm"));
    EXPECT_EQ(editor->windowTitle(), path("first.asm"));
    EXPECT_EQ(readBytes(path("first.asm")), QByteArray("NOP"));

    prompter.answerFile(path("second.txt"));
    ASSERT_TRUE(editor->saveFileAs());
    EXPECT_EQ(editor->openFile(), path("second.txt"));
    EXPECT_EQ(editor->windowTitle(), path("second.txt"));

    const auto &calls = prompter.calls();
    ASSERT_EQ(calls.size(), 3);
    EXPECT_EQ(calls[0].kind, ScriptedPrompter::Kind::SaveFile);
    EXPECT_EQ(calls[0].text, QStringLiteral(u" 源程序文件(*.asm) (*.asm);;所有文件(*.*) (*)"));
    EXPECT_EQ(calls[2].title, QStringLiteral(u"另存为"));
    EXPECT_EQ(calls[2].text, calls[0].text);
}

TEST_F(EditorFilesTest, MenuSaveTidiesAsmSourcesAndReloadsThem)
{
    EditorWindow *editor = openWith("t.asm", "nop\r\n");
    editor->editor()->selectAll();
    editor->editor()->insertPlainText(QStringLiteral("loop: mov a , #1 ; load\n\nend\nlost after end\n"));
    ASSERT_TRUE(editor->saveFromMenu());
    EXPECT_EQ(readBytes(path("t.asm")), QByteArray("LOOP:\tMOV\tA\t,#1\t;LOAD\r\n\tEND\r\n\r\n"));
    EXPECT_EQ(editor->text(), QStringLiteral("LOOP:\tMOV\tA\t,#1\t;LOAD\n\tEND\n\n"));
    EXPECT_FALSE(editor->hasChanged());

    // Mixed case "Asm" and other files are saved as typed, and still reloaded.
    for (const char *name : {"m.Asm", "e.err"}) {
        EditorWindow *other = openWith(name, "");
        type(other, "mov a , #1\n");
        ASSERT_TRUE(other->saveFromMenu());
        EXPECT_EQ(readBytes(path(name)), QByteArray("mov a , #1\r\n")) << name;
        EXPECT_FALSE(other->hasChanged());
    }

    // Save As of a new text to an .asm name tidies the new file.
    EditorWindow *fresh = open();
    type(fresh, "nop");
    prompter.answerFile(path("n.asm"));
    ASSERT_TRUE(fresh->saveAsFromMenu());
    EXPECT_EQ(readBytes(path("n.asm")), QByteArray("\tNOP\r\n\tEND\r\n\r\n"));

    // A cancelled Save As leaves everything as it was.
    type(fresh, "\nmore");
    const QString before = fresh->text();
    prompter.answerFile(QString());
    EXPECT_FALSE(fresh->saveAsFromMenu());
    EXPECT_EQ(fresh->text(), before);
    EXPECT_TRUE(fresh->hasChanged());
}

class EditorCloseTest : public twtest::EditorTest
{
};

TEST_F(EditorCloseTest, QuestionAnswersYesNoCancel)
{
    EditorWindow *editor = openWith("c.asm", "nop\r\n");
    type(editor, "x");

    prompter.answerMessage(MsgAnswer::Cancel);
    EXPECT_FALSE(editor->close());
    EXPECT_TRUE(editor->hasChanged());
    ASSERT_EQ(prompter.calls().size(), 1);
    EXPECT_EQ(prompter.calls()[0].text, QStringLiteral(u"是否保存 ") + path("c.asm"));
    EXPECT_EQ(prompter.calls()[0].style, 51);
    EXPECT_TRUE(prompter.calls()[0].title.isEmpty());

    prompter.answerMessage(MsgAnswer::No);
    QPointer<EditorWindow> closed = editor;
    EXPECT_TRUE(editor->close());
    flushDeletes();
    EXPECT_TRUE(closed.isNull());
    EXPECT_EQ(readBytes(path("c.asm")), QByteArray("nop\r\n"));

    // Yes saves as typed: the tidier does not run on this path.
    EditorWindow *second = openWith("d.asm", "nop\r\n");
    type(second, "x");
    prompter.answerMessage(MsgAnswer::Yes);
    EXPECT_TRUE(second->close());
    EXPECT_EQ(readBytes(path("d.asm")), QByteArray("nop\r\nx"));
}

TEST_F(EditorCloseTest, YesWithCancelledDialogKeepsNewTextOpen)
{
    EditorWindow *editor = open();
    type(editor, "keep me");
    prompter.answerMessage(MsgAnswer::Yes);
    prompter.answerFile(QString());
    EXPECT_FALSE(editor->close());
    EXPECT_EQ(editor->text(), QStringLiteral("keep me"));
    EXPECT_TRUE(workspace.isMenuVisible("mEdit"));
    EXPECT_TRUE(workspace.isMenuEnabled("mFileSave"));
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral(u"是否保存 源程序编辑")});
}

TEST_F(EditorCloseTest, ListingsAndImagesCloseWithoutQuestionErrorReportsAsk)
{
    for (const char *name : {"a.lst", "a.LST", "a.bin", "a.BIN"}) {
        EditorWindow *editor = openWith(name, "x");
        type(editor, "changed");
        EXPECT_TRUE(editor->close()) << name;
    }
    EXPECT_TRUE(prompter.calls().isEmpty());

    EditorWindow *report = openWith("a.err", "x");
    report->setWindowTitle(EditorWindow::messageCaption());
    type(report, "changed");
    prompter.answerMessage(MsgAnswer::No);
    EXPECT_TRUE(report->close());
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral(u"是否保存 编译信息")});
}

TEST_F(EditorCloseTest, LastEditorClosingLeavesEditingState)
{
    workspace.showTool(ToolName::Assembler); // locked: the editor's load step closes it
    EditorWindow *first = open();
    EXPECT_FALSE(workspace.isToolLoaded(ToolName::Assembler));
    EXPECT_TRUE(workspace.isMenuVisible("mEdit"));
    EXPECT_TRUE(workspace.isMenuVisible("mWindow"));
    for (int position = 1; position <= workspace.toolbarButtonCount(); ++position)
        if (!workspace.state().toolbarSlot(position).isSeparator())
            EXPECT_TRUE(workspace.isToolbarButtonEnabled(position)) << position;
    EXPECT_EQ(workspace.statusText(1), QStringLiteral(u"行： 1   列： 1"));

    EditorWindow *second = open();
    EXPECT_TRUE(first->close());
    EXPECT_TRUE(workspace.isMenuVisible("mEdit"));
    EXPECT_TRUE(workspace.isMenuEnabled("mFileCloseAll"));

    type(second, "x");
    prompter.answerMessage(MsgAnswer::Cancel); // the last one refuses: nothing changes
    EXPECT_FALSE(second->close());
    EXPECT_TRUE(workspace.isMenuVisible("mEdit"));
    EXPECT_TRUE(workspace.isToolbarButtonEnabled(3));

    prompter.answerMessage(MsgAnswer::No);
    EXPECT_TRUE(second->close());
    EXPECT_FALSE(workspace.isMenuVisible("mEdit"));
    EXPECT_FALSE(workspace.isMenuVisible("mWindow"));
    for (const char *item : {"mFilePrint", "mFileSave", "mFileSaveAs", "mFileCloseAll"})
        EXPECT_FALSE(workspace.isMenuEnabled(item)) << item;
    EXPECT_EQ(workspace.state().enabledToolbarKeys(), (QStringList{"New", "Open", "asm", "FZ51"}));
    EXPECT_TRUE(workspace.statusText(1).isEmpty());
}

class EditorStateTest : public twtest::EditorTest
{
};

TEST_F(EditorStateTest, CaretPanelFollowsTheCaret)
{
    EditorWindow *editor = open();
    QSignalSpy caret(editor, &EditorWindow::caretTextChanged);
    editor->editor()->setFocus();
    QTest::keyClicks(editor->editor(), "ab");
    QTest::keyClick(editor->editor(), Qt::Key_Return);
    QTest::keyClicks(editor->editor(), "cd");
    QTest::keyClick(editor->editor(), Qt::Key_Return);
    QTest::keyClicks(editor->editor(), "\tefgh");
    EXPECT_EQ(workspace.statusText(1), QStringLiteral(u"行： 3   列： 6"));
    ASSERT_FALSE(caret.isEmpty());
    EXPECT_EQ(caret.last().at(0).toString(), workspace.statusText(1));

    // A selection from line 3 back to line 1: the caret's own line and column.
    QTextCursor cursor = editor->editor()->textCursor();
    cursor.setPosition(1, QTextCursor::KeepAnchor);
    editor->editor()->setTextCursor(cursor);
    EXPECT_EQ(workspace.statusText(1), QStringLiteral(u"行： 1   列： 2"));

    // Positions are not cut to 16 bits.
    type(editor, QString(70000, u'x'));
    EXPECT_EQ(workspace.statusText(1), QStringLiteral(u"行： 3   列： 70006"));
}

TEST_F(EditorStateTest, UndoAndRedoStateFollowTheDocument)
{
    EditorWindow *editor = openWith("u.asm", "nop\r\n");
    EXPECT_FALSE(workspace.isMenuEnabled("mEditUndo"));
    EXPECT_FALSE(workspace.state().isToolbarEnabled(QStringLiteral("Undo")));

    editor->editor()->setFocus();
    QTest::keyClicks(editor->editor(), "mov");
    EXPECT_TRUE(workspace.isMenuEnabled("mEditUndo"));
    EXPECT_TRUE(workspace.state().isToolbarEnabled(QStringLiteral("Undo")));
    EXPECT_FALSE(workspace.isMenuEnabled("mEditRedo"));

    editor->editor()->undo();
    EXPECT_TRUE(workspace.isMenuEnabled("mEditRedo"));
    EXPECT_TRUE(workspace.state().isToolbarEnabled(QStringLiteral("Redo")));
    EXPECT_FALSE(workspace.isMenuEnabled("mEditUndo"));
    EXPECT_EQ(editor->text(), QStringLiteral("nop\n"));
}

TEST_F(EditorStateTest, SelectAllAndUndoKeysObeyTheEditMenu)
{
    EditorWindow *editor = open();
    QPlainTextEdit *edit = editor->editor();
    edit->setFocus();
    QTest::keyClicks(edit, "nop");

    workspace.setMenuEnabled("mEditSelAll", false); // as after the simulate answer
    QTest::keySequence(edit, QKeySequence::SelectAll);
    EXPECT_FALSE(edit->textCursor().hasSelection());
    workspace.setMenuEnabled("mEditSelAll", true);
    QTest::keySequence(edit, QKeySequence::SelectAll);
    EXPECT_EQ(edit->textCursor().selectedText(), QStringLiteral("nop"));

    workspace.setMenuEnabled("mEdit", false); // a tool window holds the main window
    QTest::keySequence(edit, QKeySequence::Undo);
    EXPECT_EQ(editor->text(), QStringLiteral("nop"));
    workspace.setMenuEnabled("mEdit", true);
    QTest::keySequence(edit, QKeySequence::Undo);
    EXPECT_TRUE(editor->text().isEmpty());
}
