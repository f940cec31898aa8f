// The copy engine: one Files entry or one 8192-byte chunk per private message.
#pragma once

#include <windows.h>

// UM_START after the directory dialog: finds Files (reporting a missing section), opens the
// progress dialog, resets the counters and posts UM_NEXT_FILE; a missing section counts one
// error and posts UM_FINISH.
void StartCopy(void);

// UM_NEXT_FILE: takes the next entry, opens its source and destination, posts the next step.
void CopyNextEntry(void);

// UM_COPY_CHUNK: copies one chunk of the open file and posts the next step.
void CopyNextChunk(void);

// Creates every directory named in path before its last component. Returns 0, or -1 after
// showing message 2050 with the prefix that failed. The path is restored before returning.
int CreatePathDirectories(char* path, HWND owner, const char* caption);
