#pragma once
// A real-looking MCS-51 program of a given number of lines, in this assembler's dialect and in
// as31's: constants by EQU, subroutines with counted loops, bit tests, calls, look-up tables of
// text and bytes, comment lines and trailing comments. Both texts give the same code image.
#include <QString>
#include <QStringList>

#include <random>

namespace twbench
{

struct Program51 {
    QString ours;  // CR LF line ends
    QString as31;  // LF line ends, as31's directives
    int codeBytes; // about how many bytes the program fills
};

namespace detail
{

// One statement: the label field (may be empty), the mnemonic and operands, a trailing comment.
struct Line {
    QString label, mnemonic, operands, comment;
    int bytes = 0;
};

inline QString hexNumber(int value)
{
    const QString digits = QString::number(value, 16).toUpper();
    return (digits.front() >= u'A' ? QStringLiteral("0") : QString()) + digits + u'H';
}

class Generator
{
  public:
    explicit Generator(int lines) : m_target(lines) {}

    Program51 make()
    {
        comment(QStringLiteral("; ==== generated benchmark program ===="));
        for (int k = 0; k < kConstants; ++k)
            equ(QStringLiteral("C%1").arg(k), hexNumber(0x30 + k));
        m_pc = 0;
        statement({QString(), QStringLiteral("ORG"), QStringLiteral("0000H"), QString(), 0});
        statement({QString(), QStringLiteral("LJMP"), QStringLiteral("MAIN"), QString(), 3});
        statement({QString(), QStringLiteral("ORG"), QStringLiteral("0030H"), QString(), 0});
        m_pc = 0x30;
        statement({QStringLiteral("MAIN"), QStringLiteral("MOV"), QStringLiteral("SP,#60H"),
                   QStringLiteral("stack above the variables"), 3});
        // One routine per block; each has two labels, every 16th a table: within 2,048 labels.
        const int blocks = std::max(4, std::min(m_target / 48, 900));
        const int linesPerBlock = std::max(12, (m_target - m_lineCount - 2) / blocks);
        const int bytesPerBlock = (0xF000 - 0x40) / blocks;
        for (int b = 0; b < blocks; ++b)
            routine(b, blocks, linesPerBlock, bytesPerBlock);
        while (m_lineCount < m_target - 1)
            comment(QStringLiteral(";"));
        m_ours += QStringLiteral("\tEND\r\n");
        m_as31 += QStringLiteral("\t.end\n");
        return {m_ours, m_as31, m_pc};
    }

  private:
    static constexpr int kConstants = 64;

    void comment(const QString &text)
    {
        m_ours += text + QStringLiteral("\r\n");
        m_as31 += text + u'\n';
        ++m_lineCount;
    }

    void equ(const QString &name, const QString &value)
    {
        m_ours += name + QStringLiteral("\tEQU\t") + value + QStringLiteral("\r\n");
        m_as31 += QStringLiteral("\t.equ\t") + name + QStringLiteral(", ") + value + u'\n';
        ++m_lineCount;
    }

    void statement(const Line &line)
    {
        QString mnemonic = line.mnemonic;
        QString operands = line.operands;
        const QString ourComment = line.comment.isEmpty() ? QString() : QStringLiteral("\t; ") + line.comment;
        m_ours += (line.label.isEmpty() ? QString() : line.label + u':') + u'\t' + mnemonic +
                  (operands.isEmpty() ? QString() : u'\t' + operands) + ourComment + QStringLiteral("\r\n");
        if (mnemonic == u"ORG" || mnemonic == u"DB")
            mnemonic = u'.' + mnemonic.toLower();
        if (operands.startsWith(u'\''))
            operands.replace(0, operands.indexOf(u'\'', 1) + 1,
                             u'"' + operands.mid(1, operands.indexOf(u'\'', 1) - 1) + u'"');
        m_as31 += (line.label.isEmpty() ? QString() : line.label + u':') + u'\t' + mnemonic +
                  (operands.isEmpty() ? QString() : u'\t' + operands) + ourComment + u'\n';
        m_pc += line.bytes;
        ++m_lineCount;
        ++m_statements;
    }

    int pick(int n) { return static_cast<int>(m_random() % static_cast<unsigned>(n)); }
    QString reg() { return QStringLiteral("R%1").arg(pick(8)); }
    QString direct() { return pick(3) == 0 ? sfr() : QStringLiteral("C%1").arg(pick(kConstants)); }
    QString sfr()
    {
        static const char *const names[] = {"P1",  "P2",  "TL0",  "TH0",  "B",
                                            "DPL", "DPH", "SBUF", "TCON", "IE"};
        return QString::fromLatin1(names[pick(10)]);
    }
    QString bit()
    {
        static const char *const names[] = {"P1.0", "P1.5", "P3.2", "P3.3",  "TR0", "TF0", "EA",
                                            "ET0",  "RI",   "TI",   "ACC.7", "20H", "2FH"};
        return QString::fromLatin1(names[pick(13)]);
    }
    QString immediate() { return u'#' + hexNumber(pick(256)); }

    // A statement of the loop body or the straight code around it: mostly one and two bytes.
    Line body(int block, bool inLoop)
    {
        const QString loop = QStringLiteral("RT%1L").arg(block);
        switch (pick(inLoop ? 24 : 21)) {
        case 0:
            return {{}, u"MOV"_qs, u"A,"_qs + reg(), {}, 1};
        case 1:
            return {{}, u"MOV"_qs, reg() + u",A"_qs, {}, 1};
        case 2:
            return {{}, u"ADD"_qs, u"A,"_qs + reg(), u"add the next term"_qs, 1};
        case 3:
            return {{}, u"ADDC"_qs, u"A,@R"_qs + QString::number(pick(2)), {}, 1};
        case 4:
            return {{}, u"INC"_qs, pick(2) ? reg() : u"DPTR"_qs, {}, 1};
        case 5:
            return {{}, u"MOVX"_qs, pick(2) ? u"A,@DPTR"_qs : u"@DPTR,A"_qs, {}, 1};
        case 6:
            return {{}, u"XRL"_qs, u"A,"_qs + reg(), {}, 1};
        case 7:
            return {{}, u"CLR"_qs, pick(2) ? u"A"_qs : u"C"_qs, {}, 1};
        case 8:
            return {{}, u"RLC"_qs, u"A"_qs, {}, 1};
        case 9:
            return {{}, u"SWAP"_qs, u"A"_qs, {}, 1};
        case 10:
            return {{}, u"MOV"_qs, u"A,"_qs + immediate(), {}, 2};
        case 11:
            return {{}, u"MOV"_qs, reg() + u","_qs + immediate(), {}, 2};
        case 12:
            return {{}, u"MOV"_qs, direct() + u",A"_qs, u"keep it"_qs, 2};
        case 13:
            return {{}, u"MOV"_qs, u"A,"_qs + direct(), {}, 2};
        case 14:
            return {{}, u"ANL"_qs, u"A,"_qs + immediate(), {}, 2};
        case 15:
            return {{}, pick(2) ? u"SETB"_qs : u"CLR"_qs, bit(), {}, 2};
        case 16:
            return {{}, u"PUSH"_qs, u"ACC"_qs, {}, 2};
        case 17:
            return {{}, u"POP"_qs, u"ACC"_qs, {}, 2};
        case 18:
            return {{}, u"MOV"_qs, direct() + u","_qs + immediate(), {}, 3};
        case 19:
            return {{}, u"SUBB"_qs, u"A,"_qs + reg(), {}, 1};
        case 20:
            return {{}, u"MUL"_qs, u"AB"_qs, {}, 1};
        // Backward branches to the loop head, close enough for a relative offset.
        case 21:
            return {{}, u"JB"_qs, bit() + u","_qs + loop, u"wait for the flag"_qs, 3};
        case 22:
            return {{}, u"CJNE"_qs, u"A,"_qs + immediate() + u","_qs + loop, {}, 3};
        default:
            return {{}, u"JNZ"_qs, loop, {}, 2};
        }
    }

    void routine(int block, int blocks, int lines, int bytes)
    {
        const int firstLine = m_lineCount;
        const int firstByte = m_pc;
        // Statements, not bytes, are counted, so that program48 can match the make-up line for line;
        // the bytes are checked too, so that the code always fits.
        const int firstStatement = m_statements;
        const auto room = [&](int more) {
            return m_statements - firstStatement < bytes / 2 && m_pc + more - firstByte <= bytes - 8;
        };
        comment(QStringLiteral(";------------------------------------------------"));
        comment(QStringLiteral("; routine %1 reads the port, scales the value and stores it").arg(block));
        const QString name = QStringLiteral("RT%1").arg(block);
        statement({name, u"MOV"_qs, u"R7,"_qs + immediate(), u"pass count"_qs, 2});
        const int head = lines / 4;
        const int loopLength = std::min(12, lines / 3);
        while (m_lineCount - firstLine < head - 1 && room(3))
            statement(body(block, false));
        statement({name + u"L"_qs, u"MOV"_qs, u"A,@R0"_qs, {}, 1});
        for (int k = 0; k < loopLength && room(3); ++k)
            statement(body(block, true));
        statement({{}, u"DJNZ"_qs, u"R7,"_qs + name + u"L"_qs, u"next pass"_qs, 2});
        if (block % 16 == 0) {
            statement({{}, u"MOV"_qs, u"DPTR,#TAB"_qs + QString::number(block), {}, 3});
            statement({{}, u"MOVC"_qs, u"A,@A+DPTR"_qs, {}, 1});
        }
        statement({{}, u"LCALL"_qs, QStringLiteral("RT%1").arg(pick(blocks)), {}, 3});
        while (m_lineCount - firstLine < lines - 3 && room(3)) {
            if (pick(5) == 0)
                comment(QStringLiteral("\t; step %1 of the routine").arg(m_lineCount - firstLine));
            else
                statement(body(block, false));
        }
        statement({{}, u"RET"_qs, {}, {}, 1});
        if (block % 16 == 0) {
            statement({u"TAB"_qs + QString::number(block), u"DB"_qs, u"'READY',0DH,0AH,00H"_qs, {}, 8});
        }
        while (m_lineCount - firstLine < lines)
            comment(pick(4) == 0 ? QString() : QStringLiteral(";"));
    }

    int m_target;
    int m_lineCount = 0;
    int m_statements = 0;
    int m_pc = 0;
    std::mt19937 m_random{51};
    QString m_ours, m_as31;
};

} // namespace detail

inline Program51 program51(int lines)
{
    return detail::Generator(lines).make();
}

} // namespace twbench
