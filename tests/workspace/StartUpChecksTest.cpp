// The checks before the main window shows: the screen width and a second running instance; Qt's
// own texts in Chinese.
#include "workspace/StartUpChecks.h"
#include "common/ScriptedPrompter.h"
#include "workspace/ui/QtTexts.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFile>
#include <QFileSystemModel>
#include <QLockFile>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTranslator>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tw;

TEST(StartUpChecks, ScreenWidthInTwips)
{
    EXPECT_EQ(screenFit(800), ScreenFit::TooNarrow);
    EXPECT_EQ(screenFit(1023), ScreenFit::TooNarrow); // 15345 twips
    EXPECT_EQ(screenFit(1024), ScreenFit::Fits);      // 15360
    EXPECT_EQ(screenFit(1025), ScreenFit::Fits);      // 15375, still within 15380
    EXPECT_EQ(screenFit(1026), ScreenFit::Wider);     // 15390
    EXPECT_EQ(screenFit(0), ScreenFit::TooNarrow);
}

TEST(StartUpChecks, RefusalsAndTheNoticeInOrder)
{
    QTemporaryDir dir;
    const QString lockPath = dir.filePath(u"tarnwick.lock"_s);
    {
        ScriptedPrompter prompter;
        QLockFile lock(lockPath);
        EXPECT_TRUE(passStartUpChecks(prompter, lock, 1024));
        EXPECT_TRUE(prompter.calls().isEmpty());

        // A second instance while the first holds the lock: refused before the screen is looked at.
        ScriptedPrompter second;
        QLockFile secondLock(lockPath);
        EXPECT_FALSE(passStartUpChecks(second, secondLock, 800));
        ASSERT_EQ(second.calls().size(), 1);
        EXPECT_EQ(second.calls()[0].text, u"程序正在运行，请检查窗口是否被最小化。"_s);
        EXPECT_EQ(second.calls()[0].style, MsgStyle::Information);
        EXPECT_EQ(second.calls()[0].title, QString());
    }
    {
        ScriptedPrompter prompter;
        QLockFile lock(lockPath);
        EXPECT_FALSE(passStartUpChecks(prompter, lock, 1023));
        EXPECT_EQ(prompter.messageTexts(), QStringList{u"本软件要求屏幕分辨率不低于1024x768。"_s});
        EXPECT_EQ(prompter.calls()[0].style, 64);
        // A refused start leaves no lock behind.
        EXPECT_FALSE(QFile::exists(lockPath));
    }
    {
        ScriptedPrompter prompter;
        QLockFile lock(lockPath);
        EXPECT_TRUE(passStartUpChecks(prompter, lock, 1280));
        EXPECT_EQ(prompter.messageTexts(), QStringList{u"将屏幕分辨率设置为1024x768，显示效果最佳。"_s});
    }
}

TEST(StartUpChecks, ALockLeftByADeadProcessDoesNotBlock)
{
    QTemporaryDir dir;
    const QString lockPath = dir.filePath(u"tarnwick.lock"_s);

    // A lock file as a crashed instance leaves it: our own format, with the pid of a process that
    // has ended.
    QByteArray contents;
    {
        QLockFile probe(lockPath);
        ASSERT_TRUE(probe.tryLock(0));
        QFile file(lockPath);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        contents = file.readAll();
        probe.unlock();
    }
    QProcess sleeper;
    sleeper.start(u"sleep"_s, {u"30"_s});
    ASSERT_TRUE(sleeper.waitForStarted(5000));
    const qint64 deadPid = sleeper.processId();
    sleeper.kill();
    ASSERT_TRUE(sleeper.waitForFinished(5000));
    contents = QByteArray::number(deadPid) + contents.mid(contents.indexOf('\n'));
    QFile stale(lockPath);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write(contents);
    stale.close();

    ScriptedPrompter prompter;
    QLockFile lock(lockPath);
    EXPECT_TRUE(passStartUpChecks(prompter, lock, 1024));
    EXPECT_TRUE(prompter.calls().isEmpty());
}

// Qt's own texts as the program installs them at start: the file dialogs' and the message boxes'.
TEST(StartUpChecks, QtDialogTextsAreChinese)
{
    ASSERT_EQ(QCoreApplication::translate("QFileDialog", "Folder"), u"Folder"_s);
    const auto texts = installQtChineseTexts();
    ASSERT_NE(texts, nullptr) << "Qt's Chinese translation is not installed";
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Folder"), u"文件夹"_s);
    QFileSystemModel files;
    EXPECT_EQ(files.headerData(0, Qt::Horizontal).toString(), u"名称"_s);
    EXPECT_EQ(files.headerData(1, Qt::Horizontal).toString(), u"体积"_s);
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), u"取消"_s);
}
