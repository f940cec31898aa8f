// Message boxes whose texts come from the string table, and dialog placement.
#pragma once

#include <windows.h>

// Shows string `id` in a message box; returns the button pressed.
int ShowStringMessage(HINSTANCE instance, const char* caption, HWND owner, UINT id, UINT type);

// Shows string `id` formatted with one "%s" argument (a null argument counts as empty), cut
// so that the text stays within 511 characters; returns the button pressed.
int ShowFormattedMessage(HINSTANCE instance, const char* caption, HWND owner, UINT id,
                         const char* argument, UINT type);

// Centres the dialog over the parent, kept on the screen.
void CenterDialog(HWND parent, HWND dialog);
