#include "simulator/Cpu51.h"

namespace tw
{

void Cpu51::pollInterrupts() {}

} // namespace tw
