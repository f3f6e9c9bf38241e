// Where windows go: tool windows on the screen above the status bar and kept above the main
// window, editors inside the visible editor area, the cascade at a size one can work in, and
// editor text laid out on tab stops of eight columns.
#include "workspace/ui/WindowPlacement.h"
#include "MainWindowTestSupport.h"

#include <QFontMetricsF>
#include <QMdiArea>
#include <QScreen>
#include <QStatusBar>
#include <QTextBlock>

using namespace Qt::StringLiterals;
using namespace tw;
using namespace twtest;

TEST(WindowPlacement, ToolWindowsShrinkAndMoveIntoTheArea)
{
    const QRect area(0, 0, 1024, 745); // above a status bar at 745
    const QMargins frame(1, 20, 1, 5);
    // Too tall for the area: as tall as fits, frame and all, and still centred across.
    QRect placed = placeInside(area, QSize(1010, 720), frame, QSize(600, 500), QPoint(512, 400));
    EXPECT_TRUE(area.contains(placed.marginsAdded(frame)));
    EXPECT_EQ(placed.height(), 745 - 25);
    EXPECT_EQ(placed.width(), 1010);
    EXPECT_EQ(placed.marginsAdded(frame).left(), 6);
    // Small enough: its own size, centred where asked.
    placed = placeInside(area, QSize(520, 300), frame, QSize(200, 100), QPoint(512, 380));
    EXPECT_EQ(placed.size(), QSize(520, 300));
    EXPECT_EQ(placed.marginsAdded(frame).center().x(), 511);
    // Asked to centre near the bottom: moved up until the frame is inside.
    placed = placeInside(area, QSize(520, 300), frame, QSize(200, 100), QPoint(512, 740));
    EXPECT_EQ(placed.marginsAdded(frame).bottom(), 744);
    // Never below its minimum, even where that cannot fit: then from the area's corner.
    placed = placeInside(area, QSize(1200, 900), frame, QSize(1100, 800), QPoint(512, 380));
    EXPECT_EQ(placed.size(), QSize(1100, 800));
    EXPECT_EQ(placed.topLeft(), QPoint(1, 20));

    EXPECT_EQ(keepInside(QRect(0, 0, 600, 400), QRect(500, 350, 640, 420)), QRect(0, 0, 600, 400));
    EXPECT_EQ(keepInside(QRect(0, 0, 900, 600), QRect(500, 350, 300, 200)), QRect(500, 350, 300, 200));
    EXPECT_EQ(keepInside(QRect(0, 0, 900, 600), QRect(700, 500, 300, 200)), QRect(600, 400, 300, 200));
}

TEST(WindowPlacement, CascadeKeepsEveryWindowInsideAndLarge)
{
    const QRect area(0, 0, 1000, 560);
    for (int count : {1, 2, 5, 12, 40}) {
        const QList<QRect> places = cascade(area, count, 24);
        ASSERT_EQ(places.size(), count);
        for (int k = 0; k < count; ++k) {
            EXPECT_TRUE(area.contains(places[k])) << count << " " << k;
            EXPECT_GE(places[k].width(), area.width() * 2 / 3) << count;
            EXPECT_GE(places[k].height(), area.height() * 2 / 3) << count;
        }
        // Each next window one title bar further, until the offsets start again.
        if (count >= 2) {
            EXPECT_EQ(places[1].topLeft() - places[0].topLeft(), QPoint(24, 24));
        }
    }
    EXPECT_EQ(cascade(area, 1, 24)[0], area);
}

class WindowPlacementTest : public MainWindowTest
{
  protected:
    QRect visibleEditorArea() const { return window->mdiArea()->viewport()->rect(); }
};

TEST_F(WindowPlacementTest, EditorsAndTheErrorReportOpenInsideTheVisibleEditorArea)
{
    // A main window too small for the editors' usual size.
    window->resize(620, 420);
    QCoreApplication::processEvents();
    const QRect area = visibleEditorArea();
    ASSERT_LT(area.height(), 420);
    for (int k = 0; k < 6; ++k) {
        newEditor();
        EXPECT_TRUE(area.contains(window->mdiArea()->currentSubWindow()->geometry())) << k;
    }
    writeBytes(path(u"x.err"_s), "1 error\r\n");
    window->openInEditor(path(u"x.err"_s), u"编译信息"_s);
    QMdiSubWindow *report = window->mdiArea()->currentSubWindow();
    EXPECT_EQ(report->widget()->windowTitle(), u"编译信息"_s);
    EXPECT_TRUE(area.contains(report->geometry()));
}

TEST_F(WindowPlacementTest, CascadeKeepsEditorsUsableAndTheActiveOneOnTop)
{
    for (int k = 0; k < 12; ++k)
        openFile(u"f%1.asm"_s.arg(k), "NOP\r\n");
    QMdiSubWindow *active = window->mdiArea()->subWindowList()[4];
    window->mdiArea()->setActiveSubWindow(active);
    ASSERT_TRUE(window->triggerMenuItem(u"mWindowCa"_s));
    const QRect area = visibleEditorArea();
    for (QMdiSubWindow *editor : window->mdiArea()->subWindowList()) {
        EXPECT_TRUE(area.contains(editor->geometry()));
        EXPECT_GE(editor->width(), area.width() * 2 / 3);
        EXPECT_GE(editor->height(), area.height() * 2 / 3);
    }
    EXPECT_EQ(window->mdiArea()->activeSubWindow(), active);
    EXPECT_EQ(window->mdiArea()->subWindowList(QMdiArea::StackingOrder).last(), active);
}

TEST_F(WindowPlacementTest, ToolWindowsAreDialogsOfTheMainWindowAboveItsStatusBar)
{
    // A tool window that asks for more room than the screen has.
    const QString name = QString::fromLatin1(ToolName::Simulator);
    registerTool(name, [name](Workspace &workspace) {
        auto *tool = new StandInTool(workspace, name);
        tool->setMinimumSize(600, 500);
        tool->resize(1010, 900);
        return tool;
    });
    window->setGeometry(window->screen()->availableGeometry());
    QCoreApplication::processEvents();
    window->showTool(name);
    QWidget *tool = window->toolWindow(name);
    ASSERT_NE(tool, nullptr);
    // Transient for the main window, so a window manager keeps it above.
    EXPECT_EQ(tool->windowType(), Qt::Dialog);
    EXPECT_EQ(tool->parentWidget(), window.get());
    EXPECT_FALSE(tool->isModal());
    // With the frame the platform reports, or the one assumed until it does.
    const QRect framed = tool->frameGeometry() != tool->geometry()
                             ? tool->frameGeometry()
                             : tool->geometry().marginsAdded(kAssumedFrame);
    EXPECT_TRUE(window->screen()->geometry().contains(framed))
        << framed.x() << "," << framed.y() << " " << framed.width() << "x" << framed.height() << " main "
        << window->width() << "x" << window->height();
    EXPECT_LT(framed.bottom(), window->statusBar()->mapToGlobal(QPoint(0, 0)).y());
    registerTool(name, {});
}

TEST_F(WindowPlacementTest, EditorTabsStopEveryEightColumnsWhateverTheFont)
{
    EditorWindow *editor = openFile(u"p.lst"_s, "A\tB\r\n12345678B\r\n\t\tC\r\n1234567890123456C\r\n");
    QPlainTextEdit *box = editor->editor();
    // The character after a tab starts where the ninth (or seventeenth) column does.
    const auto xOf = [box](int line, int column) {
        QTextCursor cursor(box->document()->findBlockByNumber(line));
        cursor.setPosition(cursor.position() + column);
        return box->cursorRect(cursor).x();
    };
    EXPECT_EQ(xOf(0, 2), xOf(1, 8));
    EXPECT_EQ(xOf(2, 2), xOf(3, 16));
    // Also after the font command changes the font.
    prompter.answerFont(FontChoice{box->font().family(), 19, false, false});
    window->clickToolbarButton(u"Zt"_s);
    ASSERT_EQ(box->font().pointSizeF(), 19);
    EXPECT_EQ(xOf(0, 2), xOf(1, 8));
    EXPECT_DOUBLE_EQ(box->tabStopDistance(), QFontMetricsF(box->font()).horizontalAdvance(u' ') * 8);
}
