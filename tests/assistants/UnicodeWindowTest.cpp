// The Unicode converter window in the real main window (offscreen): its launcher, the three
// buttons in each code form, the refusals, and its independence from the lock.
#include "assistants/ui/UnicodeWindow.h"
#include "common/ScriptedPrompter.h"
#include "workspace/MainWindowTestSupport.h"
#include "workspace/Workspace.h"
#include "workspace/ui/MainWindow.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace tw;

namespace
{

const QString kUnicode = QString::fromLatin1(ToolName::Unicode);

class UnicodeWindowTest : public twtest::ToolWindowTest
{
  protected:
    UnicodeWindow *window = nullptr;

    void SetUp() override
    {
        registerUnicodeWindow();
        ToolWindowTest::SetUp();
        ASSERT_TRUE(main->triggerMenuItem(QStringLiteral("Unicode")));
        window = qobject_cast<UnicodeWindow *>(main->toolWindow(kUnicode));
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override
    {
        twtest::registerStandIns(false);
        ToolWindowTest::TearDown();
    }
    const UnicodeWindow::Controls &ui() const { return window->controls(); }
    void click(QAbstractButton *button) { QTest::mouseClick(button, Qt::LeftButton); }
    QString toCodes(int format, const QString &text)
    {
        click(ui().format[format]);
        ui().text->setPlainText(text);
        click(ui().toCodes);
        return ui().codes->toPlainText();
    }
    QString toText(int format, const QString &codes)
    {
        click(ui().format[format]);
        ui().codes->setPlainText(codes);
        click(ui().toText);
        return ui().text->toPlainText();
    }
};

} // namespace

TEST_F(UnicodeWindowTest, ConvertsBothWaysInEachForm)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral(u"Unicode代码转换"));
    EXPECT_TRUE(ui().format[0]->isChecked());
    EXPECT_EQ(ui().toCodes->text(), QStringLiteral(u"汉字→Unicode"));

    // Typed, not set: the box holds what the keyboard gave it.
    ui().text->setFocus();
    for (QChar c : QStringLiteral(u"中文"))
        QTest::sendKeyEvent(QTest::Click, ui().text, Qt::Key_unknown, QString(c), Qt::NoModifier);
    click(ui().toCodes);
    EXPECT_EQ(ui().codes->toPlainText(), " 20013,  25991");
    EXPECT_EQ(toCodes(1, QStringLiteral(u"中文")), "0x4E2D, 0x6587");
    EXPECT_EQ(toCodes(2, QStringLiteral(u"中文")), "4E2D6587");
    // A line break is CR LF, as the converter has always counted it.
    EXPECT_EQ(toCodes(0, "a\nb"), " 97,  13,  10,  98");
    EXPECT_EQ(toText(0, " 97,  13,  10,  98"), "a\nb");
    // Only blanks: the codes box keeps its text.
    EXPECT_EQ(toCodes(0, "   "), " 97,  13,  10,  98");

    EXPECT_EQ(toText(1, "0x4E2D, 0x6587"), QStringLiteral(u"中文"));
    EXPECT_EQ(toText(0, "200 13,25991"), QStringLiteral(u"中文"));
    EXPECT_EQ(toText(0, "-29662"), QStringLiteral(u"谢"));
    EXPECT_EQ(toText(2, "4e2d"), QString(QChar(0x4020)));
    EXPECT_EQ(toText(1, "0x41"), QString(QChar(0x4100)));
    EXPECT_EQ(toText(0, "1,,2").size(), 3);
    EXPECT_EQ(toText(2, ""), QString());
    EXPECT_EQ(prompter.calls().size(), 0);

    click(ui().clear);
    ui().text->setPlainText("x");
    ui().codes->setPlainText("y");
    click(ui().clear);
    EXPECT_EQ(ui().text->toPlainText(), QString());
    EXPECT_EQ(ui().codes->toPlainText(), QString());
}

TEST_F(UnicodeWindowTest, BadCodesShowTheirMessageAndLeaveTheTextAlone)
{
    ui().text->setPlainText(QStringLiteral(u"保留"));
    EXPECT_EQ(toText(2, "4E2D658"), QStringLiteral(u"保留"));
    EXPECT_EQ(toText(0, "65, 70000"), QStringLiteral(u"保留"));
    EXPECT_EQ(toText(0, "-40000"), QStringLiteral(u"保留"));
    ASSERT_EQ(prompter.calls().size(), 3);
    EXPECT_EQ(prompter.messageTexts(),
              QStringList({QStringLiteral(u"十六进制代码错误！"), QStringLiteral(u"十进制代码错误！"),
                           QStringLiteral(u"十进制代码错误！")}));
    for (const auto &call : prompter.calls()) {
        EXPECT_EQ(call.style, MsgStyle::Exclamation);
        EXPECT_EQ(call.title, QStringLiteral(u"信息"));
    }
}

TEST_F(UnicodeWindowTest, StaysOpenWhileLockingToolsComeAndGo)
{
    twtest::registerStandIns();
    main->showTool(QString::fromLatin1(ToolName::Simulator));
    EXPECT_EQ(main->toolWindow(kUnicode), window);
    main->unloadTool(QString::fromLatin1(ToolName::Simulator));
    EXPECT_TRUE(main->triggerMenuItem(QStringLiteral("mFileNew")));
    EXPECT_EQ(main->toolWindow(kUnicode), window);
    EXPECT_TRUE(main->isMenuEnabled(QStringLiteral("comFZ")));
}
