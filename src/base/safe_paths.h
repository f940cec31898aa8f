// Files and folders checked by their open handle against links, and the access list of the
// installation's folders.
#pragma once

#include <windows.h>

// Whether the open handle is the file or folder that path names, and nothing else: no link
// itself (a reparse point), not reached through one anywhere on the path (the handle's final
// path is path), a folder when isFile is 0, and for a file its only name (one hard link).
// Returns 0, or -1.
int CheckOpenedPath(HANDLE handle, const char* path, int isFile);

// The same for an entry of a folder of the person's own account, whose path may lead through
// links of theirs (a desktop kept elsewhere): only the last step, from that folder to the
// object, must be no link. Returns 0, or -1.
int CheckOpenedEntry(HANDLE handle, const char* path, int isFile);

// Opens path for writing with access (GENERIC_WRITE and DELETE added) and flags, creating it
// when missing; *created tells whether this call made it. A new file is asked for first: a
// link to nowhere at that name then fails instead of creating its target elsewhere. Returns
// the handle or INVALID_HANDLE_VALUE.
HANDLE OpenFileForWriting(const char* path, DWORD access, DWORD flags, int* created);

// The same for a file that must be path itself (CheckOpenedPath when wholePath, else
// CheckOpenedEntry): one that is not is neither written nor kept open, and is removed again
// when this call made it.
HANDLE OpenCheckedFile(const char* path, DWORD access, int* created, int wholePath);

// Gives the object of the open handle (opened with WRITE_DAC and WRITE_OWNER) the owner and
// the protected access list of the installation's folders: administrators and the system full
// control, users read and execute, nothing inherited. Returns 0, or -1.
int ProtectOpenedObject(HANDLE handle);

// Creates the folder path with that access list. Returns the CreateDirectoryA result.
BOOL CreateProtectedFolder(const char* path);

// Removes the open file when its handle is closed (the handle holds DELETE access): the file
// in hand, whatever its path names by then. Returns 0, or -1.
int DeleteOpenedFile(HANDLE file);
