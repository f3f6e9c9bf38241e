// Every subsystem registers its tool windows here, one call each: its registerXxxWindow() calls
// tw::registerTool(ToolName::..., factory, placement, menu items) from workspace/ui/ToolRegistry.h,
// naming each menu item that opens the window, with the command that prepares it or none.
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
#include "workspace/ui/HelpCommands.h"
#include "workspace/ui/ToolRegistry.h"

namespace tw
{

void registerAllTools()
{
    registerAssemblerWindow();
    registerConversionWindow();
    registerFindDialog();
    registerHelpWindows();
    registerSimulatorWindow();
    registerInitCodeWindow();
    registerUnicodeWindow();
    registerFontWindow();
    registerSerialSenderWindow();
    registerProgrammerWindow();
    registerLibraryWindow();
}

} // namespace tw
