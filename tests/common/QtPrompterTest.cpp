// The real dialogs behind QtPrompter, answered by a timer as a user would.
#include "common/ui/QtPrompter.h"

#include <QApplication>
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

// Runs answer on the first modal dialog that shows; gives up after two seconds.
void answerNextDialog(std::function<void(QWidget *)> answer)
{
    auto tries = std::make_shared<int>(0);
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [answer, tries, poll] {
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
        if (++*tries < 200)
            QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(10, *poll);
}

} // namespace

TEST(QtPrompter, OpenDialogHandsBackATypedNameOfAMissingFile)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.asm"));
    QtPrompter prompter;
    answerNextDialog([&](QWidget *widget) {
        auto *dialog = qobject_cast<QFileDialog *>(widget);
        if (!dialog)
            return widget->close(), void();
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral(u"打开源程序文件"));
        // Typed into the name box, as a user would.
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        EXPECT_NE(name, nullptr);
        if (name)
            name->setText(QStringLiteral("missing.asm"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    // The command says "文件不存在!" itself; the dialog must not refuse the name first.
    EXPECT_EQ(prompter.openFileNameOrTyped(QStringLiteral(u"打开源程序文件"),
                                           QStringLiteral(u" 源程序文件(*.asm) (*.asm)"), dir.path()),
              missing);
}

TEST(QtPrompter, SaveDialogPutsTheFilterExtensionOnATypedName)
{
    QTemporaryDir dir;
    QtPrompter prompter;
    answerNextDialog([](QWidget *widget) {
        auto *dialog = qobject_cast<QFileDialog *>(widget);
        if (!dialog)
            return widget->close(), void();
        if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            name->setText(QStringLiteral("prog"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    EXPECT_EQ(prompter.saveFileName(QStringLiteral(u"另存为"),
                                    QStringLiteral(u" 源程序文件(*.asm) (*.asm);;所有文件(*.*) (*)"),
                                    dir.path()),
              dir.filePath(QStringLiteral("prog.asm")));
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
