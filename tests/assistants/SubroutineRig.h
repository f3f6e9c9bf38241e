#pragma once
// Runs a library routine in the simulator core: the routine's source (with the routines it calls)
// is assembled by our MCS-51 assembler behind a small caller, then called once per input with
// every register and RAM byte it should not touch filled with noise. Each call checks that only
// the declared resources changed and measures machine cycles and stack depth.
#include "assistants/SubroutineSource.h"
#include "simulator/Cpu51.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace twtest
{

// IRAM addresses of the operands that routines reach through R0 and R1.
inline constexpr std::uint8_t kXAddress = 0x30;
inline constexpr std::uint8_t kYAddress = 0x38;

QString routinePath(const QString &relative);
// Every routine file, "fixed/01-uadd16.asm" first, in name order within each library.
std::vector<QString> routineFiles();

// The routine's code and, after it, that of the routines it calls (found by entry label);
// problem names a called routine that is missing.
QString codeWithCallees(const tw::SubroutineSource &source, QString &problem);

// Assembles the routine (with the routines it calls) between two pieces of source; the code
// image, or std::nullopt after a test failure.
std::optional<QByteArray> assembleAround(const tw::SubroutineSource &source, const QString &before,
                                         const QString &after);

class SubroutineRig
{
  public:
    // relative: "fixed/01-uadd16.asm". A failure to read or assemble is a test failure.
    explicit SubroutineRig(const QString &relative);
    ~SubroutineRig();

    bool ready() const { return m_ready; }
    const tw::SubroutineSource &source() const { return m_source; }

    // Calls the routine after setup has placed its inputs. IRAM bytes [first, first+count) may
    // change besides the declared registers (the result buffer). Returns the CPU after the call.
    tw::Cpu51 &call(const std::function<void(tw::Cpu51 &)> &setup, std::uint8_t writableFirst = 0,
                    int writableCount = 0);

    // After all calls: no call took longer than the header's cycles (every call as long, where
    // they are exact), and the deepest stack is the header's.
    void expectHeaderMatchesMeasurements() const;

    std::mt19937 &random() { return m_random; }
    int calls() const { return m_calls; }
    // Machine cycles of the last call, from the routine's first instruction to its RET.
    int lastCycles() const { return m_lastCycles; }

  private:
    void checkResources(const std::array<std::uint8_t, 256> &iramBefore,
                        const std::array<std::uint8_t, 256> &sfrBefore, std::uint8_t writableFirst,
                        int writableCount);

    QString m_relative;
    tw::SubroutineSource m_source;
    QSet<QString> m_declared;
    std::unique_ptr<tw::Cpu51> m_cpu;
    std::array<std::uint8_t, tw::Cpu51::kCodeBytes> m_image{};
    int m_imageSize = 0;
    std::uint16_t m_doneAddress = 0;
    bool m_ready = false;
    std::mt19937 m_random;
    int m_calls = 0;
    int m_minCycles = 1 << 30, m_maxCycles = 0, m_maxStack = 0, m_lastCycles = 0;
    int m_faults = 0;
};

// Big-endian operands in IRAM.
void putBytes(tw::Cpu51 &cpu, std::uint8_t address, std::uint64_t value, int count);
std::uint64_t getBytes(const tw::Cpu51 &cpu, std::uint8_t address, int count);
// R0..R7 of bank 0.
inline std::uint8_t &reg(tw::Cpu51 &cpu, int n)
{
    return cpu.iram[n];
}
// A register pair Rh:Rl as a 16-bit value.
inline std::uint16_t pair(const tw::Cpu51 &cpu, int high, int low)
{
    return static_cast<std::uint16_t>(cpu.iram[high] << 8 | cpu.iram[low]);
}
inline void setPair(tw::Cpu51 &cpu, int high, int low, std::uint16_t value)
{
    cpu.iram[high] = static_cast<std::uint8_t>(value >> 8);
    cpu.iram[low] = static_cast<std::uint8_t>(value);
}

// Writes a code image where s51 can load it: an Intel hex file in folder (srec_cat makes it from
// the image padded to 64K); returns its path.
QString s51Image(const QByteArray &image, const QString &folder);

// 8051 machine cycles of the instruction with this opcode.
int machineCycles(std::uint8_t opcode);

} // namespace twtest
