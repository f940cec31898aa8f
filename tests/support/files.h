// Real files for the tests, the demo runner and the benchmark: scratch folders, whole-file reads and writes, time stamps, trees.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The folder of the running program (where the build puts every program), without a final
// backslash.
std::string ProgramFolder();

// The Windows directory, without a final backslash.
std::string WindowsFolder();

// Makes a fresh folder under the temporary directory named after tag, this process and a
// counter. Returns its path without a final backslash, or "" when none could be made.
std::string MakeTempDirectory(const char* tag);

// Deletes a file or a directory tree, read-only files included; a link is removed, not
// followed (a folder link of Wine by the Unix rm). 0 when nothing is left there.
int RemoveTree(const std::string& path);

// A scratch folder for the life of the object: made at once, removed with its contents after.
struct TempFolder {
    std::string path = MakeTempDirectory("quillor-folder");
    ~TempFolder() { RemoveTree(path); }
};

// Makes path and every missing directory above it. 0 or -1.
int MakeDirectories(const std::string& path);

// Copies the files of the directory tree from into the existing folder to. 0 or -1.
int CopyTree(const std::string& from, const std::string& to);

// size bytes of a pattern that differs with seed and from one 8192-byte chunk to the next.
std::string PatternBytes(size_t size, unsigned seed);

// Writes bytes to path, replacing the file. 0 or -1.
int WriteFileBytes(const std::string& path, const std::string& bytes);

// Reads a whole file into bytes. 0 or -1 (no such file).
int ReadFileBytes(const std::string& path, std::string* bytes);

// The whole content of a file, or "<missing>" when it cannot be opened.
std::string ReadWholeFile(const std::string& path);

// Nonzero when path names an existing file or directory.
int PathExists(const std::string& path);

// Nonzero when path names an existing directory.
int IsDirectory(const std::string& path);

// Nonzero when nobody else holds path open: an open without any sharing succeeds.
int CanOpenExclusively(const std::string& path);

// The size of a file from its directory entry, without opening it (works while another process
// holds it open without sharing), or -1.
long long ReadFileSizeOnDisk(const std::string& path);

// The three time stamps of a file, in the order of GetFileTime.
struct FileTimes {
    FILETIME creation;
    FILETIME lastAccess;
    FILETIME lastWrite;
};

// Reads or sets the three time stamps of a file. 0 or -1.
int ReadFileTimes(const std::string& path, FileTimes* times);
int WriteFileTimes(const std::string& path, const FileTimes& times);

// A time stamp from a calendar date and time (UTC).
FILETIME MakeFileTime(int year, int month, int day, int hour, int minute, int second);

// A time stamp as one 64-bit count of 100-nanosecond ticks, for comparing and printing.
unsigned long long TicksOf(const FILETIME& time);

// One entry of a directory.
struct ListedFile {
    std::string name;
    unsigned long long size;
    int isDirectory;
};

// The entries directly in folder, without "." and "..", in the order the platform gives.
std::vector<ListedFile> ListFolder(const std::string& folder);
