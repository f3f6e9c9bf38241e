// The listing as the simulator shows it: scroll range, pane, addresses, markers, and the loading
// of the code image with its listing lines through real files.
#include "simulator/Listing.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tw;

namespace
{

QStringList numberedLines(int count)
{
    QStringList lines{QStringLiteral("  MCS51")};
    for (int i = 1; i < count; ++i)
        lines.append(QStringLiteral("  %1  00\tline %2").arg(i, 4, 16, QLatin1Char('0')).arg(i).toUpper());
    return lines;
}

TEST(ListingTest, ScrollRangeAndPane)
{
    Listing listing;
    ASSERT_TRUE(listing.setLines(numberedLines(100)));
    EXPECT_EQ(listing.scrollMax(), 86);
    EXPECT_EQ(listing.clampTop(90), 86);
    const QStringList pane = listing.pane(86);
    ASSERT_EQ(pane.size(), Listing::kPaneLines);
    EXPECT_EQ(pane[13], listing.line(99));
    EXPECT_TRUE(pane[14].isEmpty());

    for (const auto &[count, max] : {std::pair{5, 0}, {10, 0}, {14, 0}, {30, 16}}) {
        ASSERT_TRUE(listing.setLines(numberedLines(count)));
        EXPECT_EQ(listing.scrollMax(), max) << count;
        EXPECT_EQ(listing.pane(0)[0], QStringLiteral("  MCS51"));
    }
    EXPECT_FALSE(listing.setLines(numberedLines(Listing::kMaxLines + 1)));
    EXPECT_EQ(listing.count(), 30);
    EXPECT_TRUE(listing.setLines(numberedLines(Listing::kMaxLines)));
}

TEST(ListingTest, AddressesAndMarkers)
{
    Listing listing;
    listing.setLines({QStringLiteral("  MCS51"), QStringLiteral("        \t\t 1\t\tORG\t0000H"),
                      QStringLiteral("  0000  7412\t\t 2\tMOV\tA,#12H"),
                      QStringLiteral("  0002  00000000\t 3\tDB"), QStringLiteral("  0006  00"),
                      QStringLiteral("  0002  FF\t 4\tsame address again"), QStringLiteral("  00a0  01")});
    EXPECT_EQ(listing.lineOfAddress(0x0002), 3);
    EXPECT_EQ(listing.lineOfAddress(0x0003), -1);
    EXPECT_EQ(listing.lineOfAddress(0x00A0), -1);
    EXPECT_FALSE(listing.addressOfLine(0).has_value());
    EXPECT_FALSE(listing.addressOfLine(1).has_value());
    EXPECT_EQ(listing.looseAddressOfLine(0), 0x0C05);
    EXPECT_EQ(listing.looseAddressOfLine(1), 0);
    EXPECT_EQ(listing.addressText(2), QStringLiteral("0000"));

    listing.markFirstCodeLine();
    EXPECT_EQ(listing.pcLine(), 2);
    EXPECT_EQ(listing.line(2).left(6), QStringLiteral("> 0000"));
    listing.markPc(0x0006);
    listing.clearPcMarker();
    EXPECT_EQ(listing.pcLine(), 4);
    EXPECT_EQ(listing.line(4).left(6), QStringLiteral("  0006"));
    // No line for the PC: the marker stays off, the line index stays.
    listing.markPc(0x1234);
    EXPECT_EQ(listing.pcLine(), 4);
    listing.setBreakpointMarker(3, true);
    EXPECT_EQ(listing.line(3).left(6), QStringLiteral(" *0002"));
    listing.setBreakpointMarker(3, false);
    EXPECT_EQ(listing.line(3).left(6), QStringLiteral("  0002"));

    EXPECT_EQ(looseHexValue(QStringLiteral("FFF")), 0xFFF);
    EXPECT_EQ(looseHexValue(QStringLiteral("1g")), 0x10);
    EXPECT_EQ(looseHexValue(QString()), 0);
}

TEST(ListingTest, ProgramFilesAreReadOrRefused)
{
    QTemporaryDir dir;
    const QString bin = dir.filePath(QStringLiteral("prog.BIN"));
    twtest::writeBytes(bin, QByteArray("\x74\x12", 2));
    ProgramFiles files;
    EXPECT_EQ(readProgramFiles(bin, files),
              QStringLiteral(u"缺失") + dir.filePath(QStringLiteral("prog.lt")) + QStringLiteral(u"文件"));

    twtest::writeBytes(dir.filePath(QStringLiteral("prog.lt")), "  MCS51\r\n  0000  7412\nlast");
    EXPECT_EQ(readProgramFiles(bin, files), QString());
    EXPECT_EQ(files.code, QByteArray("\x74\x12", 2));
    EXPECT_EQ(files.lines, (QStringList{QStringLiteral("  MCS51"), QStringLiteral("  0000  7412"),
                                        QStringLiteral("last")}));

    twtest::writeBytes(bin, QByteArray(65537, '\0'));
    EXPECT_EQ(readProgramFiles(bin, files), QStringLiteral(u"目标文件超过64K字节，不能仿真！"));
    EXPECT_EQ(files.code.size(), 2);
}

} // namespace
