// Help pages, the FAQ in the text viewer, the About box with its links and the outside programs
// of the Help menu.
#include "MainWindowTestSupport.h"
#include "workspace/ProductInfo.h"
#include "workspace/ui/AboutBox.h"
#include "workspace/ui/HelpWindow.h"
#include "workspace/ui/Launchers.h"
#include "workspace/ui/TextViewer.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

using namespace Qt::StringLiterals;
using namespace tw;
using namespace twtest;

namespace
{

// Records what would have been started or opened, and puts PATH back afterwards.
class HelpMenuTest : public MainWindowTest
{
  protected:
    QStringList started;
    QList<QUrl> opened;
    QByteArray savedPath = qgetenv("PATH");

    void SetUp() override
    {
        MainWindowTest::SetUp();
        setProgramStarter([this](const QString &program, const QStringList &) {
            started.append(program);
            return true;
        });
        setLinkOpener([this](const QUrl &url) {
            opened.append(url);
            return true;
        });
    }

    void TearDown() override
    {
        setProgramStarter({});
        setLinkOpener({});
        qputenv("PATH", savedPath);
        MainWindowTest::TearDown();
    }

    // PATH holding only a folder with these (empty, executable) programs.
    void pathWithPrograms(const QStringList &programs)
    {
        const QString bin = path(u"bin"_s);
        QDir().mkpath(bin);
        for (const QString &program : programs) {
            QFile file(QDir(bin).filePath(program));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("#!/bin/sh\n");
            file.close();
            file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv("PATH", bin.toLocal8Bit());
    }

    static void moveMouseOver(QWidget *widget)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &move);
    }
};

} // namespace

TEST_F(HelpMenuTest, FaqAlwaysShowsTheSameTextUnderItsCaption)
{
    ASSERT_TRUE(window->triggerMenuItem(u"FAQ"_s));
    auto *viewer = qobject_cast<TextViewer *>(window->toolWindow(QString::fromLatin1(ToolName::TextViewer)));
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->windowTitle(), u"FAQ"_s);
    expectGolden(viewer->text(), u"faq.txt"_s);
    // Centred on its screen, whatever that screen's size.
    const QRect screen = viewer->screen()->geometry();
    EXPECT_EQ(viewer->x(), screen.x() + (screen.width() - viewer->width()) / 2);
    EXPECT_EQ(viewer->y(), screen.y() + (screen.height() - viewer->height()) / 2);

    viewer->setWindowTitle(u"别的"_s);
    viewer->setText(u"别的内容"_s);
    window->triggerMenuItem(u"FAQ"_s);
    EXPECT_EQ(viewer->windowTitle(), u"FAQ"_s);
    expectGolden(viewer->text(), u"faq.txt"_s);

    // The viewer takes no part in the lock: an editor that opens leaves it open.
    openFile(u"a.asm"_s, "NOP\r\n");
    EXPECT_TRUE(window->isToolLoaded(QString::fromLatin1(ToolName::TextViewer)));
}

TEST_F(HelpMenuTest, HelpCommandsShowOurPagesInTheHelpWindow)
{
    ASSERT_TRUE(window->triggerMenuItem(u"sm"_s));
    HelpWindow *help = window->helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->browser()->source().toLocalFile().endsWith(u"help/manual.html"_s));
    EXPECT_TRUE(help->browser()->toPlainText().contains(u"汇编语言格式"_s));

    // A link to the other page follows inside the window; a web link goes to the desktop.
    emit help->browser()->anchorClicked(QUrl(u"tutorial.html"_s));
    EXPECT_TRUE(help->browser()->source().toLocalFile().endsWith(u"help/tutorial.html"_s));
    emit help->browser()->anchorClicked(QUrl(u"https://example.org/"_s));
    EXPECT_EQ(opened, QList<QUrl>{QUrl(u"https://example.org/"_s)});

    window->triggerMenuItem(u"jc51"_s);
    EXPECT_EQ(window->helpWindow(), help);
    EXPECT_TRUE(help->browser()->toPlainText().contains(u"51嵌入式系统教程"_s));

    help->showPage(path(u"nowhere.html"_s));
    EXPECT_TRUE(help->browser()->toPlainText().startsWith(u"找不到帮助文件"_s));
}

TEST_F(HelpMenuTest, AboutBoxLinksSwapColoursAndOpenMail)
{
    ASSERT_TRUE(window->triggerMenuItem(u"about"_s));
    auto *about = qobject_cast<AboutBox *>(window->toolWindow(QString::fromLatin1(ToolName::About)));
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->windowTitle(), u"关于..."_s);
    EXPECT_EQ(about->findChild<QLabel *>(u"lblTitle"_s)->text(), u"Tarnwick "_s + productVersion());
    EXPECT_EQ(about->findChild<QLabel *>(u"lblDescription"_s)->text(),
              u"    本软件适用于与MCS51兼容的各类单片机。"_s);
    EXPECT_EQ(about->findChild<QPushButton *>(u"cmdSysInfo"_s)->text(), u"系统信息(&S)..."_s);
    EXPECT_EQ(about->restingLinkColour(), QColor(u"#8080ff"_s));
    EXPECT_EQ(about->hoverLinkColour(), QColor(u"#c00000"_s));

    EXPECT_EQ(about->linkColour(0), AboutBox::restingLinkColour());
    moveMouseOver(about->linkLabel(0));
    EXPECT_EQ(about->linkColour(0), AboutBox::hoverLinkColour());
    EXPECT_EQ(about->linkColour(1), AboutBox::restingLinkColour());
    moveMouseOver(about->linkLabel(1));
    EXPECT_EQ(about->linkColour(0), AboutBox::restingLinkColour());
    EXPECT_EQ(about->linkColour(1), AboutBox::hoverLinkColour());
    moveMouseOver(about);
    EXPECT_EQ(about->linkColour(1), AboutBox::restingLinkColour());

    QTest::mouseClick(about->linkLabel(1), Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl(u"mailto:"_s + mailAddress(1)));

    QTest::mouseClick(about->findChild<QPushButton *>(u"cmdOK"_s), Qt::LeftButton);
    EXPECT_FALSE(window->isToolLoaded(QString::fromLatin1(ToolName::About)));

    // Editors close the About box.
    window->triggerMenuItem(u"about"_s);
    openFile(u"a.asm"_s, "NOP\r\n");
    EXPECT_FALSE(window->isToolLoaded(QString::fromLatin1(ToolName::About)));
}

TEST_F(HelpMenuTest, CalculatorSystemInformationAndLinksGoOutside)
{
    pathWithPrograms({u"xcalc"_s, u"galculator"_s, u"hardinfo"_s});
    window->triggerMenuItem(u"jsq"_s);
    EXPECT_EQ(started, QStringList{path(u"bin/galculator"_s)}); // the first of the usual ones found
    window->triggerMenuItem(u"about"_s);
    auto *about = qobject_cast<AboutBox *>(window->toolWindow(QString::fromLatin1(ToolName::About)));
    ASSERT_NE(about, nullptr);
    about->startSystemInfo();
    EXPECT_EQ(started.last(), path(u"bin/hardinfo"_s));

    // Nothing found: both say so, the calculator with the programs it looked for; the About box's
    // message is its own, over it.
    qputenv("PATH", path(u"empty"_s).toLocal8Bit());
    window->triggerMenuItem(u"jsq"_s);
    ASSERT_EQ(prompter.calls().size(), 1);
    EXPECT_EQ(prompter.calls()[0].text,
              u"找不到计算器程序。已查找：gnome-calculator、kcalc、galculator、qalculate-gtk、xcalc"_s);
    QTest::mouseClick(about->findChild<QPushButton *>(u"cmdSysInfo"_s), Qt::LeftButton);
    ASSERT_EQ(prompter.calls().size(), 2);
    EXPECT_EQ(prompter.calls()[1].text + prompter.calls()[1].title, u"此时系统信息不可用"_s);
    EXPECT_EQ(prompter.calls()[1].style, 0);
    EXPECT_EQ(prompter.calls()[1].asker, about);
    // A program that is there but will not start is reported too.
    pathWithPrograms({u"hardinfo"_s, u"kcalc"_s});
    setProgramStarter([](const QString &, const QStringList &) { return false; });
    about->startSystemInfo();
    window->triggerMenuItem(u"jsq"_s);
    EXPECT_EQ(prompter.messageTexts().mid(2),
              QStringList({u"此时系统信息不可用"_s, u"无法启动计算器程序："_s + path(u"bin/kcalc"_s)}));
    EXPECT_EQ(started.size(), 2);
}

TEST_F(HelpMenuTest, LinksGoToOurReadmeAndMailOrSayWhereTheyPoint)
{
    // The latest-version item opens the README shipped in the program folder.
    window->triggerMenuItem(u"zxbb"_s);
    window->triggerMenuItem(QString::fromLatin1(Menu::Mail));
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0], latestVersionUrl());
    ASSERT_TRUE(opened[0].isLocalFile());
    EXPECT_TRUE(QFile::exists(opened[0].toLocalFile())) << opened[0].toLocalFile().toStdString();
    EXPECT_TRUE(readBytes(opened[0].toLocalFile()).startsWith("# Tarnwick"));
    EXPECT_EQ(opened[1], QUrl(u"mailto:"_s + mailAddress(0)));
    EXPECT_TRUE(prompter.calls().isEmpty());

    // No browser or mail program: the message gives the address to use by hand.
    setLinkOpener([](const QUrl &) { return false; });
    window->triggerMenuItem(u"zxbb"_s);
    window->triggerMenuItem(QString::fromLatin1(Menu::Mail));
    window->triggerMenuItem(u"sm"_s);
    emit window->helpWindow()->browser()->anchorClicked(QUrl(u"https://example.org/page"_s));
    window->triggerMenuItem(u"about"_s);
    auto *about = qobject_cast<AboutBox *>(window->toolWindow(QString::fromLatin1(ToolName::About)));
    ASSERT_NE(about, nullptr);
    QTest::mouseClick(about->linkLabel(1), Qt::LeftButton);
    EXPECT_EQ(prompter.messageTexts(),
              QStringList({u"无法打开文件，请直接打开："_s + latestVersionUrl().toLocalFile(),
                           u"无法启动邮件程序，请直接发邮件到："_s + mailAddress(0),
                           u"无法启动浏览器，请直接访问：https://example.org/page"_s,
                           u"无法启动邮件程序，请直接发邮件到："_s + mailAddress(1)}));
    // Each said over the window that tried.
    ASSERT_EQ(prompter.calls().size(), 4);
    EXPECT_EQ(prompter.calls()[0].asker, nullptr);
    EXPECT_EQ(prompter.calls()[2].asker, window->helpWindow());
    EXPECT_EQ(prompter.calls()[3].asker, about);
}
