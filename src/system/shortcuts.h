// The Start-menu group folder and the shell shortcuts of the Group section.
#pragma once

#include <windows.h>

// Writes one shortcut through the shell-link object; 0 or the first failing call's code.
HRESULT CreateShellShortcut(const char* targetPath, const char* linkPath,
                            const char* description, const char* iconFile, int iconIndex);

// UM_SHORTCUTS. Returns 0 after posting UM_REGISTER, or -1 when the programs folder cannot be
// read, in which case the caller continues with the registration step at once.
int CreateGroupShortcuts(void);
