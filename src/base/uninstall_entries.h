// The entries of the programs list, walked by both the setup program and the uninstaller: both registry views, and the folder each entry names.
#pragma once

#include <windows.h>

#include "base/product_names.h"

// An entry of the programs list: its key name, its key path below HKEY_LOCAL_MACHINE, and the
// registry view it is in (0: this program's own; KEY_WOW64_64KEY: the list of the 64-bit
// programs of a 64-bit system).
struct UninstallEntry {
    const char* name;
    const char* path;
    REGSAM view;
};

// Called with each entry; nonzero stops the walk.
typedef int (*EntryVisit)(const UninstallEntry* entry, void* context);

// Walks the entries of the programs list whose key name fits an application name (at most
// 127 characters), this program's view first, then the 64-bit view where the system has one.
// Returns what the last visit returned (0 when every entry was visited).
int VisitUninstallEntries(EntryVisit visit, void* context);

// Reads the text value name of the entry into text (capacity bytes), with the system's
// variables (%SystemRoot%) expanded. 0, or -1 when it is missing, not text or does not fit.
int ReadEntryText(const UninstallEntry* entry, const char* name, char* text, int capacity);

// The ways an entry names the folder of its installation.
enum EntryFolder {
    kFolderOfCommand,    // the target after a '/' of its UninstallString, as Purgax reads it
    kFolderOfLocation,   // its InstallLocation, quoted or not
    kFolderOfProgram,    // without an InstallLocation: the folder of its UninstallString's program
};

// Writes into folder (kPathCapacity bytes) the canonical form of the folder that the entry
// names in the way kind. Returns its length, or -1 when it names none: no such value, or no
// complete path.
int ReadEntryFolder(const UninstallEntry* entry, EntryFolder kind, char* folder);

// Nonzero when the entry is the one at path in this program's view.
int IsEntryAt(const UninstallEntry* entry, const char* path);

// Nonzero when the folder (canonical form) is the folder of an entry other than the one named
// skipName in this program's view, lies inside one, or holds one. An entry's folder that no
// installation has (a drive, the Windows folder, a profile: IsRefusedFolder) is ignored and
// logged: it would put every folder below it out of reach.
int IsNearAnotherInstallation(const char* folder, const char* skipName);
