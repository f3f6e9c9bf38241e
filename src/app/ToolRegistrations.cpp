// Every subsystem registers its tool windows and menu commands here, one line (or block) each,
// with tw::registerTool(ToolName::..., factory) and tw::registerMenuCommand("itemName", command)
// from workspace/ui/ToolRegistry.h. Items without a command open their tool window when it is
// registered.
#include "ToolRegistrations.h"

#include "assembler/ui/AssemblerWindow.h"
#include "assistants/ui/FontWindow.h"
#include "assistants/ui/InitCodeWindow.h"
#include "assistants/ui/LibraryWindow.h"
#include "assistants/ui/UnicodeWindow.h"
#include "conversion/ui/ConversionWindow.h"
#include "links/ui/ProgrammerWindow.h"
#include "links/ui/SerialSenderWindow.h"
#include "simulator/ui/SimulatorWindow.h"
#include "workspace/Workspace.h"
#include "workspace/ui/FindCommands.h"
#include "workspace/ui/ToolRegistry.h"

namespace tw
{

void registerAllTools()
{
    registerAssemblerWindow();
    registerConversionWindow();
    registerFindDialog();
    registerSimulatorWindow();
    registerInitCodeWindow();
    registerUnicodeWindow();
    registerFontWindow();
    registerSerialSenderWindow();
    registerProgrammerWindow();
    registerLibraryWindow();
}

} // namespace tw
