// The setup program's message boxes: the string table's texts of its own module.
#pragma once

#include <windows.h>

// ShowFormattedMessage with the program's instance (setupState.instance) and the answer that
// the box's buttons give a quiet run; returns the button pressed.
int ShowSetupMessage(const char* caption, HWND owner, UINT id, const char* argument, UINT type);
