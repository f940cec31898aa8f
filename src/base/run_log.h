// The run's log: one buffered plain-text file that both programs append lines to, and the mode
// that says whether anyone is there to answer a box.
#pragma once

#include <windows.h>

#include "base/capacities.h"

enum {
    kLogBufferCapacity = 8192,   // lines wait here; the file is written when it is full
    kLogLineCapacity = 1024,     // one formatted line (wsprintfA writes at most 1024 bytes)
};

// The log and the run's mode, shared by the setup program and the uninstaller. Lines logged
// before the file is open wait in the buffer; a full buffer without a file drops what follows.
struct RunLog {
    HANDLE file;          // 0 until OpenRunLog found a place
    int length;           // bytes waiting in buffer
    int quiet;            // nonzero: nobody answers boxes, each takes its silent answer
    char path[kPathCapacity];
    char buffer[kLogBufferCapacity];
};

// The one instance, zero-initialised before start-up.
extern RunLog runLog;

// Appends one line formatted as wsprintfA does (at most 1021 characters) and a line end.
void LogLine(const char* format, ...);

// Appends the line "<label> <source> -> <destination>, <bytes> bytes".
void LogCopiedFile(const char* label, const char* source, const char* destination,
                   long long bytes);

// Appends "Registry <root>\<path> "<name>" = <data>", text or number, and the status when the
// write failed. Text data is zero-terminated.
void LogRegistryValue(HKEY root, const char* path, const char* name, DWORD type,
                      const void* data, LONG status);

// Appends the start time and the whole command line.
void LogStart(const char* commandLine);

// Opens the log: as the new file `path` when it is given, nothing has that name yet and no
// link on the way leads elsewhere; else as a new file "<stem>-<n>.log" in the temporary folder,
// n counted up from 1 past the names that are taken, and after a few of them a random number.
// The file is always made new: no link at its name is followed and nothing that is there is
// overwritten. Writes what waits in the buffer. 0, or -1 when no place was found (lines are
// then dropped; runLog.path is then empty).
int OpenRunLog(const char* path, const char* stem);

// Writes what waits and closes the file.
void CloseRunLog(void);
