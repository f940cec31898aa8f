// The files of the Windows directory that installations share, and the use count of each (SharedDLLs).
#pragma once

// Puts the Windows directory's path of name into path (kPathCapacity bytes). Returns 0, or -1
// when the directory is unavailable or the path does not fit.
int JoinWindowsPath(char* path, const char* name);

// The count of the file at path (in full), or -1 when it has none. A count beyond the largest
// int reads as the largest int.
int ReadSharedCount(const char* path);

// Stores the count of path; 0 removes it (one that is not there counts as removed). Returns 0,
// or -1 when the registry refuses.
int WriteSharedCount(const char* path, int count);

// What an installation that lets go of a file of the Windows directory does with it.
enum SharedRelease {
    kSharedUncounted,   // no count: the file was there before any installation, and stays
    kSharedStill,       // others count it still: the count is one less, the file stays
    kSharedFailed,      // the lowered count could not be written: the file stays
    kSharedLast,        // this installation was the last to count it: the count is left as it
                        // is for the caller, who removes the file and then the count
};

// Lowers the count of path by one, unless this installation is the last that counts it.
SharedRelease ReleaseSharedFile(const char* path);
