// The modal REGISTRATION dialog: the suffix list to bind to text files.
#pragma once

#include <windows.h>

// Runs the dialog owned by the main window; IDYES takes the edited suffixList. In a run
// without boxes nobody is asked: the command line's suffixes, if any, replace the list and the
// result is IDYES. The answer goes to the log.
INT_PTR RunRegistrationDialog(void);

INT_PTR CALLBACK RegistrationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
