#pragma once
// A real-looking MCS-48 program of exactly the given number of lines, made up like program51's
// (same share of comment lines, trailing comments, labels and one- and two-byte statements), so
// that the two assemblers can be compared per line.
#include <QString>

#include <random>

namespace twbench
{

namespace detail
{

class Generator48
{
  public:
    explicit Generator48(int lines) : m_target(lines) {}

    QString make()
    {
        line(QStringLiteral("; ==== generated benchmark program ===="), 0);
        for (int k = 0; k < 64; ++k)
            line(QStringLiteral("C%1:\tEQU\t%2H").arg(k).arg(0x20 + k % 32, 2, 16, QChar(u'0')), 0);
        line(QStringLiteral("\tORG\t0000H"), 0);
        line(QStringLiteral("\tJMP\tMAIN"), 2);
        line(QStringLiteral("\tORG\t0010H"), 0);
        m_pc = 0x10;
        line(QStringLiteral("MAIN:\tMOV\tR7,#10H\t; pass count"), 2);
        const int blocks = std::max(4, std::min(m_target / 48, 900));
        const int linesPerBlock = std::max(12, (m_target - m_lineCount - 2) / blocks);
        const int bytesPerBlock = (0xF000 - 0x40) / blocks;
        for (int b = 0; b < blocks; ++b)
            routine(b, linesPerBlock, bytesPerBlock);
        while (m_lineCount < m_target - 1)
            line(QStringLiteral(";"), 0);
        m_text += QStringLiteral("\tEND\r\n");
        return m_text;
    }

  private:
    void line(const QString &text, int bytes)
    {
        m_text += text + QStringLiteral("\r\n");
        m_pc += bytes;
        ++m_lineCount;
        m_statements += bytes > 0 ? 1 : 0;
    }

    int pick(int n) { return static_cast<int>(m_random() % static_cast<unsigned>(n)); }
    QString reg() { return QStringLiteral("R%1").arg(pick(8)); }
    QString immediate() { return QStringLiteral("#%1%2H").arg(pick(10)).arg(pick(10)); }

    void statement(const QString &loop)
    {
        switch (pick(loop.isEmpty() ? 20 : 23)) {
        case 0:
            return line(u"\tMOV\tA,"_qs + reg(), 1);
        case 1:
            return line(u"\tMOV\t"_qs + reg() + u",A"_qs, 1);
        case 2:
            return line(u"\tADD\tA,"_qs + reg() + u"\t; add the next term"_qs, 1);
        case 3:
            return line(u"\tADDC\tA,@R"_qs + QString::number(pick(2)), 1);
        case 4:
            return line(u"\tINC\t"_qs + reg(), 1);
        case 5:
            return line(pick(2) ? u"\tMOVX\tA,@R0"_qs : u"\tMOVX\t@R1,A"_qs, 1);
        case 6:
            return line(u"\tXRL\tA,"_qs + reg(), 1);
        case 7:
            return line(pick(2) ? u"\tCLR\tA"_qs : u"\tCLR\tC"_qs, 1);
        case 8:
            return line(u"\tRLC\tA"_qs, 1);
        case 9:
            return line(u"\tSWAP\tA"_qs, 1);
        case 10:
            return line(u"\tMOV\tA,"_qs + immediate(), 2);
        case 11:
            return line(u"\tMOV\t"_qs + reg() + u","_qs + immediate(), 2);
        case 12:
            return line(u"\tMOV\t@R0,A\t; keep it"_qs, 1);
        case 13:
            return line(u"\tIN\tA,P1"_qs, 1);
        case 14:
            return line(u"\tANL\tA,"_qs + immediate(), 2);
        case 15:
            return line(u"\tORL\tP1,"_qs + immediate(), 2);
        case 16:
            return line(u"\tOUTL\tP2,A"_qs, 1);
        case 17:
            return line(u"\tXCH\tA,"_qs + reg(), 1);
        case 18:
            return line(u"\tMOV\tR0,"_qs + immediate(), 2);
        case 19:
            return line(u"\tDEC\tA"_qs, 1);
        // Back to the loop head, kept within its page.
        case 20:
            return line(u"\tJT0\t"_qs + loop + u"\t; wait for the pin"_qs, 2);
        case 21:
            return line(u"\tJC\t"_qs + loop, 2);
        default:
            return line(u"\tJNZ\t"_qs + loop, 2);
        }
    }

    void routine(int block, int lines, int bytes)
    {
        const int firstLine = m_lineCount;
        const int firstByte = m_pc;
        // As many statements a routine as program51 has for the same number of lines.
        const int firstStatement = m_statements;
        const auto room = [&] { return m_statements - firstStatement < bytes / 2; };
        line(QStringLiteral(";------------------------------------------------"), 0);
        line(QStringLiteral("; routine %1 reads the port, scales the value and stores it").arg(block), 0);
        const QString name = QStringLiteral("RT%1").arg(block);
        line(name + QStringLiteral(":\tMOV\tR7,#08H\t; pass count"), 2);
        while (m_lineCount - firstLine < lines / 4 && room())
            statement({});
        // The loop's jumps stay in one 256-byte page.
        if ((m_pc & 0xFF) < 0xC0) {
            line(name + QStringLiteral("L:\tMOV\tA,@R0"), 1);
            for (int k = 0; k < std::min(12, lines / 3) && room(); ++k)
                statement(name + u"L"_qs);
            line(u"\tDJNZ\tR7,"_qs + name + u"L\t; next pass"_qs, 2);
        }
        // Calls stay within the routine's 2 KB bank.
        if (block > 0 && m_previousStart / 2048 == m_pc / 2048)
            line(QStringLiteral("\tCALL\tRT%1").arg(block - 1), 2);
        m_previousStart = firstByte;
        while (m_lineCount - firstLine < lines - 3 && room()) {
            if (pick(5) == 0)
                line(QStringLiteral("\t; step %1 of the routine").arg(m_lineCount - firstLine), 0);
            else
                statement({});
        }
        line(QStringLiteral("\tRET"), 1);
        while (m_lineCount - firstLine < lines)
            line(pick(4) == 0 ? QString() : QStringLiteral(";"), 0);
    }

    int m_target;
    int m_lineCount = 0;
    int m_statements = 0;
    int m_pc = 0;
    int m_previousStart = -0x10000;
    std::mt19937 m_random{48};
    QString m_text;
};

} // namespace detail

inline QString program48(int lines)
{
    return detail::Generator48(lines).make();
}

} // namespace twbench
