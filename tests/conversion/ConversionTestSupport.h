#pragma once
// Shared pieces of the conversion tests: a folder of real files, the peers' presence rule, and a
// writer of Intel hex records that tests use to build inputs srec_cat and objcopy also read.
#include "common/OutcomeWriter.h"
#include "common/ScriptedPrompter.h"
#include "support/TestFiles.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

// A peer test fails when its tool is missing on the CI machine and is skipped elsewhere.
#define TW_REQUIRE_PEER(program)                                                                             \
    do {                                                                                                     \
        if (!twtest::havePeer(QStringLiteral(program))) {                                                    \
            if (qgetenv("CI") == "true")                                                                     \
                FAIL() << program << " is not installed";                                                    \
            GTEST_SKIP() << program << " is not installed";                                                  \
        }                                                                                                    \
    } while (false)

namespace twtest
{

// Real files in a fresh folder.
class Folder
{
  protected:
    QTemporaryDir dir;

    QString path(const QString &name) const { return dir.filePath(name); }
    QString file(const QString &name, const QByteArray &bytes) const
    {
        writeBytes(path(name), bytes);
        return path(name);
    }
    QByteArray read(const QString &name) const { return readBytes(path(name)); }
    bool exists(const QString &name) const { return QFileInfo::exists(path(name)); }
};

// Tests that work on real files in a fresh folder, with a scripted prompter.
class FolderTest : public ::testing::Test, protected Folder
{
  protected:
    tw::ScriptedPrompter prompter;

    // A tool's outcome carried out as the window does, with the scripted answers.
    tw::CarriedOut carry(const tw::ToolOutcome &outcome) { return tw::carryOut(outcome, prompter); }
    bool written(const tw::ToolOutcome &outcome) { return carry(outcome).result == tw::WriteResult::Written; }
};

// Intel hex text of data blocks by address: 16-byte type-00 records, an optional type-04 record
// before blocks at 10000H and above, and the end record.
inline QByteArray intelHex(const std::map<int, QByteArray> &blocks)
{
    QByteArray text;
    int upper = 0;
    auto record = [&text](int type, int address, const QByteArray &data) {
        QByteArray bytes;
        bytes.append(static_cast<char>(data.size()));
        bytes.append(static_cast<char>((address >> 8) & 0xFF));
        bytes.append(static_cast<char>(address & 0xFF));
        bytes.append(static_cast<char>(type));
        bytes.append(data);
        int sum = 0;
        for (char c : bytes)
            sum += static_cast<unsigned char>(c);
        bytes.append(static_cast<char>((0x100 - (sum & 0xFF)) & 0xFF));
        text += ':' + bytes.toHex().toUpper() + "\r\n";
    };
    for (const auto &[address, data] : blocks)
        for (qsizetype k = 0; k < data.size(); k += 16) {
            const int at = address + static_cast<int>(k);
            if ((at >> 16) != upper) {
                upper = at >> 16;
                record(4, 0, QByteArray::fromHex(QByteArray::number(upper, 16).rightJustified(4, '0')));
            }
            record(0, at & 0xFFFF, data.mid(k, 16));
        }
    record(1, 0, {});
    return text;
}

} // namespace twtest
