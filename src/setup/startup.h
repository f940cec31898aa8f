// Start-up helpers shared with the copy engine.
#pragma once

#include <windows.h>

// Size of an open file; the file position is left where it was. 64-bit so that no size wraps.
long long GetOpenFileSize(HANDLE file);

// Everything WinMain does, returning the exit status (split out so that tests can reach it).
int RunSetup(HINSTANCE instance);
