#pragma once
// The Help menu's windows in the tool registry: the help pages, the FAQ in the text viewer and the
// About box.

namespace tw
{

// Registers the help window (ToolName::Help) with the commands of the manual and the tutorial,
// the text viewer (ToolName::TextViewer) with the FAQ's, and the About box (ToolName::About).
void registerHelpWindows();

} // namespace tw
