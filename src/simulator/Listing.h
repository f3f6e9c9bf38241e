#pragma once
// The listing-lines file as the simulator shows it: the lines with the PC marker ">" in column 1
// and the breakpoint marker "*" in column 2, the address in columns 3 to 6, and the pane of 21
// lines that the listing scroll bar moves over.
#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace tw
{

class Listing
{
  public:
    static constexpr int kMaxLines = 20000;
    static constexpr int kVisibleLines = 14; // what the pane shows of its 21 lines
    static constexpr int kPaneLines = 21;

    // Takes the lines of a listing-lines file; false (nothing changed) when there are more than
    // kMaxLines of them.
    bool setLines(const QStringList &lines);
    int count() const { return static_cast<int>(m_lines.size()); }
    // A line's text; empty past the loaded lines.
    QString line(int index) const;

    // The first line whose columns 3 to 6 are this address's four digits; -1 when none.
    int lineOfAddress(std::uint16_t address) const;
    // The address of a line whose columns 3 to 6 are four upper-case hexadecimal digits.
    std::optional<std::uint16_t> addressOfLine(int index) const;
    // Columns 3 to 6 read digit by digit, any character that is no digit counting 0 ("MCS5"
    // gives 0C05h, blanks 0): how the breakpoint command reads its line.
    int looseAddressOfLine(int index) const;
    // Columns 3 to 6 of a line as they stand.
    QString addressText(int index) const;

    // The PC marker: removed from its line, or moved to a line.
    int pcLine() const { return m_pcLine; }
    void clearPcMarker();
    void setPcLine(int index);
    // After a reset: the first line with an address (no line marked and pcLine 0 without one).
    void markFirstCodeLine();
    // Marks the line of pc; with no such line the marker stays off and pcLine keeps its value.
    void markPc(std::uint16_t pc);

    int breakpointLine() const { return m_breakpointLine; }
    void setBreakpointMarker(int index, bool on);

    // Listing scroll bar maximum, the clamp of its value, and the pane text from a first line.
    int scrollMax() const;
    int clampTop(int top) const;
    QStringList pane(int top) const;

  private:
    void setColumn(int index, int column, QChar mark);

    QStringList m_lines;
    QHash<int, int> m_lineOfAddress;
    int m_pcLine = 0;
    int m_breakpointLine = 0;
};

} // namespace tw

namespace tw
{

// Hexadecimal text read digit by digit, most significant first; a character that is no digit or
// upper-case A-F counts 0 (how the window's entry boxes and listing addresses are read).
int looseHexValue(const QString &text);

// The two files the simulator loads: the code image and the listing lines beside it.
struct ProgramFiles {
    QByteArray code;
    QStringList lines;
};

// Reads binPath and the listing-lines file beside it (last three characters replaced by "lt").
// Returns the message that refuses them (unreadable, a code image over 64K, a listing over
// Listing::kMaxLines lines), or an empty text.
QString readProgramFiles(const QString &binPath, ProgramFiles &files);

} // namespace tw
