#pragma once
// Every path a library routine can take, followed over a machine state in which each bit is
// either known or unknown: a branch on a known condition goes its one way, a branch on an unknown
// one goes both ways. The longest and the shortest path, in machine cycles as the rig counts them,
// bound every run of the routine from any state that agrees with the known bits. Known values
// carry the loop counters, the flags the routines set and test again, the digits a routine writes
// and tests, so only loops whose exit depends on unknown data need a stated bound.
#include "assistants/SubroutineSource.h"
#include "simulator/Cpu51.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace twtest
{

// The analysis cannot follow the code (an address through an unknown pointer, an instruction it
// does not model, a loop without a bound); the message says where.
struct PathError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A byte of which the bits in `known` are known to hold the bits of `value` (the others are 0).
struct Tri {
    std::uint8_t value = 0, known = 0;
    static Tri of(std::uint8_t v) { return {v, 0xFF}; }
    bool full() const { return known == 0xFF; }
    bool operator==(const Tri &) const = default;
};

// The cells the routines use: IRAM, then A, B, PSW, SP, DPL and DPH.
inline constexpr int kIramCells = 256;
inline constexpr int kCellA = 256, kCellB = 257, kCellPsw = 258, kCellSp = 259, kCellDpl = 260,
                     kCellDph = 261, kCells = 262;
// The SFR behind each cell from kIramCells on.
inline constexpr std::array<std::uint8_t, 6> kCellSfrs = {tw::Sfr::ACC, tw::Sfr::B,   tw::Sfr::PSW,
                                                          tw::Sfr::SP,  tw::Sfr::DPL, tw::Sfr::DPH};
inline constexpr int kMaxLimits = 6;

struct PathState {
    std::array<Tri, kCells> cells{};
    std::uint16_t pc = 0;
    std::array<std::uint8_t, kMaxLimits> counts{}; // executions of the limited instructions so far
};
// The search keys states by their bytes: no padding may hide in them.
static_assert(sizeof(PathState) == 2 * kCells + 2 + kMaxLimits);

// A routine as the rig runs it (a caller at 0 whose LCALL returns to 3, the routine at 5, the
// routines it calls after it), with its labels and the address of each source line.
struct RoutineCode {
    QString file;
    tw::SubroutineSource source;
    std::vector<std::uint8_t> image;
    std::uint16_t entry = 5;
    std::uint16_t done = 3;
    QMap<QString, std::uint16_t> labels;
    std::vector<std::uint16_t> starts; // instruction addresses of the routine and its callees
    QStringList texts;                 // their source lines, blanks folded

    // The instruction `offset` instructions after the label (before it when negative).
    std::uint16_t at(const QString &label, int offset = 0) const;
    // The instruction `offset` instructions after the one whose source line reads `text` (blanks
    // as one space, e.g. "JNC FADD9"); the line must be unique.
    std::uint16_t line(const QString &text, int offset = 0) const;
    int index(std::uint16_t address) const;
};

// Assembles "fixed/07-udiv16.asm" and its callees the way the rig does; throws PathError.
RoutineCode routineCode(const QString &relative);

// The state the rig enters the routine with: return address on the stack at 60h-61h, R0 = 30h
// and R1 = 38h, register bank 0; every other bit unknown.
PathState rigEntry(const RoutineCode &code);

// The successors of one instruction (one, or two for a branch on an unknown condition: the fall
// through first), each refined by what its way says of the condition. Throws PathError.
struct Step {
    int cycles = 0;
    int count = 0;
    std::array<PathState, 2> next;
};
Step stepPaths(const std::vector<std::uint8_t> &image, const PathState &state);

// The CPU in a state that agrees with the known bits (unknown bits taken from `fill`).
void loadCpu(tw::Cpu51 &cpu, const std::vector<std::uint8_t> &image, const PathState &state,
             const PathState *fill = nullptr);
// Runs the CPU from its pc until pc == done; the machine cycles; counts executions of `watch`.
long runToDone(tw::Cpu51 &cpu, std::uint16_t done, std::uint16_t watch = 0xFFFF, int *watched = nullptr);

struct PathCost {
    long most = -1; // -1: no path reaches the return
    long least = -1;
    void add(long cycles)
    {
        if (most >= 0) {
            most += cycles;
            least += cycles;
        }
    }
    void join(const PathCost &other);
};

class PathSearch
{
  public:
    explicit PathSearch(const RoutineCode &code) : m_code(code) {}

    // Paths that execute the instruction at `address` more than `most` times are not runs of
    // the routine (the caller's argument says why).
    void limit(std::uint16_t address, int most);
    // Whenever a path reaches `address`, the bits `mask` of the cell become unknown. Knowing less
    // never loses a path; it keeps bits that steer no branch (a quotient building up) from
    // splitting the search into one path per value.
    void forget(std::uint16_t address, int cell, std::uint8_t mask);
    // From `address` on, the cycles to the return are those `rest` gives for the state there (the
    // most any run from there takes; it stands for the shortest rest too).
    void cut(std::uint16_t address, std::function<long(const PathState &)> rest);

    PathCost run(const PathState &start);
    std::size_t forks() const { return m_memo.size(); }

  private:
    PathCost walk(PathState state);

    const RoutineCode &m_code;
    std::vector<std::pair<std::uint16_t, int>> m_limits;
    struct Forget {
        std::uint16_t address;
        int cell;
        std::uint8_t mask;
    };
    std::vector<Forget> m_forgets;
    std::vector<std::pair<std::uint16_t, std::function<long(const PathState &)>>> m_cuts;
    std::unordered_map<std::string, PathCost> m_memo;
    std::unordered_set<std::string> m_open;
};

} // namespace twtest
