// Editor windows in the real main window: real files in a temporary folder, the scripted prompter
// answering the questions and dialogs.
#include "MainWindowTestSupport.h"
#include "support/FileFaults.h"

#include "base/FileAccess.h"
#include "common/SaveChoice.h"
#include "common/TextFile.h"
#include "common/ui/QtPrompter.h"
#include "source/Tidier.h"
#include "workspace/EditorFiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>

#include <functional>
#include <utility>

using namespace Qt::StringLiterals;
using namespace tw;
using namespace twtest;

using EditorFilesTest = MainWindowTest;
using EditorCloseTest = MainWindowTest;
using EditorStateTest = MainWindowTest;
using EditorDiskTest = MainWindowTest;

TEST_F(EditorFilesTest, GbkFileLoadsAndSavesBackByteForByte)
{
    const QByteArray gbk = QByteArray("\tMOV\tA,#1\t;") + QByteArray("\xBC\xD3\xD4\xD8", 4) + "\r\n\tEND\r\n";
    EditorWindow *editor = openFile(u"a.asm"_s, gbk);
    EXPECT_EQ(editor->encoding(), TextEncoding::Gbk);
    EXPECT_EQ(editor->text(), u"\tMOV\tA,#1\t;加载\n\tEND\n"_s);
    EXPECT_FALSE(editor->hasChanged());

    type(editor, u";注释"_s);
    EXPECT_TRUE(editor->hasChanged());
    ASSERT_TRUE(editor->saveFile());
    EXPECT_FALSE(editor->hasChanged());
    EXPECT_EQ(readBytes(path(u"a.asm"_s)), gbk + "\x3B\xD7\xA2\xCA\xCD");
    EXPECT_FALSE(readTextFile(path(u"missing.asm"_s)));

    // Lone CRs end lines in GBK files too; an .asm copy is tidied and stays GBK.
    const QByteArray comment("\xA3\xBB\xD7\xA2\xCA\xCD", 6); // "；注释"
    EditorWindow *lone = openFile(u"lone.txt"_s, comment + "\rnop\rmov a,#1\r\n");
    EXPECT_EQ(lone->text(), u"；注释\nnop\nmov a,#1\n"_s);
    prompter.answerFile(path(u"lone.asm"_s));
    ASSERT_TRUE(window->triggerMenuItem(u"mFileSaveAs"_s));
    EXPECT_EQ(readBytes(path(u"lone.asm"_s)),
              "\t;" + comment.mid(2) + "\r\n\tNOP\r\n\tMOV\tA,#1\r\n\tEND\r\n\r\n");
}

TEST_F(EditorFilesTest, Utf8StaysUtf8AndLoneCrEndsLines)
{
    // "中" in UTF-8 followed by a CR is not valid GBK, so the file is read and written as UTF-8.
    EditorWindow *editor = openFile(u"u.asm"_s, QByteArray("one\rtw\xE4\xB8\xAD\rthree"));
    EXPECT_EQ(editor->encoding(), TextEncoding::Utf8);
    EXPECT_EQ(editor->editor()->document()->blockCount(), 3);
    EXPECT_EQ(editor->text(), u"one\ntw中\nthree"_s);
    ASSERT_TRUE(editor->saveFile());
    EXPECT_EQ(readBytes(path(u"u.asm"_s)), QByteArray("one\r\ntw\xE4\xB8\xAD\r\nthree"));

    // Two Chinese characters in UTF-8 are six bytes that also pair up as valid GBK: still UTF-8.
    const QString chinese = u"; 中文注释\r\n\t结束\r\n"_s;
    EditorWindow *even = openFile(u"e.asm"_s, chinese.toUtf8());
    EXPECT_EQ(even->encoding(), TextEncoding::Utf8);
    EXPECT_EQ(even->text(), u"; 中文注释\n\t结束\n"_s);

    // Text GBK cannot hold: the save asks before writing the file in UTF-8; No writes nothing.
    EditorWindow *gbk = openFile(u"g.asm"_s, "NOP\r\n");
    type(gbk, u"; ✓ done"_s);
    prompter.answerMessage(MsgAnswer::No);
    EXPECT_FALSE(gbk->saveFile());
    EXPECT_EQ(readBytes(path(u"g.asm"_s)), QByteArray("NOP\r\n"));
    EXPECT_TRUE(gbk->hasChanged());
    ASSERT_EQ(prompter.calls().size(), 1);
    EXPECT_EQ(prompter.calls()[0].style, MsgStyle::YesNo + MsgStyle::Question);
    EXPECT_TRUE(prompter.calls()[0].text.contains(u"UTF-8"_s));
    prompter.answerMessage(MsgAnswer::Yes);
    ASSERT_TRUE(gbk->saveFile());
    EXPECT_EQ(readBytes(path(u"g.asm"_s)), u"NOP\r\n; ✓ done"_s.toUtf8());
    EXPECT_EQ(gbk->encoding(), TextEncoding::Utf8);
    // From then on it is a UTF-8 file: no more questions.
    ASSERT_TRUE(gbk->saveFile());
    EXPECT_EQ(prompter.calls().size(), 2);

    // A new text takes GBK, or UTF-8 when GBK cannot hold it, without a question.
    EditorWindow *fresh = newEditor();
    type(fresh, u"nop ;✓"_s);
    prompter.answerFile(path(u"fresh.txt"_s));
    ASSERT_TRUE(fresh->saveFile());
    EXPECT_EQ(readBytes(path(u"fresh.txt"_s)), u"nop ;✓"_s.toUtf8());
}

// The corpus of source lines in both encodings through Save: every Chinese character keeps its
// bytes, the editor shows the tidied text as read, and a second save changes nothing.
TEST_F(EditorFilesTest, CorpusSavedFromTheMenuKeepsEveryChineseByte)
{
    const QString text = QString::fromUtf8(readBytes(dataPath(u"common/corpus-utf8.asm"_s)));
    const QString tidied = tidySourceText(text);
    for (const auto &[fixture, encoding] : {std::pair(u"common/corpus-gbk.asm"_s, TextEncoding::Gbk),
                                            std::pair(u"common/corpus-utf8.asm"_s, TextEncoding::Utf8)}) {
        SCOPED_TRACE(fixture.toStdString());
        EditorWindow *editor = openFile(u"corpus.asm"_s, readBytes(dataPath(fixture)));
        EXPECT_EQ(editor->encoding(), encoding);
        EXPECT_EQ(editor->text(), text);
        type(editor, u"\n"_s);
        ASSERT_TRUE(window->triggerMenuItem(u"mFileSave"_s));
        const QByteArray saved = readBytes(path(u"corpus.asm"_s));
        EXPECT_EQ(saved, *tryEncodeText(tidied, encoding));
        EXPECT_EQ(editor->text(), editorTextFromFile(tidied));
        ASSERT_TRUE(window->triggerMenuItem(u"mFileSave"_s));
        EXPECT_EQ(readBytes(path(u"corpus.asm"_s)), saved);
        EXPECT_TRUE(prompter.messageTexts().isEmpty());
        editor->close();
    }
}

// A GBK file with a stray byte shows U+FFFD; saving asks before writing UTF-8 and No leaves the
// file alone. A UTF-8 file keeps its byte-order mark.
TEST_F(EditorFilesTest, StrayBytesAskAndByteOrderMarksStay)
{
    const QByteArray stray = QByteArray("nop ;\xD0\xB4\x81 \r\nret\r\n");
    EditorWindow *editor = openFile(u"s.asm"_s, stray);
    EXPECT_EQ(editor->text(), u"nop ;写\uFFFD \nret\n"_s);
    prompter.answerMessage(MsgAnswer::No);
    EXPECT_FALSE(editor->saveFromMenu());
    EXPECT_EQ(readBytes(path(u"s.asm"_s)), stray);
    EXPECT_EQ(prompter.messageTexts().size(), 1);
    prompter.answerMessage(MsgAnswer::Yes);
    ASSERT_TRUE(editor->saveFromMenu());
    EXPECT_EQ(readBytes(path(u"s.asm"_s)), u"\tNOP\t;写\uFFFD\r\n\tRET\r\n\tEND\r\n\r\n"_s.toUtf8());
    EXPECT_EQ(editor->encoding(), TextEncoding::Utf8);

    const QByteArray marked("\xEF\xBB\xBFnop ;\xE5\x86\x99\r\n");
    EditorWindow *utf = openFile(u"b.asm"_s, marked);
    EXPECT_EQ(utf->text(), u"nop ;写\n"_s);
    type(utf, u"ret"_s);
    ASSERT_TRUE(window->triggerMenuItem(u"mFileSave"_s));
    EXPECT_EQ(readBytes(path(u"b.asm"_s)), "\xEF\xBB\xBF\tNOP\t;\xE5\x86\x99\r\n\tRET\r\n\tEND\r\n\r\n");
    EXPECT_EQ(prompter.messageTexts().size(), 2);

    // A character no encoding holds (a lone surrogate) fails the save with a message.
    const QByteArray before = readBytes(path(u"b.asm"_s));
    type(utf, QString(QChar(0xD800)));
    EXPECT_FALSE(utf->saveFile());
    EXPECT_TRUE(utf->hasChanged());
    EXPECT_EQ(readBytes(path(u"b.asm"_s)), before);
    ASSERT_EQ(prompter.messageTexts().size(), 3);
    EXPECT_TRUE(prompter.messageTexts().last().contains(u"无法编码"_s));
}

TEST_F(EditorFilesTest, FailedWriteKeepsTextFlagAndSaysSo)
{
    writeBytes(path(u"plain"_s), "x");
    EditorWindow *editor = newEditor();
    editor->setOpenFile(path(u"plain/inner.asm"_s)); // a file cannot hold a file
    type(editor, u"MOV A,#1"_s);
    EXPECT_FALSE(editor->saveFile());
    EXPECT_TRUE(editor->hasChanged());
    EXPECT_EQ(editor->text(), u"MOV A,#1"_s);
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(prompter.messageTexts().first().contains(path(u"plain/inner.asm"_s)));
    EXPECT_TRUE(prompter.messageTexts().first().endsWith(u"（路径中有一项不是文件夹）"_s));
    EXPECT_EQ(readBytes(path(u"plain"_s)), QByteArray("x"));

    // From the menu nothing is tidied or reloaded either.
    EXPECT_FALSE(editor->saveFromMenu());
    EXPECT_EQ(editor->text(), u"MOV A,#1"_s);
    EXPECT_TRUE(editor->hasChanged());
}

// A save lets in whom the file let in: its ACL and attributes stay, through the menu's Save (which
// tidies and reloads) and through Save As onto a file with rights of its own.
TEST_F(EditorFilesTest, ASaveKeepsTheFilesAclAndAttributes)
{
    for (const QString &name : {u"r.asm"_s, u"s.asm"_s}) {
        writeBytes(path(name), "nop\r\n");
        if (const QString why = giveAccessRights(path(name), name == u"r.asm"_s, u"u:nobody:rw-,g:1:r--"_s);
            !why.isEmpty())
            GTEST_SKIP() << "no ACLs or attributes here: " << why.toStdString();
    }
    const QString rights = accessRightsOf(path(u"r.asm"_s)), otherRights = accessRightsOf(path(u"s.asm"_s));
    ASSERT_TRUE(rights.contains(u"group::r--\ngroup:1:r--\nmask::rw-"_s)) << rights.toStdString();
    EditorWindow *editor = openFile(u"r.asm"_s, "nop\r\n");
    type(editor, u"ret"_s);
    ASSERT_TRUE(window->triggerMenuItem(u"mFileSave"_s));
    EXPECT_EQ(readBytes(path(u"r.asm"_s)), QByteArray("\tNOP\r\n\tRET\r\n\tEND\r\n\r\n"));
    EXPECT_EQ(accessRightsOf(path(u"r.asm"_s)), rights);

    prompter.answerFile(path(u"s.asm"_s));
    ASSERT_TRUE(editor->saveFileAs());
    EXPECT_EQ(accessRightsOf(path(u"s.asm"_s)), otherRights);
}

TEST_F(EditorFilesTest, SaveOfNewTextAndSaveAsGoThroughTheirDialogs)
{
    EditorWindow *editor = newEditor();
    type(editor, u"NOP"_s);
    prompter.answerFile(path(u"first"_s)); // no extension: ".asm" is added
    ASSERT_TRUE(editor->saveFile());
    EXPECT_EQ(editor->openFile(), path(u"first.asm"_s));
    EXPECT_EQ(editor->windowTitle(), path(u"first.asm"_s));
    EXPECT_EQ(readBytes(path(u"first.asm"_s)), QByteArray("NOP"));

    prompter.answerFile(path(u"second.txt"_s));
    ASSERT_TRUE(editor->saveFileAs());
    EXPECT_EQ(editor->windowTitle(), path(u"second.txt"_s));

    const auto &calls = prompter.calls();
    ASSERT_EQ(calls.size(), 2);
    EXPECT_EQ(calls[0].kind, ScriptedPrompter::Kind::SaveFile);
    EXPECT_EQ(calls[0].text, u" 源程序文件(*.asm) (*.asm);;所有文件(*.*) (*)"_s);
    EXPECT_EQ(calls[1].title, u"另存为"_s);
    EXPECT_EQ(calls[1].text, calls[0].text);
}

TEST_F(EditorFilesTest, MenuSaveTidiesAsmSourcesAndReloadsThem)
{
    EditorWindow *editor = openFile(u"t.asm"_s, "nop\r\n");
    editor->editor()->selectAll();
    editor->editor()->insertPlainText(u"loop: mov a , #1 ; load\n\nend\nlost after end\n"_s);
    ASSERT_TRUE(window->triggerMenuItem(u"mFileSave"_s));
    EXPECT_EQ(readBytes(path(u"t.asm"_s)), QByteArray("LOOP:\tMOV\tA\t,#1\t;LOAD\r\n\tEND\r\n\r\n"));
    EXPECT_EQ(editor->text(), u"LOOP:\tMOV\tA\t,#1\t;LOAD\n\tEND\n\n"_s);
    EXPECT_FALSE(editor->hasChanged());

    // Mixed case "Asm" and other files are saved as typed, and still reloaded.
    for (const QString &name : {u"m.Asm"_s, u"e.err"_s}) {
        EditorWindow *other = openFile(name, "");
        type(other, u"mov a , #1\n"_s);
        ASSERT_TRUE(other->saveFromMenu());
        EXPECT_EQ(readBytes(path(name)), QByteArray("mov a , #1\r\n")) << qPrintable(name);
        EXPECT_FALSE(other->hasChanged());
    }

    // Save As of a new text to an .asm name tidies the new file.
    EditorWindow *fresh = newEditor();
    type(fresh, u"nop"_s);
    prompter.answerFile(path(u"n.asm"_s));
    ASSERT_TRUE(window->triggerMenuItem(u"mFileSaveAs"_s));
    EXPECT_EQ(readBytes(path(u"n.asm"_s)), QByteArray("\tNOP\r\n\tEND\r\n\r\n"));

    // A cancelled Save As writes, tidies and reloads nothing.
    type(fresh, u"\nmore"_s);
    const QString before = fresh->text();
    prompter.answerFile(QString());
    EXPECT_FALSE(fresh->saveAsFromMenu());
    EXPECT_EQ(fresh->text(), before);
    EXPECT_TRUE(fresh->hasChanged());
    EXPECT_EQ(readBytes(path(u"n.asm"_s)), QByteArray("\tNOP\r\n\tEND\r\n\r\n"));
}

TEST_F(EditorCloseTest, QuestionAnswersYesNoCancelAndTheLastCloseLeavesEditing)
{
    EditorWindow *editor = openFile(u"c.asm"_s, "nop\r\n");
    type(editor, u"x"_s);
    prompter.answerMessage(MsgAnswer::Cancel);
    EXPECT_FALSE(closeFrameOf(editor));
    EXPECT_TRUE(editor->hasChanged());
    ASSERT_EQ(prompter.calls().size(), 1);
    EXPECT_EQ(prompter.calls()[0].text, u"是否保存 "_s + path(u"c.asm"_s));
    EXPECT_EQ(prompter.calls()[0].style, 51);
    EXPECT_TRUE(prompter.calls()[0].title.isEmpty());

    // Yes saves as typed: the tidier does not run on this path.
    EditorWindow *second = openFile(u"d.asm"_s, "nop\r\n");
    type(second, u"x"_s);
    prompter.answerMessage(MsgAnswer::Yes);
    EXPECT_TRUE(closeFrameOf(second));
    EXPECT_EQ(readBytes(path(u"d.asm"_s)), QByteArray("nop\r\nx"));
    EXPECT_TRUE(window->isMenuVisible(u"mEdit"_s));
    EXPECT_TRUE(window->isMenuEnabled(u"mFileCloseAll"_s));

    prompter.answerMessage(MsgAnswer::No);
    QPointer<EditorWindow> closed = editor;
    EXPECT_TRUE(closeFrameOf(editor));
    EXPECT_TRUE(closed.isNull());
    EXPECT_EQ(readBytes(path(u"c.asm"_s)), QByteArray("nop\r\n"));
    EXPECT_FALSE(window->isMenuVisible(u"mEdit"_s));
    EXPECT_FALSE(window->isMenuVisible(u"mWindow"_s));
    for (const QString &item : {u"mFilePrint"_s, u"mFileSave"_s, u"mFileSaveAs"_s, u"mFileCloseAll"_s})
        EXPECT_FALSE(window->isMenuEnabled(item)) << qPrintable(item);
    EXPECT_EQ(enabledToolbarKeys(), idleKeys());
    EXPECT_TRUE(window->statusText(1).isEmpty());
}

TEST_F(EditorCloseTest, YesWithCancelledDialogKeepsNewTextOpen)
{
    EditorWindow *editor = newEditor();
    type(editor, u"keep me"_s);
    prompter.answerMessage(MsgAnswer::Yes);
    prompter.answerFile(QString());
    EXPECT_FALSE(closeFrameOf(editor));
    EXPECT_EQ(editor->text(), u"keep me"_s);
    EXPECT_TRUE(window->isMenuVisible(u"mEdit"_s));
    EXPECT_TRUE(window->isMenuEnabled(u"mFileSave"_s));
    EXPECT_EQ(prompter.messageTexts(), QStringList{u"是否保存 源程序编辑"_s});
}

TEST_F(EditorCloseTest, ListingsCloseSilentlyReportsAskByCaptionAndSaveByPath)
{
    for (const QString &name : {u"a.lst"_s, u"a.LST"_s, u"a.bin"_s, u"a.BIN"_s}) {
        EditorWindow *editor = openFile(name, "x");
        type(editor, u"changed"_s);
        EXPECT_TRUE(closeFrameOf(editor)) << qPrintable(name);
    }
    EXPECT_TRUE(prompter.calls().isEmpty());

    EditorWindow *report = openFile(u"prog.err"_s, "no errors\r\n", EditorWindow::messageCaption());
    EXPECT_EQ(report->windowTitle(), u"编译信息"_s);
    type(report, u"x"_s);
    prompter.answerMessage(MsgAnswer::Cancel);
    EXPECT_FALSE(closeFrameOf(report));
    EXPECT_EQ(prompter.messageTexts(), QStringList{u"是否保存 编译信息"_s});
    prompter.answerMessage(MsgAnswer::Yes);
    EXPECT_TRUE(closeFrameOf(report));
    EXPECT_EQ(readBytes(path(u"prog.err"_s)), QByteArray("no errors\r\nx"));

    // File > Save tidies and reloads by the file's path, not by the caption.
    EditorWindow *editor = openFile(u"cmp.asm"_s, "nop\r\n", EditorWindow::messageCaption());
    type(editor, u"mov a, #1"_s);
    ASSERT_TRUE(window->triggerMenuItem(u"mFileSave"_s));
    EXPECT_EQ(readBytes(path(u"cmp.asm"_s)), QByteArray("\tNOP\r\n\tMOV\tA,#1\r\n\tEND\r\n\r\n"));
    EXPECT_EQ(editor->text(), u"\tNOP\n\tMOV\tA,#1\n\tEND\n\n"_s);
    EXPECT_EQ(editor->windowTitle(), u"编译信息"_s);
    EXPECT_FALSE(editor->hasChanged());
}

TEST_F(EditorStateTest, CaretPanelAndSaveFollowTheActiveEditor)
{
    EXPECT_FALSE(window->triggerMenuItem(u"mFileSave"_s)); // no editor: nothing to save
    ASSERT_TRUE(window->clickToolbarButton(u"New"_s));
    EditorWindow *typed = window->activeEditor();
    ASSERT_NE(typed, nullptr);
    EXPECT_EQ(typed->windowTitle(), u"源程序编辑"_s);
    QTest::keyClicks(typed->editor(), u"ab"_s);
    QTest::keyClick(typed->editor(), Qt::Key_Return);
    QTest::keyClicks(typed->editor(), u"\tefgh"_s);
    EXPECT_TRUE(typed->hasChanged());
    EXPECT_EQ(window->statusPanel(1)->text(), u"行： 2   列： 6"_s);

    openFile(u"o.asm"_s, "NOP\r\n");
    EXPECT_EQ(window->statusPanel(1)->text(), u"行： 1   列： 1"_s);
    window->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(typed->parentWidget()));
    EXPECT_EQ(window->statusPanel(1)->text(), u"行： 2   列： 6"_s);

    // Selections spanning lines, either way: where the selection starts, on its own line (never
    // a column below 1).
    select(typed, 1, 5);
    EXPECT_EQ(window->statusPanel(1)->text(), u"行： 1   列： 2"_s);
    // Only the start moves, the caret stays: the panel follows all the same.
    select(typed, 4, 5);
    EXPECT_EQ(window->statusPanel(1)->text(), u"行： 2   列： 2"_s);
    select(typed, 5, 1);
    EXPECT_EQ(window->statusPanel(1)->text(), u"行： 1   列： 2"_s);
    // Positions are not cut to 16 bits.
    type(typed, QString(70000, u'x'));
    EXPECT_EQ(window->statusPanel(1)->text(), u"行： 2   列： 70006"_s);

    // Save goes to the active editor: the new text asks for a name and lands in that file.
    prompter.answerFile(path(u"typed.txt"_s));
    ASSERT_TRUE(window->triggerMenuItem(u"mFileSave"_s));
    EXPECT_EQ(readBytes(path(u"typed.txt"_s)), "ab\r\n\tefgh" + QByteArray(70000, 'x'));
    EXPECT_EQ(typed->windowTitle(), path(u"typed.txt"_s));
    EXPECT_FALSE(typed->hasChanged());
    EXPECT_EQ(readBytes(path(u"o.asm"_s)), QByteArray("NOP\r\n"));
}

// Another program changes the file under an open editor: a save asks before it writes over the
// change, and No leaves the file and the editor as they were.
TEST_F(EditorDiskTest, ASaveOverAnOutsideChangeAsksAndNoKeepsTheFile)
{
    const QString file = path(u"x.asm"_s);
    EditorWindow *editor = openFile(u"x.asm"_s, "nop\r\n");
    type(editor, u"ret"_s);
    ASSERT_TRUE(editor->saveFile());
    EXPECT_TRUE(prompter.calls().isEmpty());

    writeBytes(file, "outside\r\n");
    type(editor, u"\nmine"_s);
    prompter.answerMessage(MsgAnswer::No);
    EXPECT_FALSE(editor->saveFile());
    ASSERT_EQ(prompter.calls().size(), 1);
    EXPECT_EQ(prompter.calls()[0].text,
              u"文件已被其他程序修改："_s + file + u"\r\n保存将覆盖这些修改。仍要保存吗？"_s);
    EXPECT_EQ(prompter.calls()[0].style, MsgStyle::YesNo + MsgStyle::Exclamation + MsgStyle::DefaultButton2);
    EXPECT_EQ(prompter.calls()[0].title, u"信息"_s);
    EXPECT_EQ(readBytes(file), QByteArray("outside\r\n"));
    EXPECT_EQ(editor->text(), u"nop\nret\nmine"_s);
    EXPECT_TRUE(editor->hasChanged());

    // Asked again; Yes writes, and from then on the file is the editor's own again.
    prompter.answerMessage(MsgAnswer::Yes);
    ASSERT_TRUE(editor->saveFile());
    EXPECT_EQ(readBytes(file), QByteArray("nop\r\nret\r\nmine"));
    type(editor, u"!"_s);
    ASSERT_TRUE(editor->saveFile());
    EXPECT_EQ(prompter.calls().size(), 2);

    // The same size, written at once: the bytes tell.
    writeBytes(file, "NOP\r\nRET\r\nMINE!");
    prompter.answerMessage(MsgAnswer::No);
    EXPECT_FALSE(editor->saveFile());
    EXPECT_EQ(prompter.calls().size(), 3);
    EXPECT_EQ(readBytes(file), QByteArray("NOP\r\nRET\r\nMINE!"));

    // A file deleted outside has nothing to lose: it is written again unasked.
    QFile::remove(file);
    ASSERT_TRUE(editor->saveFile());
    EXPECT_EQ(prompter.calls().size(), 3);
    EXPECT_EQ(readBytes(file), QByteArray("nop\r\nret\r\nmine!"));
}

TEST_F(EditorDiskTest, TheCloseQuestionSaveAsAndTheTidiedSaveAskTheSameWay)
{
    const QString file = path(u"c.asm"_s);
    EditorWindow *editor = openFile(u"c.asm"_s, "nop\r\n");
    type(editor, u"x"_s);
    writeBytes(file, "theirs\r\n");
    // Yes to saving, No to overwriting: the window stays open over the untouched file.
    prompter.answerMessage(MsgAnswer::Yes);
    prompter.answerMessage(MsgAnswer::No);
    ASSERT_FALSE(closeFrameOf(editor));
    EXPECT_EQ(prompter.messageTexts().size(), 2);
    EXPECT_EQ(readBytes(file), QByteArray("theirs\r\n"));
    EXPECT_TRUE(editor->hasChanged());

    // Save As onto the same file asks after its dialog's question; onto another file only the
    // dialog asks.
    prompter.clearCalls();
    prompter.answerFile(file);
    prompter.answerMessage(MsgAnswer::Yes);
    prompter.answerMessage(MsgAnswer::No);
    EXPECT_FALSE(editor->saveFileAs());
    ASSERT_EQ(prompter.messageTexts().size(), 2);
    EXPECT_EQ(prompter.messageTexts()[0], replaceFileQuestion(file));
    EXPECT_TRUE(prompter.messageTexts()[1].startsWith(u"文件已被其他程序修改："_s + file));
    EXPECT_EQ(readBytes(file), QByteArray("theirs\r\n"));
    writeBytes(path(u"other.asm"_s), "old\r\n");
    prompter.answerFile(path(u"other.asm"_s));
    prompter.answerMessage(MsgAnswer::Yes);
    ASSERT_TRUE(editor->saveFileAs());
    EXPECT_EQ(prompter.messageTexts().size(), 3);
    EXPECT_EQ(readBytes(path(u"other.asm"_s)), QByteArray("nop\r\nx"));

    // The menu's Save of a source asks before the tidier runs; the tidier's own rewrite is no
    // outside change, so the next save asks nothing.
    EditorWindow *tidied = openFile(u"t.asm"_s, "nop\r\n");
    type(tidied, u"mov a, #1"_s);
    writeBytes(path(u"t.asm"_s), "; theirs\r\n");
    prompter.clearCalls();
    prompter.answerMessage(MsgAnswer::No);
    EXPECT_FALSE(tidied->saveFromMenu());
    EXPECT_EQ(readBytes(path(u"t.asm"_s)), QByteArray("; theirs\r\n"));
    prompter.answerMessage(MsgAnswer::Yes);
    ASSERT_TRUE(tidied->saveFromMenu());
    EXPECT_EQ(readBytes(path(u"t.asm"_s)), QByteArray("\tNOP\r\n\tMOV\tA,#1\r\n\tEND\r\n\r\n"));
    type(tidied, u"nop"_s);
    ASSERT_TRUE(tidied->saveFromMenu());
    EXPECT_EQ(prompter.messageTexts().size(), 2);
}

// Every save that meets another program's change puts its question with No as the default, so
// that Enter or Esc keeps that change: the plain save, Save As after its dialog's question, the
// close question's Yes, and a save whose file changes while the encoding question is open.
TEST_F(EditorDiskTest, TheOutsideChangeQuestionDefaultsToNoWhereverItIsPut)
{
    const QString file = path(u"d.asm"_s);
    const auto outside = [&] { writeBytes(file, readBytes(file) + "; other\r\n"); };
    enum class Save { Menu, SaveAsOverIt, CloseQuestion, AfterEncodingQuestion };
    const struct {
        const char *what;
        Save save;
        QByteArray before;
    } cases[] = {
        {"menu save", Save::Menu, "nop\r\n"},
        {"save as after the replace question", Save::SaveAsOverIt, "nop\r\n"},
        {"the close question's yes", Save::CloseQuestion, "nop\r\n"},
        {"after the encoding question", Save::AfterEncodingQuestion, "nop ;\xD0\xB4\x81\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EditorWindow *editor = openFile(u"d.asm"_s, c.before);
        type(editor, u"x"_s);
        prompter.clearCalls();
        bool saved = true;
        switch (c.save) {
        case Save::Menu:
            outside();
            prompter.answerMessage(MsgAnswer::No);
            saved = editor->saveFromMenu();
            break;
        case Save::SaveAsOverIt:
            outside();
            prompter.answerFile(file);
            prompter.answerMessage(MsgAnswer::Yes); // the dialog's own question
            prompter.answerMessage(MsgAnswer::No);
            saved = editor->saveFileAs();
            break;
        case Save::CloseQuestion:
            outside();
            prompter.answerMessage(MsgAnswer::Yes); // 是否保存
            prompter.answerMessage(MsgAnswer::No);
            saved = closeFrameOf(editor);
            break;
        case Save::AfterEncodingQuestion:
            prompter.answerMessage(MsgAnswer::Yes, outside); // save as UTF-8
            prompter.answerMessage(MsgAnswer::No);
            saved = editor->saveFromMenu();
            break;
        }
        EXPECT_FALSE(saved);
        QList<int> styles;
        for (const ScriptedPrompter::Call &call : prompter.calls())
            if (call.text == changedOnDiskText(file))
                styles.append(call.style);
        EXPECT_EQ(styles, QList<int>{MsgStyle::YesNo + MsgStyle::Exclamation + MsgStyle::DefaultButton2});
        EXPECT_EQ(readBytes(file), c.before + "; other\r\n");
        EXPECT_TRUE(editor->hasChanged());
        editor->clearChanged();
        ASSERT_TRUE(closeFrameOf(editor));
    }
}

// What the writer refuses before any question (a folder or a device at the name, a read-only file,
// a folder that takes no new file) is named at once on every road that would put the outside-change
// question, where Yes could do nothing: the menu's Save, Save As over the file, the close
// question's Yes, and the save of a new text whose name is taken meanwhile. Nothing else is asked,
// and the file, the editor's text and its changed flag stay.
TEST_F(EditorDiskTest, WhatTheWriterRefusesIsNamedBeforeAnyQuestion)
{
    struct Obstacle {
        const char *what;
        std::function<QString(const QString &folder)> reason;
        // Puts it at file in folder; a holder that must live while it stands, or null.
        std::function<std::unique_ptr<ReadOnlyFolder>(const QString &folder, const QString &file)> place;
    };
    const auto theirs = [](const QString &file) { writeBytes(file, "theirs\r\n"); };
    const Obstacle obstacles[] = {
        {"a folder", [](const QString &) { return u"已有同名的文件夹"_s; },
         [](const QString &, const QString &file) {
             QFile::remove(file);
             QDir().mkdir(file);
             return nullptr;
         }},
        {"a device", [](const QString &) { return u"这是设备或管道，不是普通文件"_s; },
         [](const QString &, const QString &file) {
             QFile::remove(file);
             QFile::link(u"/dev/null"_s, file);
             return nullptr;
         }},
        {"a read-only file", [](const QString &) { return u"文件是只读的，没有写入权限"_s; },
         [&](const QString &, const QString &file) {
             theirs(file);
             return std::make_unique<ReadOnlyFolder>(file);
         }},
        {"a folder that takes no new file", [](const QString &folder) { return folderRefusal(folder); },
         [&](const QString &folder, const QString &file) {
             if (QFile::exists(file))
                 theirs(file);
             return std::make_unique<ReadOnlyFolder>(folder);
         }},
    };
    enum class Road { Menu, SaveAsOverIt, CloseQuestion, NewText };
    int row = 0;
    for (const Obstacle &obstacle : obstacles) {
        for (const Road road : {Road::Menu, Road::SaveAsOverIt, Road::CloseQuestion, Road::NewText}) {
            SCOPED_TRACE(std::string(obstacle.what) + " on road " + std::to_string(static_cast<int>(road)));
            const QString name = QString::number(++row) + u"/d.asm"_s;
            const QString folder = path(QString::number(row)), file = path(name);
            QDir().mkpath(folder);
            std::unique_ptr<ReadOnlyFolder> holder;
            const auto place = [&] { holder = obstacle.place(folder, file); };
            const QPointer<EditorWindow> editor =
                road == Road::NewText ? newEditor() : openFile(name, "nop\r\n");
            type(editor, u"x"_s);
            const QString text = editor->text();
            prompter.clearCalls();
            QStringList expected = {saveFailedText(file, false) + u"（"_s + obstacle.reason(folder) +
                                    u"）"_s};
            bool saved = true;
            switch (road) {
            case Road::Menu:
                place();
                saved = editor->saveFromMenu();
                break;
            case Road::SaveAsOverIt:
                place();
                prompter.answerFile(file);
                saved = editor->saveFileAs();
                break;
            case Road::CloseQuestion:
                place();
                prompter.answerMessage(MsgAnswer::Yes);
                expected.prepend(u"是否保存 "_s + file);
                saved = closeFrameOf(editor);
                break;
            case Road::NewText:
                prompter.answerFile(file, place);
                saved = editor->saveFile();
                break;
            }
            // Where nothing here can make a file or folder refuse writing, the case says nothing.
            if (!holder || holder->active()) {
                EXPECT_FALSE(saved);
                ASSERT_TRUE(editor);
                EXPECT_EQ(prompter.messageTexts(), expected);
                EXPECT_EQ(editor->text(), text);
                EXPECT_TRUE(editor->hasChanged());
            }
            holder.reset();
            if (editor) {
                editor->clearChanged();
                ASSERT_TRUE(closeFrameOf(editor));
            }
        }
    }
}

namespace
{

// A user at the keyboard: each message box that opens gets the next key of the script, pressed
// where the box has its keyboard focus, and what the box showed is noted. A box the script has no
// key for, or one the key leaves open, fails the test and is closed, so nothing waits for a user.
class KeyboardUser : public QObject
{
  public:
    struct Seen {
        QString text;
        QMessageBox::StandardButton defaultButton;
    };
    QList<Qt::Key> keys;
    QList<Seen> seen;

    KeyboardUser() { qApp->installEventFilter(this); }
    ~KeyboardUser() override { qApp->removeEventFilter(this); }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Answered once the box runs its own loop, as a user's key reaches it.
        if (auto *box = qobject_cast<QMessageBox *>(watched); box && event->type() == QEvent::Show)
            QMetaObject::invokeMethod(
                this, [this, shown = QPointer<QMessageBox>(box)] { press(shown); }, Qt::QueuedConnection);
        return false;
    }

  private:
    void press(QMessageBox *box)
    {
        if (!box || !box->isVisible())
            return;
        seen.append(Seen{box->text(), box->standardButton(box->defaultButton())});
        if (keys.isEmpty()) {
            ADD_FAILURE() << "a box nobody expected: " << box->text().toStdString();
        } else {
            QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, keys.takeFirst());
            if (!box->isVisible())
                return;
            ADD_FAILURE() << "the key left the box open: " << box->text().toStdString();
        }
        box->done(QMessageBox::Cancel);
    }
};

// The editor in the main window with the real message boxes.
class EditorKeyboardTest : public MainWindowTest
{
  protected:
    QtPrompter realBoxes;

    void SetUp() override
    {
        registerHelpWindows();
        window = std::make_unique<MainWindow>(realBoxes);
        window->show();
        QApplication::setActiveWindow(window.get());
    }
};

} // namespace

// As a user meets it: another program appends a line to the file, the user presses Ctrl+S and
// then only Enter or Esc on the question, or closes the window and presses Enter twice. The line
// stays on disk, and the editor keeps its text.
TEST_F(EditorKeyboardTest, EnterOrEscOnTheOutsideChangeQuestionKeepsTheOtherProgramsLine)
{
    const QString file = path(u"k.asm"_s);
    EditorWindow *editor = openFile(u"k.asm"_s, "nop\r\n");
    QPlainTextEdit *text = editor->editor();
    text->setFocus();
    QTest::keyClicks(text, u"ret "_s);
    writeBytes(file, readBytes(file) + "; other\r\n");
    const QByteArray theirs = readBytes(file);

    KeyboardUser user;
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        SCOPED_TRACE(key == Qt::Key_Return ? "Enter" : "Esc");
        user.seen.clear();
        user.keys = {key};
        // Back in the editor, as the window manager hands it the focus when a box closes.
        QApplication::setActiveWindow(window.get());
        text->setFocus();
        QTest::keyClick(text, Qt::Key_S, Qt::ControlModifier);
        ASSERT_EQ(user.seen.size(), 1);
        EXPECT_EQ(user.seen[0].text, changedOnDiskText(file));
        EXPECT_EQ(user.seen[0].defaultButton, QMessageBox::No);
        EXPECT_EQ(readBytes(file), theirs);
        EXPECT_EQ(editor->text(), u"ret nop\n"_s);
        EXPECT_TRUE(editor->hasChanged());
    }

    // Enter on the close question saves (Yes is its default); Enter on the next one keeps the line
    // and the window.
    user.seen.clear();
    user.keys = {Qt::Key_Return, Qt::Key_Return};
    EXPECT_FALSE(closeFrameOf(editor));
    ASSERT_EQ(user.seen.size(), 2);
    EXPECT_EQ(user.seen[1].text, changedOnDiskText(file));
    EXPECT_EQ(readBytes(file), theirs);
    EXPECT_EQ(window->editorCount(), 1);
    EXPECT_TRUE(editor->hasChanged());
}

// The file a save replaces is the one the user was asked about, or, unasked, the one the editor
// last read or wrote: another program's change in between (while the question is open, or between
// the look and the write) is asked about again, and No leaves that program's file as it left it.
TEST_F(EditorDiskTest, ASaveReplacesOnlyTheFileTheUserAgreedTo)
{
    const QString file = path(u"race.asm"_s);
    QString target; // the file the save writes
    const auto appendOutside = [&](const char *line) {
        return [&target, line] { writeBytes(target, readBytes(target) + line); };
    };
    const auto renameOver = [this, &target] {
        writeBytes(path(u"swap"_s), "; moved over\r\n");
        ASSERT_TRUE(QFile::remove(target));
        ASSERT_TRUE(QFile::rename(path(u"swap"_s), target));
    };
    static std::function<void()> atTheWrite;
    setReplaceStepHook([](ReplaceStep step) {
        if (step == ReplaceStep::Staged && atTheWrite)
            std::exchange(atTheWrite, {})();
    });
    const auto unhook = qScopeGuard([] { setReplaceStepHook(nullptr); });
    enum class Save { Menu, SaveAsOther, CloseQuestion };
    const struct {
        const char *what;
        Save save;
        bool changedBefore; // the first question is asked at all
        std::function<void()> whileAsked;
        std::function<void()> atWrite;
        QByteArray left; // what No to the second question leaves on disk
    } cases[] = {
        {"appended while asked",
         Save::Menu,
         true,
         appendOutside("; second\r\n"),
         {},
         "nop\r\n; other\r\n; second\r\n"},
        {"renamed over while asked", Save::Menu, true, renameOver, {}, "; moved over\r\n"},
        {"saved between the look and the write",
         Save::Menu,
         false,
         {},
         appendOutside("; late\r\n"),
         "nop\r\n; late\r\n"},
        {"save as over another file",
         Save::SaveAsOther,
         false,
         {},
         appendOutside("; late\r\n"),
         "nop\r\n; late\r\n"},
        {"through the close question",
         Save::CloseQuestion,
         true,
         appendOutside("; second\r\n"),
         {},
         "nop\r\n; other\r\n; second\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        prompter.clearCalls();
        QFile::remove(file);
        EditorWindow *editor = openFile(u"race.asm"_s, "nop\r\n");
        target = c.save == Save::SaveAsOther ? path(u"other.asm"_s) : file;
        if (c.save == Save::SaveAsOther)
            writeBytes(target, "nop\r\n");
        type(editor, u"x"_s);
        if (c.changedBefore)
            writeBytes(target, readBytes(target) + "; other\r\n");
        atTheWrite = c.atWrite;
        if (c.save == Save::CloseQuestion)
            prompter.answerMessage(MsgAnswer::Yes); // 是否保存
        if (c.save == Save::SaveAsOther)
            prompter.answerMessage(MsgAnswer::Yes); // the dialog's own question
        if (c.changedBefore)
            prompter.answerMessage(MsgAnswer::Yes, c.whileAsked);
        prompter.answerMessage(MsgAnswer::No); // asked again about what stands there now
        bool saved = false;
        switch (c.save) {
        case Save::Menu:
            saved = editor->saveFile();
            break;
        case Save::SaveAsOther:
            prompter.answerFile(target);
            saved = editor->saveFileAs();
            break;
        case Save::CloseQuestion:
            saved = closeFrameOf(editor);
            break;
        }
        EXPECT_FALSE(saved);
        EXPECT_EQ(readBytes(target), c.left);
        const QStringList asked = prompter.messageTexts().filter(u"文件已被其他程序修改："_s + target);
        EXPECT_EQ(asked.size(), c.changedBefore ? 2 : 1) << prompter.messageTexts().join(u'|').toStdString();
        EXPECT_TRUE(editor->hasChanged());
        EXPECT_EQ(QDir(dir.path()).entryList({u".tw-*"_s}, QDir::Files | QDir::Hidden), QStringList());

        // Yes to what stands there now writes the editor's text over it (Save As's dialog asked).
        if (c.save == Save::SaveAsOther)
            prompter.answerFile(target);
        prompter.answerMessage(MsgAnswer::Yes);
        ASSERT_TRUE(c.save == Save::SaveAsOther ? editor->saveFileAs() : editor->saveFile());
        EXPECT_EQ(readBytes(target), QByteArray("nop\r\nx"));
        ASSERT_TRUE(closeFrameOf(editor));
    }
}

// Save As replaces only what stood at the name when its dialog's question was put: a change while
// the question is open is asked about as an outside change (No leaves that program's file, Yes
// writes over what stands there then), and a file made at a name the dialog found free is not
// replaced unasked. No to the dialog's question shows the dialog again at that name.
TEST_F(EditorDiskTest, SaveAsReplacesOnlyWhatItsDialogAskedAbout)
{
    const QString target = path(u"other.asm"_s);
    const QString question = replaceFileQuestion(target);
    const QString changed = changedOnDiskText(target);
    const auto appendOutside = [&] { writeBytes(target, readBytes(target) + "; second\r\n"); };
    const auto moveOver = [&] { moveNewFileOver(target, "; moved over\r\n"); };
    const auto makeOutside = [&] { writeBytes(target, "; made\r\n"); };
    AtTheNextWrite atTheWrite;
    // The editor, holding race.asm with a change, closed without saving once the case is done.
    const auto editing = [&] {
        EditorWindow *editor = openFile(u"race.asm"_s, "nop\r\n");
        type(editor, u"x"_s);
        prompter.clearCalls();
        return editor;
    };
    const auto close = [&](EditorWindow *editor) {
        if (editor->hasChanged())
            prompter.answerMessage(MsgAnswer::No);
        EXPECT_TRUE(closeFrameOf(editor));
    };

    const struct {
        const char *what;
        bool existed;                         // the dialog's question is put
        std::function<void()> whileAsked;     // ... and this runs while it is open
        std::function<void()> asDialogCloses; // a file made before the name is looked at
        std::function<void()> atWrite;        // a file made after the look, as the save writes
        QByteArray theirs;                    // what the other program left at the name
        QStringList asked;
    } cases[] = {
        {"appended while asked", true, appendOutside, {}, {}, "old\r\n; second\r\n", {question, changed}},
        {"moved over while asked", true, moveOver, {}, {}, "; moved over\r\n", {question, changed}},
        {"made at a free name as the dialog closes", false, {}, makeOutside, {}, "; made\r\n", {question}},
        {"made at a free name as the save writes", false, {}, {}, makeOutside, "; made\r\n", {changed}},
    };
    for (const auto &c : cases)
        for (const bool agree : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (agree ? ", Yes" : ", No"));
            QFile::remove(target);
            if (c.existed)
                writeBytes(target, "old\r\n");
            EditorWindow *editor = editing();
            atTheWrite.set(c.atWrite);
            prompter.answerFile(target, c.asDialogCloses);
            if (c.whileAsked)
                prompter.answerMessage(MsgAnswer::Yes, c.whileAsked);
            prompter.answerMessage(agree ? MsgAnswer::Yes : MsgAnswer::No);
            EXPECT_EQ(editor->saveFileAs(), agree);
            EXPECT_EQ(prompter.messageTexts(), c.asked);
            EXPECT_EQ(readBytes(target), agree ? QByteArray("nop\r\nx") : c.theirs);
            EXPECT_EQ(editor->hasChanged(), !agree);
            EXPECT_EQ(editor->openFile(), agree ? target : path(u"race.asm"_s));
            EXPECT_EQ(QDir(dir.path()).entryList({u".tw-*"_s}, QDir::Files | QDir::Hidden), QStringList());
            close(editor);
        }

    // No to the dialog's question (Qt's own words, No its default) opens the dialog again at that
    // name, and another name chosen there leaves the first file alone.
    writeBytes(target, "old\r\n");
    EditorWindow *editor = editing();
    prompter.answerFile(target);
    prompter.answerMessage(MsgAnswer::No);
    prompter.answerFile(path(u"third.asm"_s));
    ASSERT_TRUE(editor->saveFileAs());
    EXPECT_EQ(readBytes(target), QByteArray("old\r\n"));
    EXPECT_EQ(readBytes(path(u"third.asm"_s)), QByteArray("nop\r\nx"));
    const auto &calls = prompter.calls();
    ASSERT_EQ(calls.size(), 3);
    EXPECT_EQ(calls[0].kind, ScriptedPrompter::Kind::SaveFile);
    EXPECT_EQ(calls[0].start, path(u"race.asm"_s));
    EXPECT_EQ(calls[1].kind, ScriptedPrompter::Kind::Message);
    EXPECT_EQ(calls[1].text, question);
    EXPECT_EQ(calls[1].title, u"另存为"_s);
    EXPECT_EQ(calls[1].style, MsgStyle::YesNo + MsgStyle::Exclamation + MsgStyle::DefaultButton2);
    EXPECT_EQ(calls[2].kind, ScriptedPrompter::Kind::SaveFile);
    EXPECT_EQ(calls[2].start, target);
    // The Save of a new text asks the same way about a name typed without its extension.
    EditorWindow *fresh = newEditor();
    type(fresh, u"ret"_s);
    prompter.clearCalls();
    prompter.answerFile(path(u"third"_s));
    prompter.answerMessage(MsgAnswer::No);
    EXPECT_FALSE(fresh->saveFile());
    EXPECT_EQ(prompter.messageTexts(), QStringList(replaceFileQuestion(path(u"third.asm"_s))));
    EXPECT_EQ(readBytes(path(u"third.asm"_s)), QByteArray("nop\r\nx"));
}

// A tool showing its output again finds the editor that holds the file, under any spelling of its
// path, and reloads it: one editor, the tool's text, nothing changed.
TEST_F(EditorDiskTest, AToolShowingAFileAnEditorHoldsReloadsThatEditor)
{
    const QString file = path(u"x.asm"_s);
    EditorWindow *editor = openFile(u"x.asm"_s, "old\r\n");
    type(editor, u"typed"_s);
    EditorWindow *fresh = newEditor();
    writeBytes(file, "new\r\nfrom the tool\r\n");
    window->openInEditor(file, EditorWindow::messageCaption());
    EXPECT_EQ(window->editorCount(), 2);
    EXPECT_EQ(window->activeEditor(), editor);
    EXPECT_EQ(editor->text(), u"new\nfrom the tool\n"_s);
    EXPECT_EQ(editor->windowTitle(), u"编译信息"_s);
    EXPECT_FALSE(editor->hasChanged());

    ASSERT_TRUE(QFile::link(file, path(u"link.asm"_s)));
    const QString spelling = dir.path() + u"/./link.asm"_s;
    writeBytes(file, "third\r\n");
    window->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(fresh->parentWidget()));
    window->openInEditor(spelling);
    EXPECT_EQ(window->editorCount(), 2);
    EXPECT_EQ(window->activeEditor(), editor);
    EXPECT_EQ(editor->text(), u"third\n"_s);
    EXPECT_EQ(editor->windowTitle(), spelling);
    EXPECT_EQ(editor->openFile(), spelling);

    // The reload is the editor's own reading: saving over it asks nothing.
    type(editor, u"nop"_s);
    ASSERT_TRUE(editor->saveFile());
    EXPECT_TRUE(prompter.calls().isEmpty());
    EXPECT_EQ(readBytes(file), QByteArray("third\r\nnop"));

    // The open commands never reload: an editor over the file under another spelling keeps its
    // unsaved text and a second one opens.
    type(editor, u"mine"_s);
    prompter.answerFile(file);
    ASSERT_TRUE(window->triggerMenuItem(u"mFileOpen"_s));
    EXPECT_EQ(window->editorCount(), 3);
    EXPECT_EQ(editor->text(), u"third\nnopmine"_s);
    EXPECT_TRUE(editor->hasChanged());

    // A file gone since is matched by its clean path; the editor that held it keeps its text.
    EditorWindow *gone = openFile(u"gone.err"_s, "report\r\n");
    type(gone, u"!"_s);
    QFile::remove(path(u"gone.err"_s));
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"sub"_s));
    prompter.clearCalls();
    window->openInEditor(dir.path() + u"/sub/../gone.err"_s);
    EXPECT_EQ(window->editorCount(), 4);
    EXPECT_EQ(gone->text(), u"report\n!"_s);
    EXPECT_EQ(prompter.messageTexts(), QStringList{u"无法读取文件 "_s + dir.path() + u"/sub/../gone.err"_s});
}
