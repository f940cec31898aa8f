// Files and folders checked by their open handle against links, and the access list of the
// installation's folders.
#pragma once

#include <windows.h>

#include "base/capacities.h"

// The final path carries a "\\?\" prefix before the drive.
enum { kFinalPrefix = 4, kFinalCapacity = kPathCapacity + kFinalPrefix };

// Writes into final (kFinalCapacity bytes) the path by which the system knows the open object,
// links resolved, with its "\\?\" prefix. Returns its length, or 0.
int ReadFinalPath(HANDLE handle, char* final);

// Whether the open handle is the file or folder that path names, and nothing else: no link
// itself (a reparse point), a folder when isFile is 0, and for a file its only name (one hard
// link). With wholePath it is not reached through a link anywhere on the path either (the
// handle's final path is path in full); without, the path's folder is one of the person's own
// account and may lie elsewhere (a desktop kept on another drive), and only the last step,
// from that folder to the object, must be no link. Returns 0, or -1.
int CheckOpenedPath(HANDLE handle, const char* path, int isFile, int wholePath);

// What CreateCheckedFile checks of the file it made: nothing (a file of the Windows
// directory), or CheckOpenedPath without or with wholePath.
enum PathCheck { kNoCheck = -1, kLastStep = 0, kWholePath = 1 };

// Creates path as a new file only (GENERIC_WRITE and DELETE added to access), never through a
// link at the name itself; a new file that fails `check` is removed again and the call fails
// with ERROR_ACCESS_DENIED. Fails with ERROR_FILE_EXISTS only when something is at the name.
// Others may open it as `share` allows (by default not at all).
HANDLE CreateCheckedFile(const char* path, DWORD access, PathCheck check, DWORD share = 0);

// Gives the object of the open handle (opened with WRITE_DAC and WRITE_OWNER) the owner and
// the protected access list (made once for the process) of the installation's folders:
// administrators and the system full control, users read and execute, nothing inherited.
// Returns 0, or -1.
int ProtectOpenedObject(HANDLE handle);

// Whether only administrators can change the open object (opened with READ_CONTROL) or what is
// in it: its owner, and every entry of its access list that allows writing, adding, or
// changing the list or the owner, name the administrators, the system, the installer service
// or this process's own account (an administrator's, as the programs run elevated). Returns
// 0, or -1 (also when the list cannot be read, or there is none: then anybody may).
int IsAdministratorsOnly(HANDLE handle);

// Creates the folder path with that access list. Returns the CreateDirectoryA result.
BOOL CreateProtectedFolder(const char* path);

// Removes the open file when its handle is closed (the handle holds DELETE access): the file
// in hand, whatever its path names by then. Returns 0, or -1.
int DeleteOpenedFile(HANDLE file);
