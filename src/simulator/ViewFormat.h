#pragma once
// The text views of the simulator window, made from the CPU state: PC, internal RAM, the 4096-line
// program-memory and external-RAM stores, working registers, PSW, the SFR table and the
// bit-addressable area. Each function gives the view's lines; the window joins them.
#include "simulator/Cpu51.h"

#include <QString>
#include <QStringList>
#include <bitset>
#include <cstdint>
#include <vector>

namespace tw
{

QString pcText(std::uint16_t pc);
// 16 rows "00H: 00 .. 00   00 .. 00" (three blanks between the 8th and 9th byte).
QStringList internalRamView(const Cpu51 &cpu);
// One row of a 64K memory: "0010H: 00 .. 00  00 .. 00" (two blanks between the 8th and 9th).
QString memoryRow(const std::uint8_t *memory, int row);
// "  区 0", an empty line, then " R0: xx" .. " R7: xx" of the bank PSW selects.
QStringList registerView(const Cpu51 &cpu);
// PSW bits 7..0, the digit always in column 7.
QStringList pswView(const Cpu51 &cpu);
// The 12-line SFR table with its empty second line (13 lines).
QStringList sfrView(const Cpu51 &cpu);
// 15 lines: the bit-addressable RAM bytes under their first bit address, then the SFR bytes.
QStringList bitAreaView(const Cpu51 &cpu);

// The 4096 lines of the program-memory or external-RAM view, built once per load or change and
// only sliced when scrolling. Rows that MOVX changed are made again only when they are shown: a
// fast run may write thousands of rows between two looks at the box.
class MemoryView
{
  public:
    static constexpr int kRows = 4096;
    static constexpr int kMaxTop = 4082; // the scroll bar's maximum
    static constexpr int kShownRows = 18;

    MemoryView() : m_lines(kRows) {}
    // Makes every row from memory, which the view then keeps reading for the changed rows.
    void rebuild(const std::uint8_t *memory);
    void markChanged(const std::bitset<kRows> &rows) { m_changed |= rows; }
    // Rows top .. top+count-1; rows past the end are empty.
    QStringList slice(int top, int count = kShownRows) const;

  private:
    const std::uint8_t *m_memory = nullptr;
    mutable std::vector<QString> m_lines;
    mutable std::bitset<kRows> m_changed;
};

// Hands the external-RAM rows MOVX wrote (Cpu51::xramRowsWritten) to the view and clears the
// marks. Returns the row of the last write, or -1 when nothing was written; the mark of the
// last write (Cpu51::xramWritten) is cleared too.
int patchWrittenRows(MemoryView &view, Cpu51 &cpu);

} // namespace tw
