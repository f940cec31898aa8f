// Folders held open as themselves while the removal runs, so that none can be renamed, removed or swapped for a link until the removal is done with it.
#pragma once

#include <windows.h>

// Opens the folder at path as itself, without following a link, and so that it cannot be
// renamed or removed while the handle is open. Returns the handle when it is an ordinary
// folder; otherwise INVALID_HANDLE_VALUE, with *attributes the attributes seen (a link has
// FILE_ATTRIBUTE_REPARSE_POINT; INVALID_FILE_ATTRIBUTES when nothing could be opened).
HANDLE HoldFolder(const char* path, DWORD* attributes);

// Holds the target and every folder above it, each confirmed an ordinary folder, and checks
// that the target's handle leads to the target's own path. Returns 0, or -1 when one of them
// is missing or a link (nothing is held then).
int HoldTargetChain(void);

// Lets the target chain go, just before the target itself is removed.
void ReleaseTargetChain(void);
