// The modeless progress dialog: the entry label, two bars, two percentages and Cancel.
#pragma once

#include <windows.h>

INT_PTR CALLBACK CopyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Paints the bar control `id` of the dialog at percent in its four bands.
void DrawProgressBar(HWND dialog, int id, int percent);
