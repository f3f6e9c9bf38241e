// The real dialogs behind QtPrompter, answered by a timer as a user would.
#include "common/ui/QtPrompter.h"
#include "common/ScriptedPrompter.h"
#include "common/ui/FileListTexts.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace tw;

namespace
{

// Looks for a modal dialog every 10 ms, up to 200 times; each try schedules the next by value,
// so no callback owns itself and nothing outlives the test.
void pollForDialog(const std::function<void(QWidget *)> &answer, int tries)
{
    for (QWidget *dialog : QApplication::topLevelWidgets()) {
        if (dialog->isVisible() && dialog->isModal()) {
            // A dialog that raises a box of its own instead of closing must not hang the test.
            for (int delay : {1000, 1500})
                QTimer::singleShot(delay, [] {
                    for (QWidget *left : QApplication::topLevelWidgets())
                        if (auto *open = qobject_cast<QDialog *>(left); open && open->isVisible())
                            open->reject();
                });
            answer(dialog);
            return;
        }
    }
    if (tries < 200)
        QTimer::singleShot(10, [answer, tries] { pollForDialog(answer, tries + 1); });
}

// Runs answer on the first modal dialog that shows; gives up after two seconds.
void answerNextDialog(std::function<void(QWidget *)> answer)
{
    QTimer::singleShot(10, [answer = std::move(answer)] { pollForDialog(answer, 1); });
}

// Types a name into the file dialog's name box, as a user would, and accepts.
void typeNameAndAccept(QWidget *widget, const QString &title, const QString &name)
{
    auto *dialog = qobject_cast<QFileDialog *>(widget);
    if (!dialog)
        return widget->close(), void();
    EXPECT_EQ(dialog->windowTitle(), title);
    auto *box = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    EXPECT_NE(box, nullptr);
    if (box)
        box->setText(name);
    QMetaObject::invokeMethod(dialog, "accept");
}

} // namespace

TEST(QtPrompter, FileDialogsHandBackTypedNames)
{
    QTemporaryDir dir;
    QtPrompter prompter;
    // The open command says "文件不存在!" itself; the dialog must not refuse the name first.
    const QString openTitle = QStringLiteral(u"打开源程序文件");
    answerNextDialog(
        [&](QWidget *widget) { typeNameAndAccept(widget, openTitle, QStringLiteral("missing.asm")); });
    EXPECT_EQ(
        prompter.openFileNameOrTyped(openTitle, QStringLiteral(u" 源程序文件(*.asm) (*.asm)"), dir.path()),
        dir.filePath(QStringLiteral("missing.asm")));

    // Save puts the filter's extension on a typed name. A filter's text that names its pattern is
    // shown alone; another one keeps its patterns in sight.
    const QString saveTitle = QStringLiteral(u"另存为");
    QStringList shownFilters;
    answerNextDialog([&](QWidget *widget) {
        if (auto *types = widget->findChild<QComboBox *>(QStringLiteral("fileTypeCombo")))
            for (int i = 0; i < types->count(); ++i)
                shownFilters.append(types->itemText(i));
        typeNameAndAccept(widget, saveTitle, QStringLiteral("prog"));
    });
    EXPECT_EQ(prompter.saveFileName(
                  saveTitle, QStringLiteral(u" 源程序文件(*.asm) (*.asm);;所有文件(*.*) (*)"), dir.path()),
              dir.filePath(QStringLiteral("prog.asm")));
    EXPECT_EQ(shownFilters,
              QStringList({QStringLiteral(u"源程序文件(*.asm)"), QStringLiteral(u"所有文件(*.*)")}));
    answerNextDialog([&](QWidget *widget) {
        shownFilters = {widget->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"))->currentText()};
        widget->close();
    });
    prompter.openFileName(openTitle, QStringLiteral(u"十六进制代码文件 (*.hex *.HEX)"), dir.path());
    EXPECT_EQ(shownFilters, QStringList(QStringLiteral(u"十六进制代码文件 (*.hex *.HEX)")));
}

// The file list's sizes: bytes below 1 KB, then units of 1024 with two decimals, in the locale's
// digits.
TEST(QtPrompter, FileListSizesInChineseUnits)
{
    const QLocale c = QLocale::c();
    EXPECT_EQ(fileSizeText(0, c), QStringLiteral(u"0 字节"));
    EXPECT_EQ(fileSizeText(1023, c), QStringLiteral(u"1023 字节"));
    EXPECT_EQ(fileSizeText(1024, c), QStringLiteral("1.00 KB"));
    EXPECT_EQ(fileSizeText(5000, c), QStringLiteral("4.88 KB"));
    EXPECT_EQ(fileSizeText(3 * 1024 * 1024 + 17, c), QStringLiteral("3.00 MB"));
    EXPECT_EQ(fileSizeText(qint64(5) << 30, c), QStringLiteral("5.00 GB"));
    EXPECT_EQ(fileSizeText(qint64(3) << 40, c), QStringLiteral("3.00 TB"));
    EXPECT_EQ(fileSizeText(1023, QLocale(QLocale::Chinese, QLocale::China)), QStringLiteral(u"1,023 字节"));
}

TEST(QtPrompter, MessageBoxAnswersByButtonAndEscape)
{
    QtPrompter real;
    real.setDefaultTitle(QStringLiteral("Tarnwick"));
    Prompter &prompter = real;
    answerNextDialog([](QWidget *widget) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        if (!box)
            return widget->close(), void();
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Tarnwick")); // the question has no title of its own
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_EQ(box->buttons().size(), 3);
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(
        prompter.message(QStringLiteral(u"是否保存 x.asm"), MsgStyle::YesNoCancel + MsgStyle::Exclamation),
        MsgAnswer::No);

    // Escape on the save question keeps the window: Cancel.
    answerNextDialog([](QWidget *widget) { QTest::keyClick(widget, Qt::Key_Escape); });
    EXPECT_EQ(prompter.message(QStringLiteral(u"是否保存 x.asm"), 51), MsgAnswer::Cancel);
}

TEST(QtPrompter, AWindowsPromptsBelongToThatWindow)
{
    QWidget main, tool;
    QtPrompter real(&main);
    real.setDefaultTitle(QStringLiteral("Tarnwick"));
    const std::unique_ptr<Prompter> toolPrompts = real.forWindow(&tool);

    QWidget *parentSeen = nullptr;
    QString titleSeen;
    const auto lookAndAnswer = [&](QWidget *widget) {
        parentSeen = widget->parentWidget();
        titleSeen = widget->windowTitle();
        if (auto *box = qobject_cast<QMessageBox *>(widget))
            box->button(QMessageBox::Yes)->click();
        else
            widget->close();
    };
    answerNextDialog(lookAndAnswer);
    EXPECT_EQ(toolPrompts->message(QStringLiteral(u"程序已运行完，复位吗！"), 52, QString()), MsgAnswer::Yes);
    EXPECT_EQ(parentSeen, &tool);
    EXPECT_EQ(titleSeen, QStringLiteral("Tarnwick")); // the session's default caption

    answerNextDialog(lookAndAnswer);
    toolPrompts->openFileName(QStringLiteral(u"请选择待汇编的文件"), QStringLiteral(u"源程序文件 (*.asm)"),
                              QString());
    EXPECT_EQ(parentSeen, &tool);

    // The main window's own prompts stay with the main window; every window prints on one printer.
    answerNextDialog(lookAndAnswer);
    real.message(QStringLiteral(u"是否保存 x.asm"), 52, QString());
    EXPECT_EQ(parentSeen, &main);
    auto *toolQt = dynamic_cast<QtPrompter *>(toolPrompts.get());
    ASSERT_NE(toolQt, nullptr);
    EXPECT_EQ(toolQt->printer(), real.printer());
}

TEST(ScriptedPrompter, RecordsTheAskingWindowAndSharesTheScript)
{
    ScriptedPrompter script;
    QWidget tool;
    const std::unique_ptr<Prompter> toolPrompts = script.forWindow(&tool);
    script.answerMessage(MsgAnswer::No);
    script.answerFile(QStringLiteral("/tmp/a.asm"));
    EXPECT_EQ(toolPrompts->message(QStringLiteral("q"), MsgStyle::YesNo, QString()), MsgAnswer::No);
    EXPECT_EQ(toolPrompts->openFileName(QStringLiteral("t"), QStringLiteral("f"), QString()),
              QStringLiteral("/tmp/a.asm"));
    EXPECT_EQ(script.message(QStringLiteral("main"), MsgStyle::Ok, QString()), MsgAnswer::Ok);
    ASSERT_EQ(script.calls().size(), 3);
    EXPECT_EQ(script.calls()[0].asker, &tool);
    EXPECT_EQ(script.calls()[1].asker, &tool);
    EXPECT_EQ(script.calls()[2].asker, nullptr);
}
