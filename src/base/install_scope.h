// The two scopes of an installation (every user of the machine, or the running user alone) and the places each one writes to.
#pragma once

#include <windows.h>

#include "base/scope_choice.h"

// The root of every registry value an installation of the scope writes and its uninstaller
// reads: HKEY_LOCAL_MACHINE, or HKEY_CURRENT_USER.
HKEY ScopeRoot(InstallScope scope);

// The name of ScopeRoot as a report shows it: "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER".
const char* ScopeRootName(InstallScope scope);

// Where the file-type key `path` (txtfile..., .<suffix>) of the scope lies: returns the root,
// HKEY_CLASSES_ROOT or HKEY_CURRENT_USER, and writes into key (kPathCapacity bytes) the path
// below it, path itself or Software\Classes\path (cut at the capacity). The length of the
// prefix added is kUserClassesLength.
HKEY ScopeClassesKey(InstallScope scope, const char* path, char* key);
enum { kUserClassesLength = 17 };

// Nonzero when a script's Windows-directory entry ('%') of an installation of the scope goes
// there: for all users. A user cannot write the Windows directory: for the current user such an
// entry goes into the program folder.
int UsesWindowsDirectory(InstallScope scope, int windowsEntry);

// The two shortcut places of an installation.
enum ShortcutPlace { kProgramsPlace, kDesktopPlace };

// Reads into folder (kTextCapacity bytes) where the scope's shortcuts go: the all-users
// Programs folder and desktop (the shell's common folders), or the running user's own. 0, or
// -1 when the value is missing or empty.
int ReadShortcutFolder(InstallScope scope, ShortcutPlace place, char* folder);

// Reads into folder (kTextCapacity bytes) the folder below which the scope's installations
// go: the program files folder, or the running user's %LOCALAPPDATA%\Programs. 0, or -1 when
// it is unknown.
int ReadProgramsBase(InstallScope scope, char* folder);

// Nonzero when folder (canonical form) is no place for an installation of the scope: for the
// current user, every folder outside the running user's profile (%USERPROFILE%). The folders
// that no installation takes (IsRefusedFolder) are refused apart from this.
int IsOutsideScope(InstallScope scope, const char* folder);

// Nonzero when the process runs with an administrator's full rights (its token is elevated).
int IsElevated(void);
