#pragma once
// Shared by the disassembler tests: one job through real files, the golden case files in
// tests/data/disassembler, and a reader that turns our output back into addresses.
#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <ostream>

namespace distest
{

enum class Cpu { Mcs51, Mcs48 };

struct Job {
    // "ok", "failed", "too-long", "refused" (the input cannot be read), "declined" or "unwritten"
    // (a completed disassembly the writer did not write)
    QString result;
    QStringList messages;            // "title|style|text", in the order they are shown
    QStringList written;             // suffixes of the files the job says it wrote, in order
    QMap<QString, QByteArray> files; // "asm", "lst", "err": the files there after the run (the
                                     // side files named from the output)
};

struct JobInput {
    QByteArray bin;
    QString start;
    QString end;
    bool partial = false; // MCS-48: the file holds code from the start address on
    bool noFile = false;
    QString out = QStringLiteral("in.asm");
};

// Disassembles dir/in.bin into dir/<out> (segment list in.lst, label dump in.err) and carries the
// outcome out through the window's writer, every box answered with its first button.
Job runJob(Cpu cpu, const QString &dir, const JobInput &input);
Job runJob(Cpu cpu, const QString &dir, const QByteArray &bin, const QString &start = {},
           const QString &end = {});

// The first size bytes of the image our own assembler (twdrive asm51 / asm48) makes of dir/in.asm
// in place of dir/in.bin; it writes up to the last byte that is not 0, the rest reads as 0.
QByteArray reassemble(Cpu cpu, const QString &dir, int size);

// Runs the cases of a golden case file under tests/data (its head describes the format); every
// mismatch is a test failure naming the case.
void runCaseFile(Cpu cpu, const QString &relativePath);
// The same for cases given as text, each starting with a line "case NAME".
void runCases(Cpu cpu, const QString &text);

// Our output read back: label operands become ">" and four hex digits ("JMP >015A").
struct Listing {
    std::map<long, QString> code;
    std::map<long, int> lengths; // MCS-48: 2 for an immediate or a target, else 1
    int labels = 0;              // labels defined
    QStringList problems;        // undefined or twice defined labels, empty operands, lines before ORG
};
Listing readOutput(const QByteArray &text);

QByteArray bytesOf(std::initializer_list<int> values);

} // namespace distest
