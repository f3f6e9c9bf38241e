#include "simulator/Cpu51.h"

namespace tw
{

void Cpu51::pinEdge(int, bool) {}

} // namespace tw
