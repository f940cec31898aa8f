// The one run at a time of the setup program and the uninstaller, machine-wide.
#include "base/run_mutex.h"

#include <windows.h>

#include "base/capacities.h"
#include "base/safe_paths.h"
#include "base/shared_files.h"

// In the Windows directory: a name that nobody but an administrator can create there.
static const char kRunLockName[] = "Quillor Setup.lock";

// Whether the folder that holds path's last name is one that only administrators can write,
// and is reached through no link. Cuts path at that name for the while.
static int IsTrustedLockFolder(char* path, int nameAt)
{
    char saved = path[nameAt];
    path[nameAt] = '\0';
    HANDLE folder = CreateFileA(path, READ_CONTROL | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0,
                                OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, 0);
    int trusted = 0;
    if (folder != INVALID_HANDLE_VALUE) {
        trusted = CheckOpenedPath(folder, path, 0, kWholePath) == 0 &&
                  IsAdministratorsOnly(folder) == 0;
        CloseHandle(folder);
    }
    path[nameAt] = saved;
    return trusted;
}

RunLock TakeRunMutex(RunScope, char* lockPath)
{
    lockPath[0] = '\0';
    if (JoinWindowsPath(lockPath, kRunLockName) != 0)
        return kRunLockFailed;
    int nameAt = 0;
    for (int i = 0; lockPath[i] != '\0'; i++) {
        if (lockPath[i] == '\\')
            nameAt = i;
    }
    if (!IsTrustedLockFolder(lockPath, nameAt)) {
        SetLastError(0);
        return kRunLockFailed;
    }
    // No sharing: a second run cannot open the file while this one holds it. The handle stays
    // open for the rest of the run; the file goes when the process ends. (Something else at
    // this name, which only an administrator could have put there, loses the name then.)
    HANDLE lock = CreateFileA(lockPath, GENERIC_READ | GENERIC_WRITE | DELETE, 0, 0, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT |
                                  FILE_FLAG_DELETE_ON_CLOSE,
                              0);
    if (lock == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION ? kRunLockHeld : kRunLockFailed;
    if (CheckOpenedPath(lock, lockPath, 1, kWholePath) != 0) {
        CloseHandle(lock);
        SetLastError(0);
        return kRunLockFailed;
    }
    return kRunLockTaken;
}
