// The size of an open file.
#pragma once

#include <windows.h>

// Size of an open file, or -1 when it cannot be taken; the file position is left where it was.
// 64-bit so that no size wraps.
long long GetOpenFileSize(HANDLE file);
