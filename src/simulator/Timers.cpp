#include "simulator/Cpu51.h"

namespace tw
{

void Cpu51::decodeTimers() {}
void Cpu51::tick1ms() {}

} // namespace tw
