// The entries of the programs list, walked by both the setup program and the uninstaller.
#pragma once

#include "base/product_names.h"

// Called with each entry's key name and key path (below HKEY_LOCAL_MACHINE); nonzero stops
// the walk.
typedef int (*EntryVisit)(const char* name, const char* path, void* context);

// Walks the entries of the programs list whose key name fits an application name (at most
// 127 characters). Returns what the last visit returned (0 when every entry was visited).
int VisitUninstallEntries(EntryVisit visit, void* context);

// Nonzero when the folder (canonical form) is the InstallLocation of an entry other than the
// one named skipName, lies inside one, or holds one.
int IsNearAnotherInstallation(const char* folder, const char* skipName);
