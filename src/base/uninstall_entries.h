// The entries of the programs list, walked by both the setup program and the uninstaller.
#pragma once

#include "base/product_names.h"

#include <windows.h>

// Called with each entry's key name and key path (below the walk's root); nonzero stops the
// walk.
typedef int (*EntryVisit)(const char* name, const char* path, void* context);

// Walks the entries of the programs list below root (HKEY_LOCAL_MACHINE, or HKEY_CURRENT_USER
// for the user's own installations) whose key name fits an application name (at most
// 127 characters). Returns what the last visit returned (0 when every entry was visited).
int VisitUninstallEntries(HKEY root, EntryVisit visit, void* context);

// Nonzero when the folder (canonical form) is the InstallLocation of an entry other than the
// one named skipName, lies inside one, or holds one: the machine's entries and the running
// user's.
int IsNearAnotherInstallation(const char* folder, const char* skipName);
