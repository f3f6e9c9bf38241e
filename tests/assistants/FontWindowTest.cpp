// The dot-matrix font window in the real main window (offscreen), reading synthetic font files
// from a temporary program folder: its launcher and place in the workspace, each font's lookup,
// DB lines, cells and captions, the failure paths, and editing the pattern on the grid.
#include "assistants/ui/FontWindow.h"
#include "assistants/ui/GlyphGrid.h"
#include "assistants/ui/GlyphInputBox.h"
#include "common/ScriptedPrompter.h"
#include "support/TestFiles.h"
#include "workspace/MainWindowTestSupport.h"
#include "workspace/Workspace.h"
#include "workspace/ui/MainWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace tw;

namespace
{

const QString kFont = QString::fromLatin1(ToolName::Font);
const QString kAh = QStringLiteral(u"啊");

// A synthetic font file: every byte of glyph g is g mod 256.
QByteArray numberedGlyphs(int glyphBytes, int glyphs)
{
    QByteArray bytes(qsizetype(glyphs) * glyphBytes, '\0');
    for (int g = 0; g < glyphs; ++g)
        std::fill_n(bytes.begin() + qsizetype(g) * glyphBytes, glyphBytes, static_cast<char>(g % 256));
    return bytes;
}

QString lines(const QString &line, int count)
{
    QString text;
    for (int k = 0; k < count; ++k)
        text += line + QStringLiteral("\r\n");
    return text;
}

// The cells a row-ordered pattern of the given bytes sets, drawn from (firstRow, firstColumn).
GridCells cellsOf(const QByteArray &rows, int bytesPerRow, int firstRow, int firstColumn)
{
    GridCells cells;
    for (int k = 0; k < rows.size(); ++k)
        for (int b = 0; b < 8; ++b)
            if (static_cast<quint8>(rows[k]) & (0x80 >> b))
                cells.set(32 * (firstRow + k / bytesPerRow) + firstColumn + 8 * (k % bytesPerRow) + b);
    return cells;
}

class FontWindowTest : public twtest::ToolWindowTest
{
  protected:
    QTemporaryDir folder;
    // The test program's own setting: the windows of the other suites find their data there.
    const QByteArray savedProgramFolder = qgetenv("TW_PROGRAM_FOLDER");
    FontWindow *window = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        qputenv("TW_PROGRAM_FOLDER", folder.path().toLocal8Bit());
        registerFontWindow();
        ToolWindowTest::SetUp();
        window = launch();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override
    {
        twtest::registerStandIns(false);
        ToolWindowTest::TearDown();
        qputenv("TW_PROGRAM_FOLDER", savedProgramFolder);
    }

    FontWindow *launch()
    {
        EXPECT_TRUE(main->triggerMenuItem(QStringLiteral("dzzm")));
        return qobject_cast<FontWindow *>(main->toolWindow(kFont));
    }
    const FontWindow::Controls &ui() const { return window->controls(); }
    void writeFont(const QString &name, const QByteArray &bytes)
    {
        twtest::writeBytes(folder.filePath(name), bytes);
    }

    // A key as the keyboard gives it: the box hears it before it takes the character.
    void type(const QString &character)
    {
        QTest::sendKeyEvent(QTest::Click, ui().input, Qt::Key_unknown, character, Qt::NoModifier);
    }
    void chooseSize(int option) { QTest::mouseClick(ui().size[option], Qt::LeftButton); }
    void clickCell(int row, int column)
    {
        QTest::mouseClick(ui().grid, Qt::LeftButton, Qt::NoModifier,
                          GlyphGrid::cellOrigin(row, column) + QPoint(4, 4));
    }

    // Shown captions as "index:text@top", in index order.
    QStringList shownCaptions() const
    {
        QStringList shown;
        for (int k = 0; k < 4; ++k)
            if (!ui().bitOrder[k]->isHidden())
                shown << QStringLiteral("L%1:%2@%3")
                             .arg(k)
                             .arg(ui().bitOrder[k]->text())
                             .arg(ui().bitOrder[k]->y());
        for (int k = 0; k < 8; ++k)
            if (!ui().byteCaptions[k]->isHidden())
                shown << QStringLiteral("%1:%2@%3")
                             .arg(k)
                             .arg(ui().byteCaptions[k]->text())
                             .arg(ui().byteCaptions[k]->y());
        return shown;
    }
};

} // namespace

TEST_F(FontWindowTest, OpensOverTheWorkspaceInItsDesignStateAndLocksNothing)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral(u"点阵字模"));
    // A window of its own over the main window, so that it comes to the front as other tool
    // windows do.
    EXPECT_TRUE(window->isWindow());
    EXPECT_EQ(window->parentWidget(), main.get());
    EXPECT_TRUE(main->mdiArea()->subWindowList().isEmpty());
    EXPECT_EQ(window->size(), QSize(634, 342));
    EXPECT_FALSE(window->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    // Half the 1024-pixel screen less 4800 twips across, a tenth of its 768-pixel height down,
    // from the workspace's corner.
    EXPECT_EQ(window->pos(), main->mdiArea()->mapToGlobal(QPoint(192, 77)));
    EXPECT_EQ(main->editorCount(), 0);

    // Menus and toolbar as they were: only New and Open, and the tools' menus.
    EXPECT_TRUE(main->isMenuEnabled("mFile"));
    EXPECT_TRUE(main->isMenuEnabled("comFZ"));
    EXPECT_FALSE(main->isMenuVisible("mEdit"));
    EXPECT_TRUE(main->isToolbarButtonEnabled(1));
    EXPECT_FALSE(main->isToolbarButtonEnabled(3));

    // Design state: the full 32 x 32 grid under the captions of its 128 bytes, 16x16 chosen.
    EXPECT_EQ(ui().grid->cells().count(), 1024u);
    EXPECT_EQ(shownCaptions(),
              QStringList({"L0:H......L@32", "L1:H......L@32", "L2:H......L@32", "L3:H......L@32",
                           u"0:第1字节@16"_qs, u"1:第2字节@16"_qs, u"2:第3字节@16"_qs, u"3:第4字节@16"_qs,
                           u"4:第125字节@312"_qs, u"5:第126字节@312"_qs, u"6:第127字节@312"_qs,
                           u"7:第128字节@312"_qs}));
    const QString sizes[] = {u"8x16 字符"_qs, u"12x12 汉字"_qs, u"16x16 汉字"_qs, u"24x24 汉字"_qs};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(ui().size[k]->text(), sizes[k]);
    EXPECT_TRUE(ui().size[2]->isChecked());
    EXPECT_EQ(window->glyphMode(), GlyphMode::Hanzi16);
    EXPECT_TRUE(ui().input->text().isEmpty());
    EXPECT_TRUE(ui().code->text().isEmpty());
    EXPECT_TRUE(window->dbText().isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), ui().db);
    // Choosing a size hands the focus to the input box.
    chooseSize(1);
    EXPECT_EQ(QApplication::focusWidget(), ui().input);
    // Clicks on the design grid change nothing: there is no pattern to edit yet.
    clickCell(0, 0);
    EXPECT_EQ(ui().grid->cells().count(), 1024u);
    EXPECT_TRUE(prompter.calls().isEmpty());
}

TEST_F(FontWindowTest, StaysBesideOtherWindowsKeepsItsContentAndStartsAfreshWhenReopened)
{
    writeFont("hzk16", numberedGlyphs(32, 8178));
    type(kAh);
    const QString drawn = window->dbText();
    ASSERT_FALSE(drawn.isEmpty());

    // The menu item again brings the same window forward with what it shows.
    EXPECT_EQ(launch(), window);
    EXPECT_EQ(window->dbText(), drawn);
    EXPECT_EQ(QApplication::activeWindow(), window);

    // Locking tools and editors come and go beside it.
    twtest::registerStandIns();
    main->showTool(QString::fromLatin1(ToolName::Assembler));
    EXPECT_FALSE(main->isMenuEnabled("comFZ"));
    EXPECT_EQ(main->toolWindow(kFont), window);
    main->unloadTool(QString::fromLatin1(ToolName::Assembler));
    flush();
    EXPECT_TRUE(main->triggerMenuItem("mFileNew"));
    EXPECT_EQ(main->editorCount(), 1);
    EXPECT_EQ(main->toolWindow(kFont), window);
    EXPECT_EQ(window->dbText(), drawn);

    // Closed by its close box: gone; the menu item opens a fresh one.
    window->close();
    flush();
    EXPECT_FALSE(main->isToolLoaded(kFont));
    EXPECT_EQ(main->editorCount(), 1);
    window = launch();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->dbText().isEmpty());
    EXPECT_EQ(ui().grid->cells().count(), 1024u);
    EXPECT_TRUE(ui().size[2]->isChecked());

    // Unloaded by the main window (as at exit) it closes.
    main->unloadTool(kFont);
    flush();
    EXPECT_FALSE(main->isToolLoaded(kFont));
}

TEST_F(FontWindowTest, SingleByteCharactersComeFromTheEightBySixteenFont)
{
    QByteArray asc16(4096, '\0');
    for (int o = 0; o < asc16.size(); ++o)
        asc16[o] = static_cast<char>(o % 256);
    writeFont("asc16", asc16);
    chooseSize(3); // the size options apply to Chinese characters only
    type("A");
    EXPECT_EQ(window->glyphMode(), GlyphMode::Ascii8x16);
    EXPECT_TRUE(ui().size[3]->isChecked());
    EXPECT_EQ(ui().code->text(), "65");
    EXPECT_EQ(window->dbText(),
              "DB 10H,11H,12H,13H,14H,15H,16H,17H\r\nDB 18H,19H,1AH,1BH,1CH,1DH,1EH,1FH\r\n");
    EXPECT_EQ(ui().grid->cells(), cellsOf(asc16.mid(1040, 16), 1, 8, 8));
    EXPECT_TRUE(ui().grid->isCellSet(8, 11));
    EXPECT_FALSE(ui().grid->isCellSet(8, 10));
    EXPECT_EQ(shownCaptions(), QStringList({"L1:H......L@102", u"1:第1字节@85"_qs, u"5:第16字节@244"_qs}));

    // A second character replaces the first.
    type("B");
    EXPECT_EQ(ui().input->text(), "B");
    EXPECT_EQ(ui().code->text(), "66");
    EXPECT_TRUE(window->dbText().startsWith("DB 20H,21H"));
    EXPECT_TRUE(prompter.calls().isEmpty());
}

TEST_F(FontWindowTest, HanziComeFromTheChosenSizeAtTheirZoneAndPlace)
{
    writeFont("hzk16", numberedGlyphs(32, 8178));
    writeFont("HZK12", numberedGlyphs(24, 8178));
    // 啊 is zone 16, place 1: glyph 1410, whose bytes are all 82H in these files.
    type(kAh);
    EXPECT_EQ(window->glyphMode(), GlyphMode::Hanzi16);
    EXPECT_EQ(ui().code->text(), "1601");
    EXPECT_EQ(window->dbText(), lines("DB 82H,82H,82H,82H,82H,82H,82H,82H", 4));
    EXPECT_EQ(ui().grid->cells(), cellsOf(QByteArray(32, '\x82'), 2, 4, 8));
    EXPECT_EQ(shownCaptions(), QStringList({"L1:H......L@62", "L2:H......L@62", u"1:第1字节@45"_qs,
                                            u"2:第2字节@45"_qs, u"5:第31字节@220"_qs, u"6:第32字节@220"_qs}));

    // Another size draws nothing until a character is typed, even the same one again.
    chooseSize(1);
    EXPECT_EQ(window->glyphMode(), GlyphMode::Hanzi12);
    EXPECT_EQ(window->dbText(), lines("DB 82H,82H,82H,82H,82H,82H,82H,82H", 4));
    type(kAh);
    EXPECT_EQ(ui().input->text(), kAh);
    EXPECT_EQ(window->dbText(), lines("DB 82H,82H,82H,82H,82H,82H,82H,82H", 3));
    EXPECT_EQ(ui().grid->cells(), cellsOf(QByteArray(24, '\x82'), 2, 4, 8));
    EXPECT_EQ(shownCaptions(), QStringList({"L1:H......L@62", "L2:H......L@62", u"1:第1字节@45"_qs,
                                            u"2:第2字节@45"_qs, u"5:第23字节@200"_qs, u"6:第24字节@200"_qs}));

    // A symbol: 、 is zone 1, place 2.
    type(QStringLiteral(u"、"));
    EXPECT_EQ(ui().code->text(), "0102");
    EXPECT_EQ(window->dbText(), lines("DB 01H,01H,01H,01H,01H,01H,01H,01H", 3));
    EXPECT_TRUE(prompter.calls().isEmpty());
}

TEST_F(FontWindowTest, TwentyFourPixelGlyphsAreTurnedFromColumnsIntoRows)
{
    // Glyph 0 of the 24-pixel file is 啊: its column 0 full.
    QByteArray hzk24(72 * 6768, '\0');
    hzk24[0] = hzk24[1] = hzk24[2] = '\xFF';
    writeFont("hzk24S", hzk24);
    chooseSize(3);
    // Committed by an input method, as Chinese is usually typed.
    QInputMethodEvent commit;
    commit.setCommitString(kAh);
    QCoreApplication::sendEvent(ui().input, &commit);
    EXPECT_EQ(ui().input->text(), kAh);
    EXPECT_EQ(window->glyphMode(), GlyphMode::Hanzi24);
    EXPECT_EQ(ui().code->text(), "1601");
    const QString three = QStringLiteral("DB 80H,00H,00H,80H,00H,00H,80H,00H\r\n"
                                         "DB 00H,80H,00H,00H,80H,00H,00H,80H\r\n"
                                         "DB 00H,00H,80H,00H,00H,80H,00H,00H\r\n");
    EXPECT_EQ(window->dbText(), three + three + three);
    GridCells column0;
    for (int row = 0; row < 24; ++row)
        column0.set(32 * row);
    EXPECT_EQ(ui().grid->cells(), column0);
    EXPECT_EQ(shownCaptions(),
              QStringList({"L0:H......L@32", "L1:H......L@32", "L2:H......L@32", u"0:第1字节@16"_qs,
                           u"1:第2字节@16"_qs, u"2:第3字节@16"_qs, u"4:第70字节@253"_qs, u"5:第71字节@253"_qs,
                           u"6:第72字节@253"_qs}));
}

TEST_F(FontWindowTest, FailuresLeaveTheGridBlankWithoutAMessage)
{
    writeFont("hzk16", numberedGlyphs(32, 8178));
    type(kAh);
    const QStringList captions16 = shownCaptions();

    // A Chinese character while the 8x16 font is chosen: its negative code, nothing drawn.
    chooseSize(0);
    type(kAh);
    EXPECT_EQ(ui().code->text(), "-20319");
    EXPECT_TRUE(window->dbText().isEmpty());
    EXPECT_EQ(ui().grid->cells().count(), 0u);
    EXPECT_EQ(shownCaptions(), captions16);

    // The 24-pixel file is missing: the code shows, nothing else; the file is not made.
    chooseSize(3);
    type(QStringLiteral(u"国"));
    EXPECT_EQ(ui().code->text(), "2590");
    EXPECT_TRUE(window->dbText().isEmpty());
    EXPECT_EQ(ui().grid->cells().count(), 0u);
    EXPECT_FALSE(QFile::exists(folder.filePath("hzk24S")));
    EXPECT_EQ(shownCaptions(), captions16);

    // Backspace empties the box: the grid and DB lines blank, the code and captions stay.
    chooseSize(2);
    type(kAh);
    ASSERT_FALSE(window->dbText().isEmpty());
    QTest::keyClick(ui().input, Qt::Key_Backspace);
    EXPECT_TRUE(ui().input->text().isEmpty());
    EXPECT_EQ(window->glyphMode(), GlyphMode::Ascii8x16);
    EXPECT_TRUE(window->dbText().isEmpty());
    EXPECT_EQ(ui().grid->cells().count(), 0u);
    EXPECT_EQ(ui().code->text(), "1601");
    EXPECT_EQ(shownCaptions(), captions16);

    // GBK characters beyond GB2312 are not looked up at another glyph's place.
    type(QStringLiteral(u"丂")); // 8140h
    EXPECT_EQ(window->glyphMode(), GlyphMode::Hanzi16);
    EXPECT_TRUE(window->dbText().isEmpty());
    const QString inZone = QStringDecoder("GBK").decode(QByteArray("\xB0\x40")); // lead B0h, trail 40h
    ASSERT_EQ(inZone.size(), 1);
    type(inZone);
    EXPECT_TRUE(window->dbText().isEmpty());
    EXPECT_EQ(ui().grid->cells().count(), 0u);

    // Pasted with Ctrl+V, a Chinese character is taken as a control key's: the 8x16 font.
    QGuiApplication::clipboard()->setText(kAh);
    type("A");
    QTest::keyClick(ui().input, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(ui().input->text(), kAh);
    EXPECT_EQ(window->glyphMode(), GlyphMode::Ascii8x16);
    EXPECT_EQ(ui().code->text(), "-20319");
    EXPECT_TRUE(window->dbText().isEmpty());
    EXPECT_TRUE(prompter.calls().isEmpty());
}

TEST_F(FontWindowTest, ClicksOnThePatternEditItsBitsAndDbLines)
{
    writeFont("asc16", QByteArray(4096, '\0'));
    writeFont("hzk24S", QByteArray(72 * 6768, '\0'));
    type("A");
    ASSERT_EQ(window->dbText(), lines("DB 00H,00H,00H,00H,00H,00H,00H,00H", 2));
    // The "H......L" caption over row 8 lets a click through to the cell below it.
    const QPoint underCaption = ui().grid->mapTo(window, GlyphGrid::cellOrigin(8, 10) + QPoint(4, 4));
    ASSERT_TRUE(ui().bitOrder[1]->geometry().contains(underCaption));
    EXPECT_EQ(window->childAt(underCaption), ui().grid);
    clickCell(8, 8);   // row 0, leftmost pixel
    clickCell(23, 15); // row 15, rightmost pixel
    EXPECT_EQ(window->dbText(),
              "DB 80H,00H,00H,00H,00H,00H,00H,00H\r\nDB 00H,00H,00H,00H,00H,00H,00H,01H\r\n");
    EXPECT_TRUE(ui().grid->isCellSet(8, 8));
    clickCell(8, 8);
    EXPECT_FALSE(ui().grid->isCellSet(8, 8));
    EXPECT_TRUE(window->dbText().startsWith("DB 00H,"));
    // Outside the character's cells: nothing.
    clickCell(7, 8);
    clickCell(8, 16);
    EXPECT_EQ(ui().grid->cells().count(), 1u);

    // The 24-pixel pattern is edited by rows, as its DB lines are.
    chooseSize(3);
    type(kAh);
    clickCell(0, 23);
    clickCell(23, 0);
    EXPECT_TRUE(window->dbText().startsWith("DB 00H,00H,01H,00H,"));
    EXPECT_TRUE(window->dbText().endsWith("DB 00H,00H,00H,00H,00H,80H,00H,00H\r\n"));
}
