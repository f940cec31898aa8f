// The record of what a run changed on disk: the files and folders it created and the older files it set aside, undone newest first or kept.
#include "copy/run_record.h"

#include "base/capacities.h"
#include "base/system_libraries.h"
#include "text/bounded_text.h"

// One change: a created file or folder (aside 0), or an older file set aside at aside. The
// identity (volume and file index) is the one the file or folder had when it was recorded.
struct RunChange {
    RunChange* older;
    char* aside;
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
    char path[1];
};

typedef BOOL(WINAPI* SetFileInformationCall)(HANDLE, int, LPVOID, DWORD);

enum { kFileDispositionInfo = 4 };

static const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Never through a link at the path itself; folders open too.
static const DWORD kOpenItself = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;

static RunChange* newestChange;

// Adds a change with the identity in info (aside may be 0). Returns it, or 0 without memory.
static RunChange* AddChange(const char* path, const char* aside,
                            const BY_HANDLE_FILE_INFORMATION* info)
{
    int pathLength = TextLength(path);
    int asideLength = aside != 0 ? TextLength(aside) + 1 : 0;
    RunChange* change = static_cast<RunChange*>(HeapAlloc(
        GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(RunChange) + pathLength + asideLength));
    if (change == 0)
        return 0;
    CopyBounded(change->path, pathLength + 1, path, pathLength);
    if (aside != 0) {
        change->aside = change->path + pathLength + 1;
        CopyBounded(change->aside, asideLength, aside, asideLength - 1);
    }
    change->volume = info->dwVolumeSerialNumber;
    change->indexHigh = info->nFileIndexHigh;
    change->indexLow = info->nFileIndexLow;
    change->older = newestChange;
    newestChange = change;
    return change;
}

static void DropNewestChange(void)
{
    RunChange* change = newestChange;
    newestChange = change->older;
    HeapFree(GetProcessHeap(), 0, change);
}

// Opens path itself with access when it is still the file or folder of change; else
// INVALID_HANDLE_VALUE.
static HANDLE OpenRecorded(const char* path, const RunChange* change, DWORD access)
{
    HANDLE file = CreateFileA(path, access | FILE_READ_ATTRIBUTES, kShareAll, 0, OPEN_EXISTING,
                              kOpenItself, 0);
    BY_HANDLE_FILE_INFORMATION info;
    if (file != INVALID_HANDLE_VALUE &&
        !(GetFileInformationByHandle(file, &info) && info.dwVolumeSerialNumber == change->volume &&
          info.nFileIndexHigh == change->indexHigh && info.nFileIndexLow == change->indexLow)) {
        CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    }
    return file;
}

// Removes path (a file, or a folder only when empty) when it is still the one of change,
// through the handle that checked it where the system can.
static void RemoveRecorded(const char* path, const RunChange* change)
{
    SetFileInformationCall setInformation = reinterpret_cast<SetFileInformationCall>(
        FindSystemProcedure("kernel32.dll", "SetFileInformationByHandle"));
    HANDLE file = OpenRecorded(path, change, DELETE);
    if (file == INVALID_HANDLE_VALUE)
        return;
    BOOL dispose = TRUE;
    BOOL removed =
        setInformation != 0 && setInformation(file, kFileDispositionInfo, &dispose, sizeof dispose);
    CloseHandle(file);
    if (!removed && !DeleteFileA(path))
        RemoveDirectoryA(path);
}

// Renames the set-aside file of change back to its path, over the new file there.
static void PutBack(const RunChange* change)
{
    HANDLE file = OpenRecorded(change->aside, change, 0);
    if (file == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(file);
    MoveFileExA(change->aside, change->path, MOVEFILE_REPLACE_EXISTING);
}

int SetAsideOldFile(const char* path)
{
    HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES, kShareAll, 0, OPEN_EXISTING,
                              kOpenItself, 0);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : -1;
    }
    BY_HANDLE_FILE_INFORMATION info;
    BOOL known = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    // A read-only file of the person's stays, as it did when it was written over in place.
    if (!known || (info.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return -1;
    char folder[kPathCapacity];
    char aside[kPathCapacity];
    CopyBounded(folder, kPathCapacity, path, static_cast<int>(FindLastChar(const_cast<char*>(path), '\\') - path));
    if (!GetTempFileNameA(folder, "old", 0, aside))
        return -1;
    if (AddChange(path, aside, &info) != 0) {
        if (MoveFileExA(path, aside, MOVEFILE_REPLACE_EXISTING))
            return 1;
        DropNewestChange();
    }
    DeleteFileA(aside);
    return -1;
}

void NoteCreated(const char* path, HANDLE handle)
{
    HANDLE opened = handle != 0 ? handle
                                : CreateFileA(path, FILE_READ_ATTRIBUTES, kShareAll, 0,
                                              OPEN_EXISTING, kOpenItself, 0);
    BY_HANDLE_FILE_INFORMATION info;
    if (opened != INVALID_HANDLE_VALUE && GetFileInformationByHandle(opened, &info))
        AddChange(path, 0, &info);
    if (handle == 0 && opened != INVALID_HANDLE_VALUE)
        CloseHandle(opened);
}

void PutBackOldFile(const char* path)
{
    if (newestChange == 0 || newestChange->aside == 0 || lstrcmpA(newestChange->path, path) != 0)
        return;
    PutBack(newestChange);
    DropNewestChange();
}

void EndRunRecord(int undo)
{
    while (newestChange != 0) {
        const RunChange* change = newestChange;
        if (change->aside == 0) {
            if (undo)
                RemoveRecorded(change->path, change);
        } else if (undo) {
            PutBack(change);
        } else {
            RemoveRecorded(change->aside, change);
        }
        DropNewestChange();
    }
}
