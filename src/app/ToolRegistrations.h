#pragma once

namespace tw
{

// Registers every subsystem's tool windows and menu commands with the main window's registry.
void registerAllTools();

} // namespace tw
