// The modal REGISTRATION dialog: the suffix list to bind to text files.
#pragma once

#include <windows.h>

INT_PTR CALLBACK RegistrationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
