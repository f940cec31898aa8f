// The modal DIRECTORY dialog: proposes the target directory and completes what is typed.
#pragma once

#include <windows.h>

INT_PTR CALLBACK DirectoryDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the dialog owned by the main window; 259 on Install, 260 on Cancel.
INT_PTR RunDirectoryDialog(void);

// Takes a completed target path into setupState.targetDir, in the canonical form that every
// record of the target holds (full, long names, no trailing dots or blanks). Returns 0, or the
// string id of the refusal with targetDir unchanged: IDS_TARGET_TOO_LONG (more than 127
// characters), IDS_REFUSED_TARGET (a folder the uninstaller refuses) or IDS_NEAR_INSTALLATION
// (another application's installation is there, around or inside it).
UINT TakeTargetDirectory(const char* path);
