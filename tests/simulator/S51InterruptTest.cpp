// Programs whose interrupt requests stay pending at RETI and at writes to IE, run step by step in
// this core and in s51 (ucsim): after every step the registers must agree. s51's step that takes
// an interrupt also runs the routine's first instruction, so one of its steps is two of ours
// there. The programs (tests/data/simulator/s51/*.asm) are assembled by as31.
//
// s51 0.6.4 takes a request directly after a bit write to IE (SETB EA) and after any write to IP,
// where the chip runs one more instruction first; those writes are checked in the scenario file
// tests/data/simulator/core/interrupts.txt instead.
#include "simulator/Cpu51.h"
#include "support/TestFiles.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace
{
using namespace tw;

// PC, R0-R7 of bank 0, A, B, PSW without P (s51 keeps P as written) and SP, as one line.
QString registerLine(int pc, const std::uint8_t *r, int a, int b, int psw, int sp)
{
    QString line = QString::asprintf("PC=%04X R=", pc);
    for (int k = 0; k < 8; ++k)
        line += QString::asprintf("%02X ", r[k]);
    return line + QString::asprintf("A=%02X B=%02X PSW=%02X SP=%02X", a, b, psw & 0xFE, sp);
}

// The lines s51 prints after each of `steps` single steps, from a cleared internal RAM.
QStringList s51Steps(const QString &hex, int steps)
{
    QString script = QStringLiteral("load \"%1\"\nfill iram 0 0xff 0\n").arg(hex);
    script += QStringLiteral("step\n").repeated(steps) + QStringLiteral("quit\n");
    const QString commands = hex + QStringLiteral(".cmd");
    twtest::writeBytes(commands, script.toUtf8());
    const auto result = twtest::runProgram("s51", {"-t", "8052", "-C", commands}, {}, 60000);
    const QString out = QString::fromLatin1(result.out + result.err);
    static const QRegularExpression state(
        QStringLiteral(
            "Stop at 0x([0-9a-f]+):.*?\\n\\s+R0 R1 R2 R3 R4 R5 R6 R7\\s*\\n\\s+((?:[0-9a-f]{2} "
            "){7}[0-9a-f]{2}).*?"
            "ACC= 0x([0-9a-f]{2}).*?B= 0x([0-9a-f]{2}).*?PSW= 0x([0-9a-f]{2}).*?\\nSP 0x([0-9a-f]{2})"),
        QRegularExpression::DotMatchesEverythingOption);
    QStringList lines;
    for (const QRegularExpressionMatch &m : state.globalMatch(out)) {
        std::uint8_t r[8];
        const QStringList bytes = m.captured(2).split(' ');
        for (int k = 0; k < 8; ++k)
            r[k] = static_cast<std::uint8_t>(bytes[k].toInt(nullptr, 16));
        const auto hexAt = [&](int n) { return m.captured(n).toInt(nullptr, 16); };
        lines << registerLine(hexAt(1), r, hexAt(3), hexAt(4), hexAt(5), hexAt(6));
    }
    return lines;
}

// The same from this core, each s51 step as one instruction, and one more after each one that
// ended in an interrupt entry.
QStringList coreSteps(const QByteArray &image, int steps)
{
    auto cpu = std::make_unique<Cpu51>();
    cpu->loadCode(reinterpret_cast<const std::uint8_t *>(image.constData()), static_cast<int>(image.size()));
    cpu->codeSize = 0x10000;
    cpu->reset();
    QStringList lines;
    for (int k = 0; k < steps; ++k) {
        for (bool entered = true; entered;) {
            const bool high = cpu->intHigh, low = cpu->intLow;
            cpu->step();
            entered = (cpu->intHigh && !high) || (cpu->intLow && !low);
        }
        lines << registerLine(cpu->pc, &cpu->iram[0], cpu->sfr[Sfr::ACC], cpu->sfr[Sfr::B],
                              cpu->sfr[Sfr::PSW], cpu->sfr[Sfr::SP]);
    }
    return lines;
}

} // namespace

TEST(S51Interrupts, PendingRequestsWaitOneInstructionAfterRetiAndIeWritesAsInUcsim)
{
    TW_REQUIRE_PROGRAMS(QStringLiteral("s51"), QStringLiteral("as31"));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    constexpr int kSteps = 400;
    for (const char *name : {"serial", "priorities", "iewrites"}) {
        SCOPED_TRACE(name);
        const QString source = dir.filePath(QString::fromLatin1(name) + QStringLiteral(".asm"));
        twtest::writeBytes(
            source, twtest::readBytes(twtest::dataPath(QStringLiteral("simulator/s51/%1.asm").arg(name))));
        const QString bin = dir.filePath(QStringLiteral("prog.bin")),
                      hex = dir.filePath(QStringLiteral("prog.hex"));
        for (const auto &[format, output] : {std::pair{"-Fbin", bin}, std::pair{"-Fhex", hex}}) {
            const auto result = twtest::runProgram("as31", {format, "-O" + output, source}, dir.path());
            ASSERT_EQ(result.exitCode, 0) << result.out.toStdString() << result.err.toStdString();
        }
        const QStringList peer = s51Steps(hex, kSteps), core = coreSteps(twtest::readBytes(bin), kSteps);
        ASSERT_EQ(peer.size(), kSteps) << "s51 printed " << peer.size() << " steps";
        for (int k = 0; k < kSteps; ++k)
            if (core[k] != peer[k]) {
                ADD_FAILURE() << "after step " << k + 1 << "\n core: " << core[k].toStdString()
                              << "\n s51:  " << peer[k].toStdString()
                              << "\n before: " << (k ? core[k - 1].toStdString() : std::string("reset"));
                break;
            }
    }
}
