#pragma once
// A CPU for the interrupt, timer, pin, serial and watchdog tests: programs placed as bytes or
// assembled from a source file by as31, and the step command as the simulator window gives it.
#include "simulator/Cpu51.h"
#include "simulator/StateDump.h"
#include "simulator/Watchdog.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

namespace twtest
{

struct Board {
    std::unique_ptr<tw::Cpu51> cpu = std::make_unique<tw::Cpu51>();

    Board() { cpu->reset(); }
    explicit Board(std::initializer_list<std::uint8_t> program, std::uint16_t origin = 0) : Board()
    {
        place(origin, program);
        cpu->codeSize = origin + static_cast<int>(program.size());
    }
    Board &place(std::uint16_t address, std::initializer_list<std::uint8_t> bytes)
    {
        for (std::uint8_t b : bytes)
            cpu->code[address++] = b;
        cpu->codeSize = std::max<int>(cpu->codeSize, address);
        return *this;
    }
    // The single-step command: nothing while idle or powered down; the watchdog's reset first.
    Board &step(int count = 1)
    {
        for (int k = 0; k < count; ++k) {
            if (cpu->cpuMode != 0)
                continue;
            tw::resetIfWatchdogExpired(*cpu);
            cpu->step();
        }
        return *this;
    }
    Board &tick(int count = 1)
    {
        for (int k = 0; k < count; ++k)
            cpu->tick1ms();
        return *this;
    }
    std::uint8_t &sfr(int address) { return cpu->sfr[static_cast<std::size_t>(address)]; }
    std::uint8_t &iram(int address) { return cpu->iram[static_cast<std::size_t>(address)]; }
    bool bit(std::uint8_t address) const { return cpu->bit(address); }
    std::string state() const { return tw::registerSummary(*cpu); }
};

// Assembles tests/data/simulator/periph/NAME with as31 in a temporary folder and loads the
// code image; a missing as31 or a failed assembly fails the test.
inline bool assembleFixture(Board &board, const QString &name)
{
    if (!havePeer(QStringLiteral("as31"))) {
        ADD_FAILURE() << "as31 missing";
        return false;
    }
    QTemporaryDir dir;
    const QString source = dir.filePath(name);
    const QString image = dir.filePath(QStringLiteral("out.bin"));
    if (!QFile::copy(dataPath(QStringLiteral("simulator/periph/") + name), source)) {
        ADD_FAILURE() << "fixture missing: " << name.toStdString();
        return false;
    }
    const ProcessResult result = runProgram(
        QStringLiteral("as31"), {QStringLiteral("-Fbin"), QStringLiteral("-O") + image, source}, dir.path());
    const QByteArray bytes = readBytes(image);
    if (result.exitCode != 0 || bytes.isEmpty()) {
        ADD_FAILURE() << "as31 failed on " << name.toStdString() << ": " << result.err.toStdString();
        return false;
    }
    board.cpu->loadCode(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                        static_cast<int>(bytes.size()));
    board.cpu->reset();
    return true;
}

} // namespace twtest
