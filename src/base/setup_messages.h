// The setup program's message boxes: the string table's texts of its own module.
#pragma once

#include <windows.h>

// ShowFormattedMessage with the program's instance (setupState.instance) and the answer that
// the box's buttons give a quiet run; returns the button pressed.
int ShowSetupMessage(const char* caption, HWND owner, UINT id, const char* argument, UINT type);

// Shows the error box of a refusal (message id about argument) through ShowSetupMessage: no
// call failed, so no Windows error is logged with it, whatever an earlier call left behind.
void ShowRefusal(const char* caption, HWND owner, UINT id, const char* argument);
