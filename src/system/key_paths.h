// Registry values by root key, backslash-separated key path and value name.
#pragma once

#include <windows.h>

// Reads a value into buffer (capacity bytes). 0, the platform's error code, or -1 without
// memory. On success the text is always terminated within the capacity; on failure the
// buffer is left exactly as it was.
LONG ReadKeyPathValue(HKEY root, const char* path, const char* name, DWORD type,
                      char* buffer, DWORD capacity);

// Writes a value, creating every missing key of the path. 0 or an error code.
LONG WriteKeyPathValue(HKEY root, const char* path, const char* name, DWORD type,
                       const void* data, DWORD size);
