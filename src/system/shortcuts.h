// The Start-menu group folder and the shell shortcuts of the Group section.
#pragma once

#include <windows.h>

// Writes one shortcut file named linkPath through the shell-link object: target, description,
// icon location (skipped when iconFile is null) and the normal show command. Returns 0, or the
// failing call's negative code (a link path of more than 259 characters is such a failure).
// COM is initialised and uninitialised around it; every interface is released on every path.
HRESULT CreateShellShortcut(const char* targetPath, const char* linkPath,
                            const char* description, const char* iconFile, int iconIndex);

// UM_SHORTCUTS: the group folder under the scope's programs folder (all users': the common
// one) and one shortcut per Group entry, the first one also on the scope's desktop; writes
// programsFolder, groupFolder (emptied when it cannot be made), desktopFolder and the entry
// fields. Adds 1 to errorCount when the programs folder cannot be read, when the group
// folder cannot be made, for each shortcut that cannot be made and when the desktop folder
// cannot be read (no message but the group folder's). Holds the mouse capture
// for the main window while it works. Returns 0 (the registration step follows), or -1 when
// the programs folder cannot be read, in which case the caller continues with the
// registration step at once.
int CreateGroupShortcuts(void);
