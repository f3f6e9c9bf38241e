#include "simulator/Cpu51.h"

namespace tw
{

void Cpu51::afterDirectWrite(std::uint8_t) {}

} // namespace tw
