#include "simulator/ViewFormat.h"

#include "common/Hex.h"

namespace tw
{
namespace
{

// " 1 0 1 1 0 0 0 1": bit 7 first, each digit after a blank.
QString bitDigits(std::uint8_t value)
{
    QString text;
    text.reserve(16);
    for (int b = 7; b >= 0; --b) {
        text += QLatin1Char(' ');
        text += QLatin1Char((value >> b) & 1 ? '1' : '0');
    }
    return text;
}

QString bitEntry(std::uint8_t address, std::uint8_t value)
{
    return hexByte(address) + QLatin1String("H:") + bitDigits(value);
}

// Sixteen bytes after a row label, with extra blanks before the ninth.
QString byteRow(QString text, const std::uint8_t *bytes, int gap)
{
    for (int k = 0; k < 16; ++k) {
        if (k == 8)
            text += QString(gap, QLatin1Char(' '));
        text += QLatin1Char(' ');
        text += hexByte(bytes[k]);
    }
    return text;
}

struct SfrEntry {
    const char *label;
    std::uint8_t high, low; // low 0: a one-byte register
};

} // namespace

QString pcText(std::uint16_t pc)
{
    return hexWord(pc);
}

QStringList internalRamView(const Cpu51 &cpu)
{
    QStringList lines;
    for (int row = 0; row < 16; ++row)
        lines.append(byteRow(hexByte(static_cast<std::uint8_t>(row * 16)) + QLatin1String("H:"),
                             cpu.iram.data() + row * 16, 2));
    return lines;
}

QString memoryRow(const std::uint8_t *memory, int row)
{
    return byteRow(hexWord(row * 16) + QLatin1String("H:"), memory + row * 16, 1);
}

QStringList registerView(const Cpu51 &cpu)
{
    const int bank = (cpu.sfr[Sfr::PSW] >> 3) & 3;
    QStringList lines;
    lines.append(QStringLiteral(u"  区") + QLatin1Char(' ') + QString::number(bank));
    lines.append(QString());
    for (int n = 0; n < 8; ++n)
        lines.append(QLatin1String(" R") + QString::number(n) + QLatin1String(": ") +
                     hexByte(cpu.iram[static_cast<std::size_t>(bank * 8 + n)]));
    return lines;
}

QStringList pswView(const Cpu51 &cpu)
{
    static const char *const labels[8] = {
        " Cy: ", " AC: ", " F0: ", " RS1:", " RS0:", " OV: ", " -:  ", " P:  "};
    QStringList lines;
    const std::uint8_t psw = cpu.sfr[Sfr::PSW];
    for (int k = 0; k < 8; ++k)
        lines.append(QLatin1String(labels[k]) + QLatin1Char(' ') +
                     QLatin1Char((psw >> (7 - k)) & 1 ? '1' : '0'));
    return lines;
}

QStringList sfrView(const Cpu51 &cpu)
{
    static const SfrEntry table[11][3] = {
        {{"SP:     ", 0x81, 0}, {"A:      ", 0xE0, 0}, {"B:      ", 0xF0, 0}},
        {{"PSW:    ", 0xD0, 0}, {"IE:     ", 0xA8, 0}, {"T2CON:  ", 0xC8, 0}},
        {{"P0:     ", 0x80, 0}, {"TL0:    ", 0x8A, 0}, {"T2MOD:  ", 0xC9, 0}},
        {{"P1:     ", 0x90, 0}, {"TH0:    ", 0x8C, 0}, {"RCAP2L: ", 0xCA, 0}},
        {{"P2:     ", 0xA0, 0}, {"TL1:    ", 0x8B, 0}, {"RCAP2H: ", 0xCB, 0}},
        {{"P3:     ", 0xB0, 0}, {"TH1:    ", 0x8D, 0}, {"TL2:    ", 0xCC, 0}},
        {{"TMOD:   ", 0x89, 0}, {"IP:     ", 0xB8, 0}, {"TH2:    ", 0xCD, 0}},
        {{"TCON:   ", 0x88, 0}, {"SCON:   ", 0x98, 0}, {"AUXR1:  ", 0xA2, 0}},
        {{"SBUF:   ", 0x99, 0}, {"PCON:   ", 0x87, 0}, {"AUXR:   ", 0x8E, 0}},
        {{"WDTRST: ", 0xA6, 0}, {"WCON:   ", 0x96, 0}, {nullptr, 0, 0}},
        {{"SPSR:   ", 0xAA, 0}, {"SPCR:   ", 0xD5, 0}, {"SPDR:   ", 0x86, 0}},
    };
    const auto entry = [&cpu](const SfrEntry &e) {
        QString text = QLatin1String(e.label) + hexByte(cpu.sfr[e.high]);
        if (e.low)
            text += hexByte(cpu.sfr[e.low]);
        return text;
    };
    QStringList lines;
    lines.append(entry({"DPTR:   ", Sfr::DPH, Sfr::DPL}) + QString(9, QLatin1Char(' ')) +
                 entry({"DPTR1:   ", Sfr::DP1H, Sfr::DP1L}));
    lines.append(QString());
    for (const auto &row : table) {
        QStringList entries;
        for (const SfrEntry &e : row)
            if (e.label)
                entries.append(entry(e));
        lines.append(entries.join(QLatin1String("   ")));
    }
    return lines;
}

QStringList bitAreaView(const Cpu51 &cpu)
{
    const QString gap(8, QLatin1Char(' '));
    QStringList lines;
    for (int k = 0; k < 16; k += 2)
        lines.append(QLatin1Char(' ') + bitEntry(static_cast<std::uint8_t>(k * 8), cpu.iram[0x20 + k]) + gap +
                     bitEntry(static_cast<std::uint8_t>(k * 8 + 8), cpu.iram[0x21 + k]));
    static const std::uint8_t pairs[6][2] = {{0x80, 0x88}, {0x90, 0x98}, {0xA0, 0xA8},
                                             {0xB0, 0xB8}, {0xC0, 0xC8}, {0xD0, 0xE0}};
    for (const auto &pair : pairs)
        lines.append(QLatin1Char(' ') + bitEntry(pair[0], cpu.sfr[pair[0]]) + gap +
                     bitEntry(pair[1], cpu.sfr[pair[1]]));
    lines.append(QLatin1Char(' ') + bitEntry(0xF0, cpu.sfr[0xF0]));
    return lines;
}

void MemoryView::rebuild(const std::uint8_t *memory)
{
    m_memory = memory;
    m_changed.reset();
    for (int row = 0; row < kRows; ++row)
        m_lines[static_cast<std::size_t>(row)] = memoryRow(memory, row);
}

QStringList MemoryView::slice(int top, int count) const
{
    QStringList lines;
    for (int row = top; row < top + count; ++row) {
        if (row < 0 || row >= kRows) {
            lines.append(QString());
            continue;
        }
        const auto at = static_cast<std::size_t>(row);
        if (m_changed.test(at) && m_memory) {
            m_lines[at] = memoryRow(m_memory, row);
            m_changed.reset(at);
        }
        lines.append(m_lines[at]);
    }
    return lines;
}

int patchWrittenRows(MemoryView &view, Cpu51 &cpu)
{
    const int last = cpu.xramWritten < 0 ? -1 : (cpu.xramWritten >> 4) & 0xFFF;
    cpu.xramWritten = -1;
    if (cpu.xramRowsWritten.any()) {
        view.markChanged(cpu.xramRowsWritten);
        cpu.xramRowsWritten.reset();
    }
    return last;
}

} // namespace tw
