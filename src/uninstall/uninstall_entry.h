// The uninstall entries of the programs list: finding this installation's, asking whether another names the uninstaller, and removing ours.
#pragma once

// The key of the programs list, below HKEY_LOCAL_MACHINE.
extern const char kUninstallKey[];

// Finds the entry whose UninstallString names uninstallState.target and stores its key name
// in applicationName and its key path in entryPath. Returns 0, or -1 when there is none.
int FindUninstallEntry(void);

// Nonzero when an uninstall entry other than ours starts the program at path.
int IsNamedByAnotherEntry(const char* path);

// Removes our uninstall entry. Returns 0, or -1 after listing it as left.
int RemoveUninstallEntry(void);
