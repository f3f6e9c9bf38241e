#pragma once
// Reads the MCS-48 disassembler's output back into addresses, so tests can check it against the
// image and against d48 without an assembler.
#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>

namespace twtest
{

struct Output48 {
    std::map<long, QString> code;       // instruction address -> statement, labels resolved
    std::map<long, int> lengths;        // instruction address -> 1 or 2
    std::map<long, std::uint8_t> data;  // DB byte address -> byte
    std::map<QString, long> labels;     // label -> address (from prefixes and EQU lines)
    std::map<QString, int> definitions; // label -> times defined
    QStringList used;                   // labels written as operands
    QStringList problems;               // lines the reader could not take
};

// Statements come back with each label operand replaced by ">" and its address in four hex digits
// ("JMP >015A"), so they compare across runs whatever the label numbers are.
Output48 readOutput48(const QString &text);

// Reads the file at path (lone CR line ends).
Output48 readOutputFile48(const QString &path);

} // namespace twtest
