// The target's copy of the setup script, trusted only when it is the very script the installation ran.
#pragma once

#include <windows.h>

// What LoadTrustedScriptCopy returns for a copy that another program holds.
enum { kScriptInUse = -2 };

// Loads the copy kScriptCopyName in the folder target, when it is an ordinary file (not a link,
// opened as itself) whose SHA-256 equals the hash recorded as kScriptHashValue under entryPath
// (a key below root: HKEY_LOCAL_MACHINE, or HKEY_CURRENT_USER for a user's own installation),
// into a locked movable block with a zero after it: *memory and *text. Returns 0 when it is
// held (the caller releases it with ReleaseLockedBlock), kScriptInUse when another program
// holds the file so that it cannot be read now, or -1 when there is no trusted copy; in both
// failures nothing is held and both outputs are 0.
int LoadTrustedScriptCopy(HKEY root, const char* entryPath, const char* target, HGLOBAL* memory,
                          const char** text);
