// The copy engine: one Files entry or one 8192-byte chunk per private message.
#pragma once

#include <windows.h>

// Each step returns the private message of the step that follows it, for the main window to
// post.

// UM_START after the directory dialog: finds Files (reporting a missing section), opens the
// progress dialog and resets the counters; UM_NEXT_FILE, or UM_FINISH after counting one
// error when the section is missing.
UINT StartCopy(void);

// UM_NEXT_FILE: takes the next entry and opens its source and destination; UM_COPY_CHUNK,
// UM_NEXT_FILE after an entry that cannot be copied, UM_COPY_DONE at the end of the section
// or once cancelled, or UM_FINISH when the person cancelled at a destination that cannot be
// opened.
UINT CopyNextEntry(void);

// UM_COPY_CHUNK: copies one chunk of the open file; UM_COPY_CHUNK after a full chunk,
// UM_NEXT_FILE after the file's end or a failure, UM_COPY_DONE once cancelled. A destination
// whose copy a failure or Cancel cuts short is removed, unless it is an older file that the
// copy has not written to yet.
UINT CopyNextChunk(void);

// UM_COPY_DONE: destroys the progress dialog; UM_FINISH when cancelled, else UM_SHORTCUTS.
UINT FinishCopy(void);

// Creates every directory named in path before its last component and after position `from`
// (0: all), and checks each one by its handle: a folder that is a link, or reached through
// one, counts as one that cannot be made.
// Those that end at or after position protectFrom (the target and below) are made, or made
// again, so that only administrators can change them. Returns 0, or -1 after showing
// IDS_CANNOT_CREATE with the prefix that failed. The path is restored before returning.
int CreatePathDirectories(char* path, int from, int protectFrom, HWND owner, const char* caption);
