// The setup script checker: what the installer will do with a SETUP.INF, and its traps.
#pragma once

#include <string>

// Exit statuses of infcheck.
enum {
    kCheckClean = 0,      // nothing to warn about
    kCheckWarnings = 1,   // the script works, with warnings
    kCheckUnusable = 2,   // the installer stops at once (no Install or Files section)
};

// Reads bytes (the whole script file, zero bytes included) with the installer's own reader
// routines and appends the report to output, each line prefixed with scriptName. mediumDir is
// the folder that holds SETUP.EXE and the sources, or null to skip the checks on disk.
// Returns kCheckClean, kCheckWarnings or kCheckUnusable.
int CheckScript(const std::string& bytes, const char* scriptName, const char* mediumDir,
                std::string* output);

// Looks up a source name (backslash-separated, relative to mediumDir) as the installer would
// open it, ignoring case on file systems that do not. Returns 0 with the file's size, or -1
// when it is not a regular file there.
int FindMediumFile(const char* mediumDir, const char* name, long long* size);
