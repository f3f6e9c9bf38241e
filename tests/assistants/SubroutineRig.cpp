#include "SubroutineRig.h"

#include "assembler/AssemblyRun.h"
#include "common/TextFile.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace twtest
{

namespace
{

constexpr std::uint8_t kStackStart = 0x5F;

} // namespace

QString codeWithCallees(const tw::SubroutineSource &source, QString &problem)
{
    QString text = source.record.code;
    for (const QString &callee : source.calls) {
        bool found = false;
        for (const QString &folder : {QStringLiteral("fixed"), QStringLiteral("float")}) {
            const QDir dir(routinePath(folder));
            for (const QString &file : dir.entryList({QStringLiteral("*.asm")}, QDir::Files, QDir::Name)) {
                const auto content = tw::readTextFile(dir.filePath(file));
                const auto other = content ? tw::parseSubroutineSource(content->text) : std::nullopt;
                if (other && other->entryLabel == callee.toUpper()) {
                    text += other->record.code;
                    found = true;
                }
            }
        }
        if (!found)
            problem = QStringLiteral("called routine not found: ") + callee;
    }
    return text;
}

std::optional<QByteArray> assembleAround(const tw::SubroutineSource &source, const QString &before,
                                         const QString &after)
{
    const std::string name = source.record.name.toStdString();
    QString problem;
    const QString program = before + codeWithCallees(source, problem) + after + QStringLiteral("\tEND\r\n");
    if (!problem.isEmpty()) {
        ADD_FAILURE() << name << ": " << problem.toStdString();
        return std::nullopt;
    }
    QTemporaryDir dir;
    const QString asmPath = dir.filePath(QStringLiteral("routine.asm"));
    const QString binPath = dir.filePath(QStringLiteral("routine.bin"));
    EXPECT_TRUE(tw::writeTextFile(asmPath, program, tw::TextEncoding::Utf8));
    const tw::AssemblyResult result = tw::assembleFile(tw::AsmCpu::Mcs51, asmPath, binPath);
    if (!result.completed || result.errorCount != 0) {
        const auto report = tw::readTextFile(result.paths.errorReport);
        ADD_FAILURE() << name << " does not assemble: " << result.failureMessage.toStdString() << "\n"
                      << (report ? report->text.toStdString() : std::string());
        return std::nullopt;
    }
    const auto bytes = tw::readBinaryFile(binPath);
    if (!bytes || bytes->isEmpty()) {
        ADD_FAILURE() << "no code image for " << name;
        return std::nullopt;
    }
    return bytes;
}

QString routinePath(const QString &relative)
{
    return QDir(QStringLiteral(TW_ROUTINE_DIR)).filePath(relative);
}

std::vector<QString> routineFiles()
{
    std::vector<QString> files;
    for (const QString &folder : {QStringLiteral("fixed"), QStringLiteral("float")})
        for (const QString &file :
             QDir(routinePath(folder)).entryList({QStringLiteral("*.asm")}, QDir::Files, QDir::Name))
            files.push_back(folder + u'/' + file);
    return files;
}

QString s51Image(const QByteArray &image, const QString &folder)
{
    QByteArray padded = image;
    padded.append(QByteArray(65536 - padded.size(), '\0'));
    const QString bin = QDir(folder).filePath(QStringLiteral("prog.bin"));
    const QString hex = QDir(folder).filePath(QStringLiteral("prog.ihx"));
    writeBytes(bin, padded);
    runProgram(QStringLiteral("srec_cat"), {bin, "-binary", "-o", hex, "-intel", "-address-length=2"},
               folder);
    return hex;
}

int machineCycles(std::uint8_t op)
{
    if (op == 0x84 || op == 0xA4)
        return 4; // DIV AB, MUL AB
    if ((op & 0x0F) == 0x01)
        return 2; // AJMP, ACALL
    if ((op >= 0x88 && op <= 0x8F) || (op >= 0xA8 && op <= 0xAF) || (op >= 0xB4 && op <= 0xBF) ||
        (op >= 0xD8 && op <= 0xDF))
        return 2; // MOV dir,Rn; MOV Rn,dir; CJNE; DJNZ Rn
    switch (op) {
    case 0x02:
    case 0x12:
    case 0x22:
    case 0x32: // LJMP LCALL RET RETI
    case 0x10:
    case 0x20:
    case 0x30:
    case 0x40:
    case 0x50:
    case 0x60:
    case 0x70:
    case 0x80: // conditional jumps, SJMP
    case 0x43:
    case 0x53:
    case 0x63: // ORL/ANL/XRL dir,#
    case 0x72:
    case 0x82:
    case 0xA0:
    case 0xB0:
    case 0x92: // C with bits, MOV bit,C
    case 0x73:
    case 0x83:
    case 0x93: // JMP @A+DPTR, MOVC
    case 0x75:
    case 0x85:
    case 0x86:
    case 0x87: // MOV dir,#/dir/@Ri
    case 0x90:
    case 0xA3:
    case 0xA6:
    case 0xA7: // DPTR, MOV @Ri,dir
    case 0xC0:
    case 0xD0:
    case 0xD5: // PUSH POP DJNZ dir
    case 0xE0:
    case 0xE2:
    case 0xE3:
    case 0xF0:
    case 0xF2:
    case 0xF3: // MOVX
        return 2;
    default:
        return 1;
    }
}

SubroutineRig::SubroutineRig(const QString &relative)
    : m_relative(relative), m_cpu(std::make_unique<tw::Cpu51>()), m_random(0x51u)
{
    const auto content = tw::readTextFile(routinePath(relative));
    if (!content) {
        ADD_FAILURE() << "cannot read " << relative.toStdString();
        return;
    }
    QString error;
    const auto source = tw::parseSubroutineSource(content->text, &error);
    if (!source) {
        ADD_FAILURE() << relative.toStdString() << ": " << error.toStdString();
        return;
    }
    m_source = *source;
    for (const QString &name : tw::expandResourceList(m_source.resourceList))
        m_declared.insert(name);

    const QString caller = QStringLiteral("\tORG\t0\r\n\tLCALL\t") + m_source.entryLabel +
                           QStringLiteral("\r\nTWDONE:\tSJMP\tTWDONE\r\n");
    const std::optional<QByteArray> bytes = assembleAround(m_source, caller, QString());
    if (!bytes)
        return;
    m_imageSize = static_cast<int>(bytes->size());
    std::copy(bytes->begin(), bytes->end(), m_image.begin());
    m_doneAddress = 3;
    m_ready = true;
}

SubroutineRig::~SubroutineRig() = default;

tw::Cpu51 &SubroutineRig::call(const std::function<void(tw::Cpu51 &)> &setup, std::uint8_t writableFirst,
                               int writableCount)
{
    tw::Cpu51 &cpu = *m_cpu;
    if (!m_ready)
        return cpu;
    ++m_calls;
    cpu.loadCode(m_image.data(), m_imageSize);
    cpu.reset();
    // Noise everywhere, so that a routine that reads what it did not set, or writes what it did
    // not declare, shows.
    for (auto &byte : cpu.iram)
        byte = static_cast<std::uint8_t>(m_random());
    for (std::uint8_t address : {tw::Sfr::ACC, tw::Sfr::B, tw::Sfr::DPL, tw::Sfr::DPH})
        cpu.sfr[address] = static_cast<std::uint8_t>(m_random());
    cpu.sfr[tw::Sfr::PSW] = static_cast<std::uint8_t>(m_random() & 0xE6); // bank 0
    cpu.updateParity();
    cpu.sp() = kStackStart;
    cpu.iram[0] = kXAddress;
    cpu.iram[1] = kYAddress;
    setup(cpu);
    const auto iramBefore = cpu.iram;
    const auto sfrBefore = cpu.sfr;

    cpu.step(); // the caller's LCALL
    int cycles = 0;
    int depth = 0;
    int steps = 0;
    while (cpu.pc != m_doneAddress && steps < 2000000) {
        cycles += machineCycles(cpu.code[cpu.pc]);
        cpu.step();
        depth = std::max(depth, cpu.sp() - kStackStart);
        ++steps;
    }
    depth = std::max(depth, 2);
    if (cpu.pc != m_doneAddress) {
        ADD_FAILURE() << m_relative.toStdString() << " does not return";
        return cpu;
    }
    m_lastCycles = cycles;
    m_minCycles = std::min(m_minCycles, cycles);
    m_maxCycles = std::max(m_maxCycles, cycles);
    m_maxStack = std::max(m_maxStack, depth);
    checkResources(iramBefore, sfrBefore, writableFirst, writableCount);
    return cpu;
}

void SubroutineRig::checkResources(const std::array<std::uint8_t, 256> &iramBefore,
                                   const std::array<std::uint8_t, 256> &sfrBefore, std::uint8_t writableFirst,
                                   int writableCount)
{
    if (m_faults > 3)
        return; // one routine's fault is told a few times, not thousands
    tw::Cpu51 &cpu = *m_cpu;
    // What changed, in parts ("IRAM ", 9), streamed: "IRAM " + std::to_string(9) draws a false
    // -Wrestrict from GCC 12.2 about a literal put before a temporary string.
    const auto fault = [&](const auto &...what) {
        ++m_faults;
        ::testing::Message changed;
        (changed << ... << what);
        ADD_FAILURE() << m_relative.toStdString() << " changes " << changed << ", not declared in \""
                      << m_source.resourceList.toStdString() << "\"";
    };
    for (int n = 0; n < 8; ++n)
        if (cpu.iram[n] != iramBefore[n] && !m_declared.contains(QStringLiteral("R%1").arg(n)))
            fault("R", n);
    for (int address = 8; address < 256; ++address) {
        const bool stack = address > kStackStart && address <= kStackStart + m_maxStack;
        const bool result = address >= writableFirst && address < writableFirst + writableCount;
        if (cpu.iram[address] != iramBefore[address] && !stack && !result)
            fault("IRAM ", address);
    }
    if (cpu.sp() != sfrBefore[tw::Sfr::SP])
        fault("SP");
    const std::pair<std::uint8_t, const char *> sfrs[] = {
        {tw::Sfr::ACC, "A"}, {tw::Sfr::B, "B"}, {tw::Sfr::DPL, "DPTR"}, {tw::Sfr::DPH, "DPTR"}};
    for (const auto &[address, name] : sfrs)
        if (cpu.sfr[address] != sfrBefore[address] && !m_declared.contains(QString::fromLatin1(name)))
            fault(name);
    // The parity flag follows A by itself.
    if (((cpu.sfr[tw::Sfr::PSW] ^ sfrBefore[tw::Sfr::PSW]) & 0xFE) &&
        !m_declared.contains(QStringLiteral("PSW")))
        fault("PSW");
    for (int address = 0x80; address < 0x100; ++address) {
        const bool known = address == tw::Sfr::ACC || address == tw::Sfr::B || address == tw::Sfr::DPL ||
                           address == tw::Sfr::DPH || address == tw::Sfr::PSW || address == tw::Sfr::SP;
        if (!known && cpu.sfr[address] != sfrBefore[address])
            fault("SFR ", address);
    }
}

void SubroutineRig::expectHeaderMatchesMeasurements() const
{
    if (!m_ready)
        return;
    const std::string name = m_relative.toStdString();
    static const QRegularExpression digits(QStringLiteral("(\\d+)"));
    const QRegularExpressionMatch match = digits.match(m_source.cycles);
    ASSERT_TRUE(match.hasMatch()) << name;
    // The figure is the longest path's (SubroutineTimingTest derives it); no input may go beyond
    // it, and a figure without 最多 is the length of every run.
    const int figure = match.captured(1).toInt();
    const std::string measured = ": measured " + std::to_string(m_minCycles) + " to " +
                                 std::to_string(m_maxCycles) + " machine cycles";
    EXPECT_LE(m_maxCycles, figure) << name << measured;
    if (!m_source.cycles.startsWith(QStringLiteral(u"最多"))) {
        EXPECT_EQ(m_minCycles, figure) << name << measured;
        EXPECT_EQ(m_maxCycles, figure) << name << measured;
    }
    EXPECT_EQ(m_source.stackBytes, m_maxStack) << name << ": measured stack depth " << m_maxStack;
    EXPECT_LE(m_source.record.resources.size(), tw::kShortFieldLength) << name;
}

void putBytes(tw::Cpu51 &cpu, std::uint8_t address, std::uint64_t value, int count)
{
    for (int k = count - 1; k >= 0; --k) {
        cpu.iram[address + k] = static_cast<std::uint8_t>(value);
        value >>= 8;
    }
}

std::uint64_t getBytes(const tw::Cpu51 &cpu, std::uint8_t address, int count)
{
    std::uint64_t value = 0;
    for (int k = 0; k < count; ++k)
        value = value << 8 | cpu.iram[address + k];
    return value;
}

} // namespace twtest
