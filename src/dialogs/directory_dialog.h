// The modal DIRECTORY dialog: proposes the target directory and completes what is typed.
#pragma once

#include <windows.h>

INT_PTR CALLBACK DirectoryDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the dialog owned by the main window; 259 on Install, 260 on Cancel. In a run without
// boxes nobody is asked: the proposal becomes targetDir and the result is 259.
INT_PTR RunDirectoryDialog(void);
