// The record of what a run changed on disk: the files and folders it created and the older files it set aside, undone newest first or kept.
#include "base/run_record.h"

#include "base/capacities.h"
#include "base/format_text.h"
#include "base/heap_blocks.h"
#include "base/run_log.h"
#include "base/safe_paths.h"
#include "text/bounded_text.h"

// One change: a created file or folder (aside 0), an older file set aside at aside, or
// (held) an older file that stays while its new copy is written at aside. The identity
// (volume and file index) is the one the file or folder had when it was recorded.
struct RunChange {
    RunChange* older;
    char* aside;
    DWORD number;               // 1 for the oldest change, one more for each newer one
    int keptLength;             // a file set aside for good: its folders below this length go
                                // with it when they are left empty
    // Kept in the registry from here on: the rest, then path and aside, each ended by a zero.
    DWORD held;
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
    char path[1];
};

// While a run changes files, every change is also a binary value of this key, named by its
// number: a run that is killed is undone by the next one. Only administrators can write it,
// and its paths are the ones this program recorded.
#define RECORD_PARENT "Software\\Quillor Setup"
static const char kRecordParent[] = RECORD_PARENT;
static const char kRecordKey[] = RECORD_PARENT "\\Run record";

enum { kSavedCapacity = 16 + 2 * kPathCapacity };

static const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Never through a link at the path itself; folders open too.
static const DWORD kOpenItself = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;

static RunChange* newestChange;
static HKEY recordKey;
// The record of an installation for the current user lives in that user's registry, and
// nothing of it waits for a restart: the list of operations at restart is the machine's.
static int perUser;

void UseRunRecordOf(InstallScope scope)
{
    perUser = scope == kScopeCurrentUser;
}

// The root key of the record.
static HKEY RecordRoot(void)
{
    return perUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}
// The newest change before the file in hand.
static RunChange* fileMark;

// The value name of a change: its number in eight digits.
static void FormValueName(char* name, DWORD number)
{
    FormatText(name, "%08lu", number);
}

// Writes the change into the record key (opened on the first change).
static void SaveChange(RunChange* change)
{
    if (recordKey == 0 && RegCreateKeyExA(RecordRoot(), kRecordKey, 0, 0, 0,
                                          KEY_SET_VALUE | KEY_QUERY_VALUE, 0, &recordKey,
                                          0) != ERROR_SUCCESS)
        recordKey = 0;
    const char* end = change->aside != 0 ? change->aside : change->path;
    end += TextLength(end) + 1;
    char name[kNameCapacity];
    FormValueName(name, change->number);
    RegSetValueExA(recordKey, name, 0, REG_BINARY, reinterpret_cast<BYTE*>(&change->held),
                   static_cast<DWORD>(end - reinterpret_cast<char*>(&change->held)));
}

// A new change of byteCount bytes after its header, zeroed, as the newest. 0 without memory.
static RunChange* PushChange(int byteCount)
{
    RunChange* change = static_cast<RunChange*>(
        AllocateBlock(sizeof(RunChange) + byteCount));
    if (change == 0)
        return 0;
    change->older = newestChange;
    change->number = newestChange != 0 ? newestChange->number + 1 : 1;
    newestChange = change;
    return change;
}

// Adds a change with the identity in info (aside may be 0) and saves it. Returns it, or 0
// without memory.
static RunChange* AddChange(const char* path, const char* aside,
                            const BY_HANDLE_FILE_INFORMATION* info)
{
    int pathLength = TextLength(path);
    int asideLength = aside != 0 ? TextLength(aside) + 1 : 0;
    RunChange* change = PushChange(pathLength + asideLength);
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
    SaveChange(change);
    return change;
}

// Forgets the newest change. Its value stays until the record key goes, or a newer change
// of the same number overwrites it: undoing a change again finds nothing left to do.
static void DropNewestChange(void)
{
    RunChange* change = newestChange;
    newestChange = change->older;
    FreeBlock(change);
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

// Leaves the move of from to `to` (0: its deletion) to the next restart, and logs the file in
// use that waits for it. Returns nonzero when the move is registered.
static int LeaveToRestart(const char* from, const char* to, DWORD flags)
{
    int left = !perUser && MoveFileExA(from, to, MOVEFILE_DELAY_UNTIL_REBOOT | flags);
    if (left)
        LogLine("In use until the restart: %s", to != 0 ? to : from);
    return left;
}

// Renames path, a program that runs (it cannot be deleted, but it can be renamed), to a free
// name "<path>.<number>~" in its folder and leaves that to be deleted at the next restart.
// Nothing at a name tried is replaced. Returns nonzero when done.
static int MoveAside(const char* path)
{
    // A path read back from the record may be as long as the value holds.
    char aside[kSavedCapacity];
    for (DWORD number = 1; number < 10; number++) {
        FormatText(aside, "%s.%lu~", path, number);
        if (MoveFileExA(path, aside, 0))
            return LeaveToRestart(aside, 0, 0);
    }
    return 0;
}

// Removes path (a file, or a folder only when empty) when it is still the one of change,
// through the handle that checked it. A file that the run created and that may not be deleted
// (a program that runs) is moved aside, to be deleted at the next restart, while that check
// still holds it open. Returns -1 when it is and stays.
static int RemoveRecorded(const char* path, const RunChange* change)
{
    HANDLE file = OpenRecorded(path, change, DELETE);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    BOOL dispose = TRUE;
    BOOL removed =
        SetFileInformationByHandle(file, FileDispositionInfo, &dispose, sizeof dispose) ||
        (path == change->path && GetLastError() == ERROR_ACCESS_DENIED && MoveAside(path));
    CloseHandle(file);
    return removed ? 0 : -1;
}

// Undoes the newest change and forgets it.
static void UndoNewestChange(void)
{
    const RunChange* change = newestChange;
    if (change->aside == 0) {
        // A new program that runs is moved aside, so that an older file can go back.
        RemoveRecorded(change->path, change);
    } else if (!change->held) {
        // The set-aside file goes back over the new one, when it is still the one recorded.
        HANDLE file = OpenRecorded(change->aside, change, 0);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            MoveFileExA(change->aside, change->path, MOVEFILE_REPLACE_EXISTING);
        }
    }
    DropNewestChange();
}

// Removes the folders of path below its first keptLength characters, deepest first, as long as
// each is empty; each by its handle, checked against links (path is cut on the way).
static void RemoveEmptiedFolders(char* path, int keptLength)
{
    for (char* cut = FindLastChar(path, '\\'); cut > path + keptLength;
         cut = FindLastChar(path, '\\')) {
        *cut = '\0';
        HANDLE folder = CreateFileA(path, DELETE | FILE_READ_ATTRIBUTES, kShareAll, 0,
                                    OPEN_EXISTING, kOpenItself, 0);
        if (folder == INVALID_HANDLE_VALUE)
            return;
        int removed =
            CheckOpenedPath(folder, path, 0, kWholePath) == 0 && DeleteOpenedFile(folder) == 0;
        CloseHandle(folder);
        if (!removed)
            return;
    }
}

// Keeps the newest change and forgets it. Returns nonzero when it waits for a restart.
static int KeepNewestChange(void)
{
    const RunChange* change = newestChange;
    int restart = 0;
    if (change->held)
        restart = LeaveToRestart(change->aside, change->path, MOVEFILE_REPLACE_EXISTING);
    else if (change->aside != 0 && RemoveRecorded(change->aside, change) != 0)
        restart = LeaveToRestart(change->aside, 0, 0);
    else if (change->keptLength != 0)
        RemoveEmptiedFolders(newestChange->path, change->keptLength);
    DropNewestChange();
    return restart;
}

// Sets the older file at path aside, as CreateRecordedFile tells; *openPath becomes the path
// to create the new file at when that is not path. With `check`, only a plain file with one
// name, known by this path, is set aside. Returns *replaced's value.
static SetAsideResult SetAsideOldFile(const char* path, const char** openPath, PathCheck check)
{
    HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES, kShareAll, 0, OPEN_EXISTING,
                              kOpenItself, 0);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? kAsideNothing
                                                                              : kAsideRefused;
    }
    BY_HANDLE_FILE_INFORMATION info;
    BOOL known = GetFileInformationByHandle(file, &info) &&
                 (check == kNoCheck || CheckOpenedPath(file, path, 1, check) == 0);
    CloseHandle(file);
    // A read-only file of the person's stays, as it did when it was written over in place, and
    // so do a folder and a link: opening them for writing is refused as it was then.
    SetLastError(ERROR_ACCESS_DENIED);
    if (!known || (info.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return kAsideRefused;
    // The name beside it is the path with the change's number: "<name>.<number>~".
    char aside[kPathCapacity];
    if (TextLength(path) > kPathCapacity - 13)
        return kAsideRefused;
    FormatText(aside, "%s.%lu~", path, newestChange != 0 ? newestChange->number + 1 : 1);
    RunChange* change = AddChange(path, aside, &info);
    if (change == 0)
        return kAsideRefused;
    if (MoveFileExA(path, aside, 0))
        return kAsideMoved;
    // Held without even a rename allowed: the new file is made at the name beside it, to take
    // its place at the next restart, which a user's own installation cannot ask for.
    if (GetLastError() == ERROR_SHARING_VIOLATION && !perUser) {
        change->held = 1;
        SaveChange(change);
        *openPath = change->aside;
        return kAsideHeld;
    }
    DropNewestChange();
    return kAsideRefused;
}

HANDLE CreateRecordedFile(const char* path, PathCheck check, SetAsideResult* replaced)
{
    fileMark = newestChange;
    const char* openPath = path;
    // Tried as new first: an older file is the rarer case, and under Wine each name that is
    // not there costs a scan of its folder.
    HANDLE file = CreateCheckedFile(path, 0, check);
    *replaced = kAsideNothing;
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS &&
        (*replaced = SetAsideOldFile(path, &openPath, check)) > kAsideNothing)
        file = CreateCheckedFile(openPath, 0, check);
    // The new file is recorded in place of an older one too: undone, it goes first (a program
    // that runs from it is moved aside to a free name), and then the older one is put back; and
    // a later step knows it as this run's whatever name it is given.
    if (file == INVALID_HANDLE_VALUE)
        UndoFileInHand();
    else
        NoteCreated(openPath, file);
    return file;
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

void UndoFileInHand(void)
{
    while (newestChange != 0 && newestChange != fileMark)
        UndoNewestChange();
}

// Deletes the record key: from then on a killed run has nothing to undo.
static void DeleteRecordKey(void)
{
    RegCloseKey(recordKey);
    recordKey = 0;
    RegDeleteKeyA(RecordRoot(), kRecordKey);
    // Its parent goes too once empty: an uninstall leaves nothing of the program's own.
    RegDeleteKeyA(RecordRoot(), kRecordParent);
}

int EndRunRecord(int undo)
{
    int restart = 0;
    // Kept, the run is done once the key is gone; undone, only once every change is.
    if (!undo)
        DeleteRecordKey();
    while (newestChange != 0) {
        if (undo)
            UndoNewestChange();
        else
            restart |= KeepNewestChange();
    }
    DeleteRecordKey();
    fileMark = 0;
    return restart;
}

void UndoKilledRun(void)
{
    if (RegOpenKeyExA(RecordRoot(), kRecordKey, 0, KEY_SET_VALUE | KEY_QUERY_VALUE,
                      &recordKey) != ERROR_SUCCESS)
        return;
    // The changes are numbered from 1 without a gap: each is dropped newest first.
    for (;;) {
        char name[kNameCapacity];
        DWORD size = kSavedCapacity;
        RunChange* change = PushChange(kSavedCapacity);
        if (change == 0)
            break;
        FormValueName(name, change->number);
        if (RegQueryValueExA(recordKey, name, 0, 0, reinterpret_cast<BYTE*>(&change->held),
                             &size) != ERROR_SUCCESS) {
            DropNewestChange();
            break;
        }
        // The zeroed tail ends both texts; an aside follows the path when the value goes on.
        char* after = change->path + TextLength(change->path) + 1;
        if (after < reinterpret_cast<char*>(&change->held) + size)
            change->aside = after;
    }
    EndRunRecord(1);
    LogLine("A killed run's record was found and undone");
}

SetAsideResult SetAsideRecorded(const char* path, PathCheck check, int keptLength)
{
    const char* openPath = path;
    fileMark = newestChange;
    SetAsideResult aside = SetAsideOldFile(path, &openPath, check);
    // A file that this run created, named another way (a short name, a "." step), is the new
    // installation's own and stays; so does one held so that not even a rename is allowed.
    for (const RunChange* change = fileMark; aside == kAsideMoved && change != 0;
         change = change->older) {
        if (change->aside == 0 && change->volume == newestChange->volume &&
            change->indexHigh == newestChange->indexHigh &&
            change->indexLow == newestChange->indexLow)
            aside = kAsideNothing;
    }
    if (aside != kAsideMoved)
        UndoFileInHand();
    else
        newestChange->keptLength = keptLength;
    return aside;
}
