#include "simulator/Cpu51.h"

namespace tw
{

void Cpu51::serialTransmit() {}

} // namespace tw
