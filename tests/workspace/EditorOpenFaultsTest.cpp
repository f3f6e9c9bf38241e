// Opening what no editor can hold: a device, a pipe, a folder or a file of gigabytes is refused
// without being read, no editor is left over the path, and the message names the file.
#include "MainWindowTestSupport.h"

#include "support/FileFaults.h"

#include <QFile>

using namespace tw;
using twtest::MainWindowTest;

TEST_F(MainWindowTest, FilesNoEditorCanHoldAreRefusedUnread)
{
    ASSERT_TRUE(QFile::link(u"/dev/zero"_qs, path(u"zero.asm"_qs)));
    ASSERT_TRUE(twtest::makeSparseFile(path(u"huge.asm"_qs), 3LL << 30));
    ASSERT_TRUE(QDir(dir.path()).mkpath(u"folder.asm"_qs));
    ASSERT_EQ(twtest::runProgram(u"mkfifo"_qs, {path(u"pipe.asm"_qs)}).exitCode, 0);
    for (const QString &name : {u"zero.asm"_qs, u"huge.asm"_qs, u"folder.asm"_qs, u"pipe.asm"_qs}) {
        SCOPED_TRACE(name.toStdString());
        const qsizetype before = prompter.messageTexts().size();
        window->openInEditor(path(name));
        flushDeletes();
        EXPECT_EQ(window->editorCount(), 0);
        ASSERT_EQ(prompter.messageTexts().size(), before + 1);
        EXPECT_EQ(prompter.messageTexts().back(), u"无法读取文件 "_qs + path(name));
    }
}
