#pragma once
// Peers for the MCS-51 disassembler tests: as31 reassembles our output, d52 decodes the same
// image on its own, and a generator makes code images whose flow is known.
#include <QByteArray>
#include <QString>

#include <map>
#include <vector>

namespace dis51test
{

// Our disassembly (lone CR line ends, "ORG 0030H", "L3: EQU  0F00H", "DB 12H, 0A5H",
// hexadecimal numbers with "H") in as31's dialect.
QString toAs31(const QString &ours);

struct ListedLine {
    int address = 0;
    QByteArray bytes;
    QString source;
};

struct As31Result {
    bool ok = false;
    QString messages;
    std::map<int, std::uint8_t> bytes; // every address assembled
    std::vector<ListedLine> lines;     // the listing, one entry per source line that made bytes
};

// Assembles as31 source in dir (files a31.asm, a31.out, a31.lst).
As31Result as31(const QString &source, const QString &dir);

// The bytes of a run of as31, from address 0 up to the highest address assembled (gaps 0).
QByteArray imageOf(const std::map<int, std::uint8_t> &bytes);

struct D52Instruction {
    QString mnemonic;
    QByteArray bytes;
};

// d52's instruction starts for the .bin file at binPath (data lines left out).
std::map<int, D52Instruction> d52Code(const QString &binPath);

// A code image of size bytes (>= 256) whose instructions, jump targets and data-pointer values all
// fall on instruction starts: vectors hold RETI, code runs from 0030H. A5H is never used.
QByteArray generatedProgram(unsigned seed, int size);

// Every label an instruction of the disassembly names is defined once (line prefix or EQU), and
// no operand is left empty (gtest expectations).
void expectLabelsDefined(const QByteArray &source);

} // namespace dis51test
