// The modal DIRECTORY dialog: proposes the target directory and completes what is typed.
#pragma once

#include <windows.h>

INT_PTR CALLBACK DirectoryDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// What RunDirectoryDialog gives when a run without boxes has a target the installer refuses.
enum { kDirectoryRefused = 0 };

// Runs the dialog owned by the main window; 259 on Install, 260 on Cancel. In a run without
// boxes nobody is asked: the proposal (or the command line's target) goes through
// TakeTargetDirectory, and the result is 259, or kDirectoryRefused after a logged refusal.
INT_PTR RunDirectoryDialog(void);

// Takes a completed target path into setupState.targetDir, in the canonical form that every
// record of the target holds (full, long names, no trailing dots or blanks). Returns 0, or the
// string id of the refusal with targetDir unchanged: IDS_TARGET_TOO_LONG (more than 127
// characters), IDS_REFUSED_TARGET (a folder the uninstaller refuses), IDS_OUTSIDE_PROFILE (an
// installation for the current user outside the user's profile) or IDS_NEAR_INSTALLATION
// (another application's installation is there, around or inside it).
UINT TakeTargetDirectory(const char* path);
