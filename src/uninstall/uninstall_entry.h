// The uninstall entries of the programs list: finding this installation's, asking whether another names the uninstaller or the folder, and removing ours.
#pragma once

// Finds the entry whose UninstallString names uninstallState.target (both in canonical form)
// and stores its key name in applicationName and its key path in entryPath. Returns 0, or -1
// after saying why: there is none, or more than one entry, in either registry view, names the
// folder in any of the ways of base/uninstall_entries.h (they are listed).
int FindUninstallEntry(void);

// Nonzero when an uninstall entry other than ours starts the program at path, however the
// entry writes it (variables, short names); also when path has no canonical form.
int IsNamedByAnotherEntry(const char* path);

// Notes in uninstallState.nested the folders inside the target that other entries name.
void FindNestedInstallations(void);

// Removes our uninstall entry. Returns 0, or -1 after listing it as left.
int RemoveUninstallEntry(void);
