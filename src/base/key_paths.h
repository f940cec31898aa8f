// Registry values by root key, backslash-separated key path and value name.
#pragma once

#include <windows.h>

#include "base/capacities.h"

// Characters kept of one key path component; the rest of a longer component is dropped.
enum { kKeyComponentLength = kPathCapacity };

// Reads a value into buffer (capacity bytes). 0, the platform's error code, or -1 without
// memory. On success the text is always terminated within the capacity: data that fills the
// whole capacity without a zero byte counts as not fitting (ERROR_MORE_DATA). On failure the
// buffer is left exactly as it was. An empty or null name reads the key's default value.
LONG ReadKeyPathValue(HKEY root, const char* path, const char* name, DWORD type,
                      char* buffer, DWORD capacity);

// Writes a value, creating every missing key of the path; size is passed to the platform
// unchanged. The value's earlier state goes into the run's record first (RecordRegistryValue).
// 0, the platform's error code, or -1 without memory or when the record refuses the write.
LONG WriteKeyPathValue(HKEY root, const char* path, const char* name, DWORD type,
                       const void* data, DWORD size);

// Deletes a value, recorded first as a write is; one that is not there counts as deleted. 0,
// the platform's error code, or -1 when the record refuses it.
LONG DeleteKeyPathValue(HKEY root, const char* path, const char* name);

// Number of nodes in the key chain; 0 between operations. For the tests.
int KeyChainLength(void);
