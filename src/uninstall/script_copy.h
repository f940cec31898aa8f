// The target's copy of the setup script, trusted only when it is the very script the installation ran.
#pragma once

#include "base/script_hash.h"

// The length of the copy's file name (kScriptCopyName), and what LoadTrustedScript returns for
// a copy that another program holds.
enum {
    kScriptCopyNameLength = 9,
    kScriptInUse = -2,
};

// Loads the target's copy of the setup script into uninstallState.scriptText when it is an
// ordinary file (not a link) whose SHA-256 equals the hash recorded under the uninstall entry.
// Returns 0 when it is held, kScriptInUse when another program holds it so that it cannot be
// read now, or -1 when there is no trusted copy (nothing is held in either case).
int LoadTrustedScript(void);

// Releases the copy, if one is held.
void ReleaseTrustedScript(void);
