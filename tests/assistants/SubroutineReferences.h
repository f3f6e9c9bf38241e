#pragma once
// The reference checks of the library routines, one per routine file.
#include "SubroutineRig.h"

#include <QString>
#include <functional>
#include <utility>
#include <vector>

namespace twtest
{

using RoutineCheck = std::function<void(SubroutineRig &)>;
using RoutineChecks = std::vector<std::pair<QString, RoutineCheck>>;

RoutineChecks fixedPointChecks();
RoutineChecks floatingPointChecks();

// Edge values every check starts with, then random ones.
const std::vector<std::uint32_t> &edges16();
const std::vector<std::uint32_t> &edges32();
// Runs body on every pair of edges and on count random pairs.
void forPairs(SubroutineRig &rig, const std::vector<std::uint32_t> &edges, std::uint32_t mask, int count,
              const std::function<void(std::uint32_t, std::uint32_t)> &body);

// Calls a routine on four-byte X at @R0 (its result) and Y at @R1, which must stay as it was.
tw::Cpu51 &callWithOperands(SubroutineRig &rig, std::uint32_t x, std::uint32_t y);

} // namespace twtest
