#pragma once
// The Edit menu's two find commands and the find dialog's place in the tool registry.
#include "FindDialog.h"

namespace tw
{

class Workspace;

// Registers the find dialog (ToolName::Find) and the commands of mEditFindzf and mEditFindzl.
void registerFindDialog();

// Opens the find dialog over the active editor in the given mode; nothing without an editor.
void openFindDialog(Workspace &workspace, FindDialog::Mode mode);

} // namespace tw
