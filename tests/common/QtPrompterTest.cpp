// The real dialogs behind QtPrompter, answered by a timer as a user would.
#include "common/ui/QtPrompter.h"
#include "common/SaveChoice.h"
#include "common/ScriptedPrompter.h"
#include "common/ui/FileListTexts.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

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

namespace
{

// A message box as the user sees it, and whether it stood over a file dialog.
struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
    bool overFileDialog;
};

// Plays the user of a save dialog until stopped: types name into every file dialog and accepts;
// answers a box over a file dialog No and cancels that dialog, any other box Yes.
struct SavingUser {
    QString name;
    QList<SeenBox> boxes;
    bool stopped = false;
};

void playSavingUser(const std::shared_ptr<SavingUser> &user, int tries)
{
    if (user->stopped || tries > 500)
        return;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible())
            continue;
        if (auto *box = qobject_cast<QMessageBox *>(widget)) {
            auto *dialog = qobject_cast<QFileDialog *>(box->parentWidget());
            user->boxes.append({box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                                box->standardButton(box->defaultButton()), dialog != nullptr});
            box->button(dialog ? QMessageBox::No : QMessageBox::Yes)->click();
            if (dialog)
                QTimer::singleShot(0, dialog, &QDialog::reject);
        } else if (auto *dialog = qobject_cast<QFileDialog *>(widget);
                   dialog && !dialog->property("typed").toBool()) {
            dialog->setProperty("typed", true);
            auto *nameBox = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            if (!nameBox) {
                ADD_FAILURE() << "the save dialog has no name box";
                QTimer::singleShot(0, dialog, &QDialog::reject);
                return;
            }
            nameBox->setText(user->name);
            // Accepting may run Qt's own box: the next look comes from inside it.
            QTimer::singleShot(10, [user, tries] { playSavingUser(user, tries + 1); });
            QMetaObject::invokeMethod(dialog, "accept");
            return;
        }
    }
    QTimer::singleShot(10, [user, tries] { playSavingUser(user, tries + 1); });
}

} // namespace

// The save dialog that leaves its overwrite question to its caller asks nothing itself, and the
// question chooseSaveName puts is the one Qt's dialog puts: Qt's words in Qt's Chinese, the
// dialog's title, a warning with Yes and No, No the default.
TEST(QtPrompter, ASaveDialogLeavesItsOverwriteQuestionToTheCaller)
{
    QTranslator catalogue;
    if (!catalogue.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        GTEST_SKIP() << "Qt's Chinese catalogue (qt6-translations-l10n) is not installed";
    QCoreApplication::installTranslator(&catalogue);
    const auto uninstall = qScopeGuard([&] { QCoreApplication::removeTranslator(&catalogue); });
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("other.asm"));
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("old\r\n");
    file.close();
    QtPrompter prompter;
    const QString title = QStringLiteral(u"另存为");
    const QString filter = QStringLiteral(u" 源程序文件(*.asm) (*.asm);;所有文件(*.*) (*)");

    auto user = std::make_shared<SavingUser>();
    user->name = QStringLiteral("other");
    const auto stop = qScopeGuard([user] { user->stopped = true; });
    QTimer::singleShot(10, [user] { playSavingUser(user, 0); });
    EXPECT_EQ(prompter.saveFileName(title, filter, dir.path()), QString()); // No, then cancelled
    ASSERT_EQ(user->boxes.size(), 1);
    const SeenBox qtOwn = user->boxes.takeFirst();
    EXPECT_TRUE(qtOwn.overFileDialog);

    QTimer::singleShot(10, [user] { playSavingUser(user, 0); });
    const FileState before = fileStateOf(QFile::encodeName(existing).toStdString());
    const SaveChoice choice = chooseSaveName(prompter, title, filter, dir.path());
    EXPECT_EQ(choice.path, existing);
    EXPECT_EQ(choice.agreed, before);
    ASSERT_EQ(user->boxes.size(), 1);
    const SeenBox ours = user->boxes.first();
    EXPECT_FALSE(ours.overFileDialog);
    EXPECT_EQ(ours.title, qtOwn.title);
    EXPECT_EQ(ours.text, qtOwn.text);
    EXPECT_EQ(ours.icon, qtOwn.icon);
    EXPECT_EQ(ours.buttons, qtOwn.buttons);
    EXPECT_EQ(ours.defaultButton, qtOwn.defaultButton);
    EXPECT_EQ(ours.text, replaceFileQuestion(existing));
    EXPECT_EQ(qtOwn.title, title);
    EXPECT_EQ(qtOwn.defaultButton, QMessageBox::No);
    // The catalogue's words, not Qt's English.
    EXPECT_FALSE(ours.text.contains(QStringLiteral("already exists"))) << ours.text.toStdString();
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
