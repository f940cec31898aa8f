// The one process-wide record of the uninstaller: what it removes, from where, and what it could not remove.
#pragma once

#include <windows.h>

#include "base/capacities.h"
#include "uninstall/folder_table.h"

enum {
    kReportCapacity = 4096,   // the final report with its list of items left
    kListedItems = 12,        // items named in the report; the rest are counted
    kChainLimit = 64,         // folders from the root down to a target of 127 characters
    kNestedLimit = 32,        // other installations' folders inside the target
};

// Exit statuses of the uninstaller.
enum {
    kRemovedStatus = 0,        // everything the installation made is gone
    kPartlyRemovedStatus = 1,  // the report lists what is left
    kNothingDoneStatus = 2,    // refused, no entry, or the person said No: nothing was touched
};

struct UninstallState {
    HINSTANCE instance;
    char caption[kTextCapacity];
    char filesSection[kNameCapacity];
    char groupSection[kNameCapacity];

    // The installation: its folder (without a final backslash), the Windows directory, and
    // its uninstall entry, whose key name is the application's name.
    char target[kPathCapacity];
    int targetLength;
    char windowsDir[kPathCapacity];
    char applicationName[kTextCapacity];
    char entryPath[kPathCapacity];

    // The target's copy of the setup script, held only when its hash matches the entry's.
    HGLOBAL scriptMemory;
    const char* scriptText;
    int copyListed;     // the script names the copy among its Files: removed last
    int uninstallerListed;   // the script puts Purgax.exe into the Windows directory
    int countsDue;      // the entry goes: the shared counts that others hold go down now
    int countsReleased; // the entry says that an earlier run of this uninstall, killed, had
                        // counted the shared files down: they are not touched again

    FolderTable folders;

    // The target and the folders above it, held while the removal runs.
    HANDLE chain[kChainLimit];
    int chainCount;

    // The folders of other installations inside the target: never entered.
    char nested[kNestedLimit][kPathCapacity];
    int nestedCount;

    // Items left: counted, the first kListedItems named in listedItems, one per line.
    int itemCount;
    int retryNeeded;    // an item that a later run may remove: the entry stays for it
    int folderStays;    // the target holds files that the installation did not write
    char listedItems[kReportCapacity];
    int listedLength;

    char entryKey[kTextCapacity];
    char entryValue[kTextCapacity];
    char path[kPathCapacity];
};

// The one instance, zero-initialised before start-up.
extern UninstallState uninstallState;
