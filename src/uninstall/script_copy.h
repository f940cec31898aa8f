// The target's copy of the setup script, trusted only when it is the very script the installation ran.
#pragma once

// The copy's file name in the target folder.
extern const char kScriptCopyName[];
enum { kScriptCopyNameLength = 9 };

// Loads the target's copy of the setup script into uninstallState.scriptText when it is an
// ordinary file (not a link) whose SHA-256 equals the hash recorded under the uninstall entry.
// Returns 0 when it is held, or -1 when there is no trusted copy (nothing is then held).
int LoadTrustedScript(void);

// Releases the copy, if one is held.
void ReleaseTrustedScript(void);
