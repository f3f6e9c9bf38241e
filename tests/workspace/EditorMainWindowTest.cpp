// Editor windows inside the real main window: the open commands, the File menu's save, the close
// question through the MDI frame, Close All, the caret panel and the right-click Edit menu.
#include "common/ScriptedPrompter.h"
#include "support/TestFiles.h"
#include "workspace/ui/EditorWindow.h"
#include "workspace/ui/FindCommands.h"
#include "workspace/ui/MainWindow.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace tw;
using twtest::readBytes;
using twtest::writeBytes;

class EditorInMainWindowTest : public ::testing::Test
{
  protected:
    ScriptedPrompter prompter;
    QTemporaryDir dir;
    std::unique_ptr<MainWindow> window;

    void SetUp() override
    {
        window = std::make_unique<MainWindow>(prompter);
        window->show();
    }
    void TearDown() override
    {
        // Unsaved test texts are thrown away without questions.
        for (EditorWindow *editor : window->editors())
            editor->clearChanged();
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QString file(const char *name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        writeBytes(path, bytes);
        return path;
    }

    EditorWindow *openThroughMenu(const char *item, const QString &path)
    {
        prompter.answerFile(path);
        EXPECT_TRUE(window->triggerMenuItem(QString::fromLatin1(item)));
        return window->activeEditor();
    }

    static void type(EditorWindow *editor, const QString &text)
    {
        editor->editor()->moveCursor(QTextCursor::End);
        editor->editor()->insertPlainText(text);
    }

    bool closeFrameOf(EditorWindow *editor)
    {
        auto *frame = qobject_cast<QMdiSubWindow *>(editor->parentWidget());
        EXPECT_NE(frame, nullptr);
        const bool closed = frame && frame->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return closed;
    }
};

TEST_F(EditorInMainWindowTest, OpenCommandsReuseTheEditorThatShowsTheFile)
{
    const QString first = file("one.asm", "\tNOP\r\n");
    const QString second = file("two.lst", "  MCS51\r\n");

    EditorWindow *a = openThroughMenu("mFileOpen", first);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->windowTitle(), first);
    EXPECT_EQ(a->openFile(), first);
    EXPECT_EQ(a->text(), QStringLiteral("\tNOP\n"));
    EXPECT_FALSE(a->hasChanged());
    EXPECT_TRUE(window->isMenuVisible("mEdit"));
    EXPECT_TRUE(window->isMenuEnabled("mFileSave"));

    EditorWindow *b = openThroughMenu("lst", second);
    EXPECT_NE(b, a);
    EXPECT_EQ(window->editors().size(), 2);

    EXPECT_EQ(openThroughMenu("mFileOpen", first), a);
    EXPECT_EQ(window->editors().size(), 2);
}

TEST_F(EditorInMainWindowTest, MessageFilesKeepTheirCaptionInTheCloseQuestion)
{
    const QString report = file("prog.err", "no errors\r\n");
    window->openInEditor(report, EditorWindow::messageCaption());
    EditorWindow *editor = window->activeEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->windowTitle(), QStringLiteral(u"编译信息"));
    type(editor, "x");

    prompter.answerMessage(MsgAnswer::Cancel);
    EXPECT_FALSE(closeFrameOf(editor));
    EXPECT_EQ(window->editors().size(), 1);
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral(u"是否保存 编译信息")});

    prompter.answerMessage(MsgAnswer::Yes);
    QPointer<EditorWindow> gone = editor;
    EXPECT_TRUE(closeFrameOf(editor));
    EXPECT_TRUE(gone.isNull());
    EXPECT_EQ(readBytes(report), QByteArray("no errors\r\nx"));
    EXPECT_TRUE(window->editors().isEmpty());
    EXPECT_FALSE(window->isMenuVisible("mEdit"));

    // File > Save tidies and reloads by the file's path, not by the caption.
    const QString source = file("cmp.asm", "nop\r\n");
    window->openInEditor(source, EditorWindow::messageCaption());
    editor = window->activeEditor();
    type(editor, "mov a, #1");
    ASSERT_TRUE(window->triggerMenuItem("mFileSave"));
    EXPECT_EQ(readBytes(source), QByteArray("\tNOP\r\n\tMOV\tA,#1\r\n\tEND\r\n\r\n"));
    EXPECT_EQ(editor->text(), QStringLiteral("\tNOP\n\tMOV\tA,#1\n\tEND\n\n"));
    EXPECT_EQ(editor->windowTitle(), QStringLiteral(u"编译信息"));
    EXPECT_FALSE(editor->hasChanged());
}

TEST_F(EditorInMainWindowTest, RightClickPopsUpTheEditMenu)
{
    window->triggerMenuItem("mFileNew");
    EditorWindow *editor = window->activeEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->windowTitle(), QStringLiteral(u"源程序编辑"));

    QMenu *editMenu = window->topMenu("mEdit");
    ASSERT_NE(editMenu, nullptr);
    QWidget *viewport = editor->editor()->viewport();
    QTest::mouseRelease(viewport, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_TRUE(editMenu->isVisible());
    editMenu->hide();
}

TEST_F(EditorInMainWindowTest, FindCommandsOpenTheDialogOverTheActiveEditor)
{
    registerFindDialog();
    window->triggerMenuItem("mFileNew");
    EditorWindow *editor = window->activeEditor();
    type(editor, QStringLiteral("\tMOV\tA,#1\n\tNOP\n\tmov\ta,#1\n"));
    QTextCursor cursor = editor->editor()->textCursor();
    cursor.setPosition(11);
    cursor.setPosition(14, QTextCursor::KeepAnchor);
    editor->editor()->setTextCursor(cursor);

    ASSERT_TRUE(window->triggerMenuItem("mEditFindzl"));
    auto *dialog = qobject_cast<FindDialog *>(window->toolWindow(ToolName::Find));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral(u"按指令查找"));
    EXPECT_EQ(dialog->findChild<QLineEdit *>("findText")->text(), QStringLiteral("NOP"));
    dialog->findChild<QLineEdit *>("findText")->setText(QStringLiteral("mov a,  #1"));
    dialog->find();
    dialog->findNext();
    EXPECT_EQ(editor->editor()->textCursor().selectionStart(), 15);

    // The toolbar button opens the same dialog in the other mode.
    ASSERT_TRUE(window->clickToolbarButton("Findzf"));
    EXPECT_EQ(window->toolWindow(ToolName::Find), dialog);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral(u"按字符查找"));

    // A newly opened editor closes the dialog.
    window->triggerMenuItem("mFileNew");
    EXPECT_FALSE(window->isToolLoaded(ToolName::Find));
}
