// The checks before the main window shows: the screen width and a second running instance; Qt's
// own texts in Chinese.
#include "workspace/StartUpChecks.h"
#include "common/ScriptedPrompter.h"
#include "common/ui/QtPrompter.h"
#include "workspace/ui/QtTexts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLockFile>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
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

namespace
{

// A file dialog as the user sees it in the detail view, once its list has filled.
class ShownFileDialog
{
  public:
    explicit ShownFileDialog(QFileDialog *dialog) : m_dialog(dialog)
    {
        dialog->setViewMode(QFileDialog::Detail);
        m_view = dialog->findChild<QTreeView *>(u"treeView"_s);
    }

    // The list's cell in the row of that name, as the view shows it; empty until the list knows it.
    QString cell(const QString &name, int column) const
    {
        const QAbstractItemModel *list = m_view->model();
        for (int row = 0; row < list->rowCount(m_view->rootIndex()); ++row)
            if (list->index(row, 0, m_view->rootIndex()).data().toString() == name)
                return list->index(row, column, m_view->rootIndex()).data().toString();
        return {};
    }

    // The type column fills last, from a thread of its own.
    bool waitForTypes(const QStringList &names) const
    {
        return QTest::qWaitFor([&] {
            return std::all_of(names.begin(), names.end(),
                               [&](const QString &name) { return !cell(name, 2).isEmpty(); });
        });
    }

    // Everything readable: the list's headers and cells, labels, buttons, combo-box items and
    // tool tips.
    QStringList texts() const
    {
        QStringList all;
        const QAbstractItemModel *list = m_view->model();
        for (int column = 0; column < list->columnCount(m_view->rootIndex()); ++column) {
            all << list->headerData(column, Qt::Horizontal).toString();
            for (int row = 0; row < list->rowCount(m_view->rootIndex()); ++row)
                all << list->index(row, column, m_view->rootIndex()).data().toString();
        }
        for (const QWidget *widget : m_dialog->findChildren<QWidget *>()) {
            all << widget->toolTip();
            if (const auto *label = qobject_cast<const QLabel *>(widget))
                all << label->text();
            if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
                all << button->text();
            if (const auto *combo = qobject_cast<const QComboBox *>(widget))
                for (int i = 0; i < combo->count(); ++i)
                    all << combo->itemText(i);
        }
        return all;
    }

  private:
    QFileDialog *m_dialog;
    QTreeView *m_view = nullptr;
};

} // namespace

// Qt's own texts as the program installs them at start: the file dialogs' and the message boxes'.
TEST(StartUpChecks, QtDialogTextsAreChinese)
{
    ASSERT_EQ(QCoreApplication::translate("QFileDialog", "Folder"), u"Folder"_s);
    const QLocale before;
    auto texts = installQtChineseTexts();
    ASSERT_NE(texts, nullptr) << "Qt's Chinese translation is not installed";
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Folder"), u"文件夹"_s);
    QFileSystemModel files;
    EXPECT_EQ(files.headerData(0, Qt::Horizontal).toString(), u"名称"_s);
    EXPECT_EQ(files.headerData(1, Qt::Horizontal).toString(), u"体积"_s);
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), u"取消"_s);

    // The open and save dialogs on a folder of a few bytes, some KB, a folder and a file of no
    // known type.
    QTemporaryDir dir;
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    write(u"small.asm"_s, "NOP\r\n");
    write(u"big.hex"_s, QByteArray(5000, ':'));
    write(u"odd.zzq"_s, QByteArray("\x9c\x83\x00\xfe", 4));
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"sub"_s));

    QtPrompter prompter;
    const QStringList names{u"small.asm"_s, u"big.hex"_s, u"odd.zzq"_s, u"sub"_s};
    const QRegularExpression english(u"\\b(bytes|KiB|Folder|unknown|Drive)\\b"_s,
                                     QRegularExpression::CaseInsensitiveOption);
    const QRegularExpression latin(u"[A-Za-z]"_s);
    const auto expectNoEnglish = [&](const ShownFileDialog &shown) {
        for (const QString &text : shown.texts())
            EXPECT_FALSE(text.contains(english)) << text.toStdString();
    };
    const auto look = [&](QFileDialog *dialog) {
        const ShownFileDialog shown(dialog);
        ASSERT_TRUE(shown.waitForTypes(names));
        EXPECT_EQ(shown.cell(u"small.asm"_s, 1), u"5 字节"_s);
        EXPECT_EQ(shown.cell(u"big.hex"_s, 1), u"4.88 KB"_s);
        EXPECT_EQ(shown.cell(u"sub"_s, 1), QString());
        EXPECT_EQ(shown.cell(u"sub"_s, 2), u"文件夹"_s);
        EXPECT_EQ(shown.cell(u"odd.zzq"_s, 2), u"未知"_s);
        const QString date = shown.cell(u"small.asm"_s, 3);
        EXPECT_FALSE(date.isEmpty());
        EXPECT_FALSE(date.contains(latin)) << date.toStdString(); // no English month
        expectNoEnglish(shown);

        // One level up from the root: the drives.
        dialog->setDirectory(QString());
        ASSERT_TRUE(shown.waitForTypes({u"/"_s}));
        EXPECT_EQ(shown.cell(u"/"_s, 2), u"驱动器"_s);
        expectNoEnglish(shown);
    };
    for (const bool save : {false, true}) {
        SCOPED_TRACE(save ? "save" : "open");
        QTimer::singleShot(0, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *dialog = qobject_cast<QFileDialog *>(modal))
                look(dialog);
            else
                ADD_FAILURE() << "no file dialog";
            if (modal)
                modal->close();
        });
        const QString filter = u"所有文件 (*)"_s;
        if (save)
            prompter.saveFileName(u"另存为"_s, filter, dir.path());
        else
            prompter.openFileName(u"打开"_s, filter, dir.path());
    }

    // Gone with the texts: the locale other code sees again.
    texts.reset();
    EXPECT_EQ(QLocale(), before);
}
