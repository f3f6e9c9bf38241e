// The core's fast paths: P computed only where PSW is read, the register bank and the
// interrupt readiness kept current by every write that changes them, and the window's batches.
// Each program runs through single steps, run() and batches of several sizes; all must end in
// the same state, and that state must be the chip's.
#include "Cpu51TestSupport.h"
#include "simulator/StateDump.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace tw;

namespace
{

using Bytes = std::vector<std::uint8_t>;

std::unique_ptr<Cpu51> loaded(const Bytes &program, int codeSize = -1)
{
    auto cpu = std::make_unique<Cpu51>();
    cpu->loadCode(program.data(), static_cast<std::int32_t>(program.size()));
    if (codeSize >= 0)
        cpu->codeSize = codeSize;
    cpu->reset();
    return cpu;
}

// Runs the same program for `steps` instructions by every path and checks they agree; returns
// the CPU that ran by single steps.
std::unique_ptr<Cpu51> runEveryWay(const Bytes &program, int steps)
{
    auto stepped = loaded(program, 0x10000);
    for (int k = 0; k < steps; ++k)
        stepped->step();
    const std::string want = stateDump(*stepped, 0);

    auto whole = loaded(program, 0x10000);
    EXPECT_EQ(whole->run(static_cast<std::uint64_t>(steps)), static_cast<std::uint64_t>(steps));
    EXPECT_EQ(stateDump(*whole, 0), want) << "run()";

    for (std::uint64_t size : {1u, 3u, 64u, 5000u}) {
        auto batched = loaded(program, 0x10000);
        std::uint64_t done = 0;
        while (done < static_cast<std::uint64_t>(steps)) {
            const Cpu51::Batch batch = batched->runBatch(std::min<std::uint64_t>(size, steps - done), -1);
            EXPECT_EQ(batch.end, Cpu51::BatchEnd::Count);
            if (batch.executed == 0)
                break;
            done += batch.executed;
        }
        EXPECT_EQ(stateDump(*batched, 0), want) << "batches of " << size;
        EXPECT_EQ(batched->xramRowsWritten, stepped->xramRowsWritten) << "batches of " << size;
    }
    return stepped;
}

TEST(CoreRunPathsTest, EveryReadOfPswSeesTheParityOfA)
{
    // A = 07h (three ones: P = 1), then PSW read by each form; SJMP $ at the end.
    const Bytes program = {
        0x74, 0x07,       // MOV A,#07h
        0x85, 0xD0, 0x30, // MOV 30h,PSW
        0xC0, 0xD0,       // PUSH PSW          -> 08h
        0x78, 0x31,       // MOV R0,#31h
        0xA6, 0xD0,       // MOV @R0,PSW
        0xA2, 0xD0,       // MOV C,P
        0x92, 0x00,       // MOV 20h.0,C
        0x20, 0xD0, 0x03, // JB P,+3
        0x75, 0x32, 0xEE, // MOV 32h,#EEh      (skipped)
        0x74, 0x03,       // MOV A,#03h        (P = 0 now)
        0xC5, 0xD0,       // XCH A,PSW         A := PSW with P = 0
        0xF5, 0x33,       // MOV 33h,A
        0xE4,             // CLR A
        0x25, 0xD0,       // ADD A,PSW         PSW holds 03h, read with P of A = 0: 02h
        0xF5, 0x34,       // MOV 34h,A
        0x80, 0xFE,       // SJMP $
    };
    auto cpu = runEveryWay(program, 20);
    EXPECT_EQ(cpu->iram[0x30], 0x01);
    EXPECT_EQ(cpu->iram[0x08], 0x01);
    EXPECT_EQ(cpu->iram[0x31], 0x01);
    EXPECT_EQ(cpu->iram[0x20] & 1, 1);
    EXPECT_EQ(cpu->iram[0x32], 0x00);
    EXPECT_EQ(cpu->iram[0x33], 0x00 | 0x80); // CY from MOV C,P
    EXPECT_EQ(cpu->iram[0x34], 0x02);
    // The stored PSW shows P of the final A once control is back.
    EXPECT_EQ(cpu->sfr[Sfr::PSW] & 1, __builtin_parity(cpu->sfr[Sfr::ACC]));
}

TEST(CoreRunPathsTest, PswAndParityWrittenFromOutsideAreReadAsStoredOnlyOnce)
{
    // A P set apart from A by a caller (the RAM editor, a test) is what the next instruction
    // reads; after that P follows A again.
    const Bytes program = {0xE5, 0xD0, 0xE5, 0xD0, 0x80, 0xFE}; // MOV A,PSW twice
    for (int way = 0; way < 3; ++way) {
        auto cpu = loaded(program);
        cpu->sfr[Sfr::ACC] = 0x00;
        cpu->sfr[Sfr::PSW] = 0x81;            // P = 1 with A = 0
        EXPECT_TRUE(cpu->bit(Bit::P)) << way; // outside a run, PSW reads as stored
        EXPECT_EQ(cpu->readDirect(Sfr::PSW), 0x81) << way;
        // Runs that execute nothing leave it so.
        EXPECT_EQ(cpu->run(0), 0u);
        EXPECT_EQ(cpu->runBatch(5, 0).executed, 0u); // standing on the breakpoint
        EXPECT_EQ(cpu->sfr[Sfr::PSW], 0x81) << way;
        if (way == 0)
            cpu->step();
        else if (way == 1)
            cpu->run(1);
        else
            cpu->runBatch(1, -1);
        EXPECT_EQ(cpu->sfr[Sfr::ACC], 0x81) << way;
        EXPECT_EQ(cpu->sfr[Sfr::PSW], 0x80) << way; // A = 81h has an even count of ones
        cpu->run(1);
        EXPECT_EQ(cpu->sfr[Sfr::ACC], 0x80) << way;
        EXPECT_EQ(cpu->sfr[Sfr::PSW], 0x81) << way;
    }
}

TEST(CoreRunPathsTest, RegisterBankFollowsEveryWriteOfPsw)
{
    // After each bank change R0 := the bank number + 1, so 00h, 08h, 10h and 18h tell which
    // bank each write selected.
    const Bytes program = {
        0x75, 0x81, 0x50,                                     // MOV SP,#50h
        0xD2, 0xD3, 0x78, 0x02,                               // SETB RS0         bank 1
        0xC2, 0xD3, 0x78, 0x01,                               // CLR RS0          bank 0
        0xB2, 0xD4, 0x78, 0x03,                               // CPL RS1          bank 2
        0x75, 0xD0, 0x18, 0x79, 0x04,                         // MOV PSW,#18h   bank 3: R1
        0x74, 0x08, 0xC5, 0xD0, 0x7A, 0x02,                   // MOV A,#08h; XCH A,PSW   bank 1: R2
        0x75, 0x40, 0x10, 0xC0, 0x40, 0xD0, 0xD0, 0x7B, 0x03, // PUSH 40h (10h); POP PSW  bank 2: R3
        0xD3, 0x92, 0xD3, 0x7C, 0x04,                         // SETB C; MOV RS0,C   bank 3: R4
        0x53, 0xD0, 0xE7, 0x7D, 0x01,                         // ANL PSW,#E7h   bank 0: R5
        0x43, 0xD0, 0x08, 0x0E, 0x0E,                         // ORL PSW,#08h; INC R6 twice   bank 1
        0x80, 0xFE,
    };
    auto cpu = runEveryWay(program, 30);
    EXPECT_EQ(cpu->iram[0x08], 0x02);
    EXPECT_EQ(cpu->iram[0x00], 0x01);
    EXPECT_EQ(cpu->iram[0x10], 0x03);
    EXPECT_EQ(cpu->iram[0x19], 0x04);
    EXPECT_EQ(cpu->iram[0x0A], 0x02);
    EXPECT_EQ(cpu->iram[0x13], 0x03);
    EXPECT_EQ(cpu->iram[0x1C], 0x04);
    EXPECT_EQ(cpu->iram[0x05], 0x01);
    EXPECT_EQ(cpu->iram[0x0E], 0x02);
    EXPECT_EQ(cpu->bank, 1);
}

// Interrupt service routines for the readiness tests: each counts its entries in a RAM byte.
void placeCountingRoutines(Bytes &program)
{
    program.resize(0x100, 0x00);
    const auto routine = [&](int vector, std::uint8_t counter) {
        program[vector] = 0x05; // INC counter
        program[vector + 1] = counter;
        program[vector + 2] = 0x32; // RETI
    };
    routine(0x03, 0x50); // INT0 (its request flag clears on entry)
    routine(0x0B, 0x51); // timer 0
    program[0x13] = 0x05, program[0x14] = 0x52, program[0x15] = 0xC2,
    program[0x16] = 0x8B, // INT1: clears IE1
        program[0x17] = 0x32;
    program[0x23] = 0x05, program[0x24] = 0x53, program[0x25] = 0xC2,
    program[0x26] = 0x99, // serial: clears TI
        program[0x27] = 0x32;
}

TEST(CoreRunPathsTest, InterruptsAreTakenWhicheverWriteMakesThemReady)
{
    Bytes program = {0x02, 0x00, 0x80}; // LJMP 0080h
    placeCountingRoutines(program);
    const Bytes body = {
        0xD2, 0x8D,             // SETB TF0 (not yet enabled)
        0x75, 0xA8, 0x82,       // MOV IE,#82h
        0x00,                   // NOP               -> timer 0 (one instruction after the IE write)
        0xD2, 0x8D,             // SETB TF0          -> timer 0 (bit write to TCON)
        0x43, 0x88, 0x20,       // ORL TCON,#20h     -> timer 0 (byte write to TCON)
        0xC2, 0xAF,             // CLR EA
        0xD2, 0x8B,             // SETB IE1
        0xD2, 0xAA,             // SETB EX1          still held off by EA
        0x75, 0x40, 0x84,       // MOV 40h,#84h
        0xC0, 0x40, 0xD0, 0xA8, // PUSH 40h; POP IE  -> INT1 (EA and EX1 by POP)
        0x75, 0x98, 0x02,       // MOV SCON,#02h     TI set, ES off
        0xC5, 0xA8,             // XCH A,IE          IE := A (00h)
        0x74, 0x90,             // MOV A,#90h
        0xF5, 0xA8,             // MOV IE,A          -> serial
        0x80, 0xFE,             // SJMP $
    };
    std::copy(body.begin(), body.end(), program.begin() + 0x80);
    auto cpu = runEveryWay(program, 60);
    EXPECT_EQ(cpu->iram[0x51], 3);
    EXPECT_EQ(cpu->iram[0x52], 1);
    EXPECT_EQ(cpu->iram[0x53], 1);
    EXPECT_FALSE(cpu->intLow);
}

TEST(CoreRunPathsTest, InServiceRoutinesHoldOffAndReleaseRequests)
{
    Bytes program = {0x02, 0x00, 0x80};
    placeCountingRoutines(program);
    // Timer 0's routine raises INT1 (low) and INT0 (high priority) and reads the counters as
    // it leaves: INT0 interrupts it at once, INT1 must wait for its RETI.
    const Bytes timer0 = {0xD2, 0x8B, 0xD2, 0x89, 0x85, 0x50, 0x60, 0x85, 0x52, 0x61, 0x32};
    std::copy(timer0.begin(), timer0.end(), program.begin() + 0x30);
    program[0x0B] = 0x02, program[0x0C] = 0x00, program[0x0D] = 0x30; // LJMP 0030h
    const Bytes body = {0x75, 0xB8, 0x01, 0x75, 0xA8, 0x87, 0xD2, 0x8D, 0x80, 0xFE};
    std::copy(body.begin(), body.end(), program.begin() + 0x80);
    auto cpu = runEveryWay(program, 40);
    EXPECT_EQ(cpu->iram[0x60], 1); // INT0 ran inside timer 0's routine
    EXPECT_EQ(cpu->iram[0x61], 0); // INT1 had not yet
    EXPECT_EQ(cpu->iram[0x52], 1); // and ran after its RETI
    EXPECT_FALSE(cpu->intLow);
    EXPECT_FALSE(cpu->intHigh);
}

TEST(CoreRunPathsTest, TicksPinsAndOutsideWritesBetweenRunsMakeInterruptsReady)
{
    Bytes program = {0x02, 0x00, 0x80};
    placeCountingRoutines(program);
    const Bytes body = {0x75, 0x89, 0x02, 0x75, 0x8A, 0xFF, 0x75, 0x8C, 0xFF,
                        0xD2, 0x8C, 0x75, 0xA8, 0x83, 0x80, 0xFE}; // timer 0 mode 2 at FFh, running; IE = 83h
    std::copy(body.begin(), body.end(), program.begin() + 0x80);
    auto cpu = loaded(program, 0x10000);
    cpu->run(10);
    EXPECT_EQ(cpu->iram[0x51], 0);
    cpu->tick1ms(); // overflow: TF0
    cpu->run(5);
    EXPECT_EQ(cpu->iram[0x51], 1);
    cpu->pinEdge(26, false); // INT0 falling edge
    cpu->runBatch(5, -1);
    EXPECT_EQ(cpu->iram[0x50], 1);
    // A request flag set by writing the SFR array directly, as the RAM editor could.
    cpu->sfr[Sfr::TCON] |= 0x20;
    cpu->run(5);
    EXPECT_EQ(cpu->iram[0x51], 2);
    cpu->intLow = true; // an outside in-service flag holds the next request off
    cpu->sfr[Sfr::TCON] |= 0x20;
    cpu->run(5);
    EXPECT_EQ(cpu->iram[0x51], 2);
}

TEST(CoreRunPathsTest, BatchesStopWhereTheWindowMustLook)
{
    using End = Cpu51::BatchEnd;
    {
        auto cpu = loaded({0x00, 0x00, 0x00, 0x00}); // NOPs to the end of the code
        const Cpu51::Batch b = cpu->runBatch(100, -1);
        EXPECT_EQ(b.end, End::EndOfCode);
        EXPECT_EQ(b.executed, 4u);
        EXPECT_EQ(cpu->runBatch(100, -1).executed, 0u);
    }
    {
        auto cpu = loaded({0x00, 0x00, 0x00, 0x80, 0xFB});
        Cpu51::Batch b = cpu->runBatch(100, 2);
        EXPECT_EQ(b.end, End::Breakpoint);
        EXPECT_EQ(b.executed, 2u);
        EXPECT_EQ(cpu->pc, 2);
        b = cpu->runBatch(100, 2); // standing on the breakpoint: nothing runs
        EXPECT_EQ(b.executed, 0u);
        EXPECT_EQ(cpu->runBatch(7, -1).end, End::Count);
    }
    {
        auto cpu = loaded({0x00, 0x43, 0x87, 0x01, 0x00, 0x00}); // NOP; ORL PCON,#01h
        const Cpu51::Batch b = cpu->runBatch(100, -1);
        EXPECT_EQ(b.end, End::Asleep);
        EXPECT_EQ(b.executed, 2u);
        EXPECT_EQ(cpu->runBatch(100, -1).end, End::Asleep);
    }
    {
        // Armed watchdog: MOV WDTRST,#1Eh; MOV WDTRST,#E1h; SJMP $.
        auto cpu = loaded({0x75, 0xA6, 0x1E, 0x75, 0xA6, 0xE1, 0x80, 0xFE});
        const Cpu51::Batch b = cpu->runBatch(100000, -1);
        EXPECT_EQ(b.end, End::Watchdog);
        EXPECT_EQ(cpu->wdtCount, Cpu51::kWatchdogLimit + 1);
        EXPECT_EQ(b.executed, 2u + Cpu51::kWatchdogLimit);
    }
    {
        // Mode 1 transmit with timer 1 stopped: the batch ends after the MOV SBUF.
        auto cpu = loaded({0x75, 0x98, 0x40, 0x75, 0x99, 0x41, 0x00, 0x80, 0xFE});
        const Cpu51::Batch b = cpu->runBatch(100, -1);
        EXPECT_EQ(b.end, End::Serial);
        EXPECT_EQ(b.executed, 2u);
        EXPECT_EQ(cpu->baudGeneratorStopped, 1);
    }
    {
        // Mode 0 transmits go on until the records are full.
        auto cpu = loaded({0xF5, 0x99, 0x80, 0xFC});
        std::uint64_t transmits = 0;
        Cpu51::Batch b;
        for (int k = 0; k < 3 && b.end != End::Serial; ++k)
            b = cpu->runBatch(1u << 20, -1);
        transmits = cpu->transmitCount;
        EXPECT_EQ(b.end, End::Serial);
        EXPECT_EQ(transmits, Cpu51::kTransmitQueue);
    }
}

TEST(CoreRunPathsTest, MovxWritesAreMarkedWithoutEndingABatch)
{
    // MOV DPTR,#0100h; loop: MOVX @DPTR,A; INC DPTR; INC A; CJNE A,#40h,loop; MOV R0,#20h; MOV P2,#F0h;
    // MOVX @R0,A; SJMP $
    const Bytes program = {0x90, 0x01, 0x00, 0xF0, 0xA3, 0x04, 0xB4, 0x40, 0xFA,
                           0x78, 0x20, 0x75, 0xA0, 0xF0, 0xF2, 0x80, 0xFE};
    auto cpu = loaded(program, 0x10000);
    const Cpu51::Batch b = cpu->runBatch(1000, -1);
    EXPECT_EQ(b.end, Cpu51::BatchEnd::Count);
    EXPECT_EQ(b.executed, 1000u);
    EXPECT_EQ(cpu->xramWritten, 0xF020);
    EXPECT_EQ(cpu->xramRowsWritten.count(), 5u);
    for (int row : {0x10, 0x11, 0x12, 0x13, 0xF02})
        EXPECT_TRUE(cpu->xramRowsWritten.test(static_cast<std::size_t>(row))) << row;
    EXPECT_EQ(cpu->xram[0x013F], 0x3F);
}

// Random programs over the instructions that read or write PSW, switch banks, use the stack and
// raise or enable interrupts: every path ends in the same state.
TEST(CoreRunPathsTest, RandomProgramsEndAlikeOnEveryPath)
{
    static const Bytes kForms[] = {
        {0xE5, 0xD0},
        {0xF5, 0xD0},
        {0xC5, 0xD0},
        {0xC0, 0xD0},
        {0xD0, 0xD0},
        {0x85, 0xD0, 0x30},
        {0xA2, 0xD0},
        {0xB2, 0xD3},
        {0xB2, 0xD4},
        {0xD2, 0xD3},
        {0xC2, 0xD4},
        {0x92, 0xD3},
        {0x04},
        {0x24, 0x37},
        {0x34, 0x99},
        {0x94, 0x11},
        {0xD4},
        {0x13},
        {0x33},
        {0xA4},
        {0x84},
        {0x08},
        {0x19},
        {0x2A},
        {0x3B},
        {0x9C},
        {0xED},
        {0xFE},
        {0xC8},
        {0x06},
        {0xE7},
        {0xF6},
        {0xB2, 0x8D},
        {0xB2, 0x89},
        {0xB2, 0x99},
        {0xB2, 0xAF},
        {0xB2, 0xA9},
        {0xB2, 0xA8},
        {0xB2, 0xAC},
        {0xB2, 0xB9},
        {0xB2, 0xB8},
        {0x63, 0xA8, 0x87},
        {0x63, 0x88, 0x22},
        {0x63, 0xB8, 0x05},
        {0xE4, 0xF0},
        {0xE0},
        {0x05, 0x40},
        {0x15, 0xD0},
    };
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        std::mt19937 random(seed);
        Bytes program = {0x02, 0x01, 0x00};
        program.resize(0x100, 0x00);
        // Every vector: PUSH PSW; INC 41h; POP PSW; RETI.
        for (int vector : {0x03, 0x0B, 0x13, 0x1B, 0x23, 0x2B}) {
            const Bytes routine = {0xC0, 0xD0, 0x05, 0x41, 0xD0, 0xD0, 0x32};
            std::copy(routine.begin(), routine.end(), program.begin() + vector);
        }
        const Bytes start = {0x75, 0x81, 0x60}; // MOV SP,#60h
        program.insert(program.end(), start.begin(), start.end());
        for (int k = 0; k < 300; ++k) {
            const Bytes &form = kForms[random() % std::size(kForms)];
            program.insert(program.end(), form.begin(), form.end());
        }
        program.insert(program.end(), {0x02, 0x01, 0x03}); // LJMP back to the start
        SCOPED_TRACE("seed " + std::to_string(seed));
        runEveryWay(program, 3000);
        if (HasFailure())
            return;
    }
}

} // namespace
