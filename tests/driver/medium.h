// Lays out a medium in a fresh temporary folder; reads back the files and values installed.
#pragma once

#include <windows.h>

#include <string>

// A fresh folder under the temporary directory: the medium (SETUP.EXE, SETUP.INF, the sources)
// and room for a target directory beside it. RemoveMedium deletes it all.
struct Medium {
    std::string root;     // the fresh folder, without a final backslash
    std::string folder;   // root\medium
    std::string target;   // root\target, not created: a target directory for the installation
};

// The three time stamps of a file, in the order of GetFileTime.
struct FileTimes {
    FILETIME creation;
    FILETIME lastAccess;
    FILETIME lastWrite;
};

// The folder of the running program, without a final backslash.
std::string ProgramFolder();

// Makes a fresh folder named after prefix, its medium folder with a copy of the SETUP.EXE that
// lies beside the running program, and SETUP.INF holding script. Returns 0 or -1.
int CreateMedium(const char* prefix, const std::string& script, Medium* medium);

// Like CreateMedium, with the sample medium that the build keeps beside the running program
// (demo-medium, with its own SETUP.INF) and the editor Quillor.exe. Returns 0 or -1.
int CreateSampleMedium(const char* prefix, Medium* medium);

// Copies the program file name that lies beside the running program into the medium. 0 or -1.
int CopyProgramToMedium(const Medium& medium, const char* name);

// Copies the files of the directory tree from into the existing folder to. 0 or -1.
int CopyTree(const std::string& from, const std::string& to);

// Deletes the medium's whole folder. Safe to call twice.
void RemoveMedium(Medium* medium);

// Writes a file below the medium folder (name may hold subdirectories, which are made). 0 or -1.
int WriteMediumFile(const Medium& medium, const std::string& name, const std::string& bytes);

// size bytes of a pattern that differs with seed and from one 8192-byte chunk to the next.
std::string PatternBytes(size_t size, unsigned seed);

// Writes bytes to path, replacing the file. 0 or -1.
int WriteFileBytes(const std::string& path, const std::string& bytes);

// Reads a whole file into bytes. 0 or -1 (no such file).
int ReadFileBytes(const std::string& path, std::string* bytes);

// Nonzero when path names an existing file or directory.
int PathExists(const std::string& path);

// The size of a file from its directory entry, without opening it (works while another process
// holds it open without sharing), or -1.
long long ReadFileSizeOnDisk(const std::string& path);

// Reads or sets the three time stamps of a file. 0 or -1.
int ReadFileTimes(const std::string& path, FileTimes* times);
int WriteFileTimes(const std::string& path, const FileTimes& times);

// A time stamp from a calendar date and time (UTC).
FILETIME MakeFileTime(int year, int month, int day, int hour, int minute, int second);

// Deletes a file or a directory tree. 0 when nothing is left there.
int RemoveTree(const std::string& path);

// The Windows directory, without a final backslash.
std::string WindowsFolder();

// Reads a string value from the registry (32-bit view, as the setup program sees it). 0 or -1.
int ReadRegistryText(HKEY root, const char* keyPath, const char* valueName, std::string* text);
