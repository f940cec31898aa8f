// The setup script checker: what the installer will do with a SETUP.INF, and its traps.
#pragma once

#include <string>
#include <vector>

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

// Like FindMediumFile: the path at which the file is found (or would be) into *path. Returns 0
// when a regular file is there, else -1.
int ResolveMediumFile(const char* mediumDir, const char* name, std::string* path);

// The source names of the Files section, as the installer splits them, each once, in order;
// empty names are left out.
std::vector<std::string> ScriptSources(const std::string& bytes);

// Nonzero when the source name (relative to mediumDir) names the script at scriptPath.
int IsScriptItself(const char* mediumDir, const std::string& source, const char* scriptPath);

// Writes into *updated the script bytes with a [Checksums] section for the sources as they are
// on the medium (replacing the one it has, or added at its end), the script itself left out.
// Returns 0, or -1 with the reason in *problem.
int WriteChecksums(const std::string& bytes, const char* scriptPath, const char* mediumDir,
                   std::string* updated, std::string* problem);

// The files of the medium that the script needs, relative to mediumDir with '/' between
// folders, as found there: the script, the Bitmap and every source. Returns 0, or -1 with the
// names that are missing in *problem.
int ListMediumFiles(const std::string& bytes, const char* scriptPath, const char* mediumDir,
                    std::vector<std::string>* files, std::string* problem);
