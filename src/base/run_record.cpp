// The record of what a run changed: the files and folders it created, the older files it set aside and the registry values it wrote, undone newest first or kept.
#include "base/run_record.h"

#include "base/capacities.h"
#include "base/format_text.h"
#include "base/heap_blocks.h"
#include "base/run_log.h"
#include "base/safe_paths.h"
#include "text/bounded_text.h"

// What a change is.
enum ChangeKind {
    kFileChange = 0,      // a created file or folder (aside 0), or an older file set aside
    kHeldFile = 1,        // an older file that stays while its new copy is written at aside
    kRegistryChange = 2,  // a registry value
};

// No value: the type of a value that is absent.
static const DWORD kNoValue = 0xFFFFFFFF;

// One change. A file's identity (volume and file index) is the one the file or folder had
// when it was recorded. A registry value's path is its key's path, followed by its name, the
// earlier data and the data written.
struct RunChange {
    RunChange* older;
    char* aside;
    DWORD number;               // 1 for the oldest change, one more for each newer one
    // Kept in the registry from here on: the rest, then path and aside, each ended by a zero.
    DWORD kind;
    DWORD volume;               // a registry value: its root key
    DWORD indexHigh;            // a registry value: its earlier type, or kNoValue
    DWORD indexLow;             // a registry value: the size of its earlier data
    DWORD newType;              // a registry value: the type written, or kNoValue
    DWORD newSize;
    union {
        DWORD newKeys;          // a registry value: the keys at the end of the path it created
        DWORD keptLength;       // a file set aside for good: its folders below this length go
                                // with it when they are left empty (kept in the registry, so
                                // that a run finished after a kill removes them too)
    };
    char path[1];
};

// While a run changes files, every change is also a binary value of this key, named by its
// number: a run that is killed is undone by the next one. Only administrators can write it,
// and its paths are the ones this program recorded.
static const char kRecordKey[] = "Software\\Quillor Setup\\Run record";
// Set in the record key once the run is done and before anything is cleaned up: the next run
// finishes a committed record (a kill while it cleaned up) and undoes any other.
static const char kCommittedValue[] = "Committed";

enum { kSavedCapacity = 16 + 2 * kPathCapacity };

static const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Never through a link at the path itself; folders open too.
static const DWORD kOpenItself = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;

static RunChange* newestChange;
static HKEY recordKey;
// Whether registry writes are recorded: from OpenRunRecord to EndRunRecord.
static int recordOpen;
// The newest change before the file in hand.
static RunChange* fileMark;

// The value name of a change: its number in eight digits.
static void FormValueName(char* name, DWORD number)
{
    FormatText(name, "%08lu", number);
}

// The name of a registry change, after its key's path.
static const char* ValueNameOf(const RunChange* change)
{
    return change->path + TextLength(change->path) + 1;
}

// The earlier data of a registry change, after its name; the data written follows it.
static const BYTE* EarlierDataOf(const RunChange* change)
{
    const char* name = ValueNameOf(change);
    return reinterpret_cast<const BYTE*>(name + TextLength(name) + 1);
}

// Writes the change into the record key (opened on the first change). 0, or -1 when the
// registry refuses.
static int SaveChange(RunChange* change)
{
    if (recordKey == 0 && RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRecordKey, 0, 0, 0,
                                          KEY_SET_VALUE | KEY_QUERY_VALUE, 0, &recordKey,
                                          0) != ERROR_SUCCESS)
        recordKey = 0;
    const char* end = change->aside != 0 ? change->aside : change->path;
    end += TextLength(end) + 1;
    if (change->kind == kRegistryChange)
        end = reinterpret_cast<const char*>(EarlierDataOf(change)) + change->indexLow +
              change->newSize;
    char name[kNameCapacity];
    FormValueName(name, change->number);
    return RegSetValueExA(recordKey, name, 0, REG_BINARY, reinterpret_cast<BYTE*>(&change->kind),
                          static_cast<DWORD>(end - reinterpret_cast<char*>(&change->kind))) ==
                   ERROR_SUCCESS
               ? 0
               : -1;
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

// Copies the identity of the file that info describes into change.
static void TakeIdentity(RunChange* change, const BY_HANDLE_FILE_INFORMATION* info)
{
    change->volume = info->dwVolumeSerialNumber;
    change->indexHigh = info->nFileIndexHigh;
    change->indexLow = info->nFileIndexLow;
}

// Adds a change with the identity in info (aside may be 0; info 0: a file not made yet, whose
// identity stays zero) and saves it. Returns it, or 0 without memory.
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
    if (info != 0)
        TakeIdentity(change, info);
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
// INVALID_HANDLE_VALUE. A change recorded before its file was made, and killed before the
// file's identity was (it has none), holds an empty file: the run writes to a file only once
// its identity is recorded, so an empty file at that name is the run's, and nothing else is
// (an empty folder there, which only the deletion of an empty one removes, loses nothing).
static HANDLE OpenRecorded(const char* path, const RunChange* change, DWORD access)
{
    HANDLE file = CreateFileA(path, access | FILE_READ_ATTRIBUTES, kShareAll, 0, OPEN_EXISTING,
                              kOpenItself, 0);
    BY_HANDLE_FILE_INFORMATION info;
    int unknown = change->volume == 0 && change->indexHigh == 0 && change->indexLow == 0;
    if (file != INVALID_HANDLE_VALUE &&
        !(GetFileInformationByHandle(file, &info) &&
          (unknown ? info.nFileSizeLow == 0 && info.nFileSizeHigh == 0
                   : info.dwVolumeSerialNumber == change->volume &&
                      info.nFileIndexHigh == change->indexHigh &&
                      info.nFileIndexLow == change->indexLow))) {
        CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
        SetLastError(ERROR_FILE_NOT_FOUND);
    }
    return file;
}

// Leaves the move of from to `to` (0: its deletion) to the next restart, and logs the file in
// use that waits for it. Returns nonzero when the move is registered.
static int LeaveToRestart(const char* from, const char* to, DWORD flags)
{
    int left = MoveFileExA(from, to, MOVEFILE_DELAY_UNTIL_REBOOT | flags);
    if (left)
        LogLine("In use until the restart: %s", to != 0 ? to : from);
    return left;
}

// Forms in aside the first free name "<path>.<number>~" from number on: files that earlier runs
// left beside path never stop a run.
static void FormFreeAside(char* aside, const char* path, DWORD number)
{
    do
        FormatText(aside, "%s.%lu~", path, number++);
    while (GetFileAttributesA(aside) != INVALID_FILE_ATTRIBUTES && number < 0x10000);
}

// Renames path, a program that runs (it cannot be deleted, but it can be renamed), to a free
// name beside it and leaves that to be deleted at the next restart. Nothing at the name is
// replaced. Returns nonzero when done.
static int MoveAside(const char* path)
{
    // A path read back from the record may be as long as the value holds.
    char aside[kSavedCapacity];
    FormFreeAside(aside, path, 1);
    return MoveFileExA(path, aside, 0) && LeaveToRestart(aside, 0, 0);
}

// Removes path (a file, or a folder only when empty) when it is still the one of change,
// through the handle that checked it. A file that the run created and that may not be deleted
// (a program that runs) is moved aside, to be deleted at the next restart, while that check
// still holds it open. Returns 0; 1 for a folder that holds what others put there since, which
// stays as theirs too; -1 when it stays otherwise: also when it is held so that it cannot even
// be opened to be checked.
static int RemoveRecorded(const char* path, const RunChange* change)
{
    HANDLE file = OpenRecorded(path, change, DELETE);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION ? -1 : 0;
    BOOL dispose = TRUE;
    BOOL removed = SetFileInformationByHandle(file, FileDispositionInfo, &dispose, sizeof dispose);
    DWORD error = GetLastError();
    if (!removed && path == change->path && error == ERROR_ACCESS_DENIED)
        removed = MoveAside(path);
    CloseHandle(file);
    return removed ? 0 : error == ERROR_DIR_NOT_EMPTY ? 1 : -1;
}

// Nonzero when the value name of key holds type and size bytes of data (kNoValue: when it is
// absent). A text written without its terminating zero is stored with it when the byte after
// the data was zero: that zero is the write's too.
static int HoldsValue(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size)
{
    DWORD storedType = kNoValue;
    DWORD storedSize = 0;
    if (RegQueryValueExA(key, name, 0, &storedType, 0, &storedSize) != ERROR_SUCCESS)
        return type == kNoValue;
    BYTE* stored = static_cast<BYTE*>(AllocateBlock(storedSize + 1));
    int same = stored != 0 && storedType == type &&
               RegQueryValueExA(key, name, 0, 0, stored, &storedSize) == ERROR_SUCCESS &&
               (storedSize == size || (storedSize == size + 1 && stored[size] == 0));
    for (DWORD i = 0; same && i < size; i++)
        same = stored[i] == data[i];
    FreeBlock(stored);
    return same;
}

// Removes the last count keys of path under root (path is cut on the way), deepest first, as
// long as each holds neither values nor keys.
static void RemoveCreatedKeys(HKEY root, char* path, DWORD count)
{
    for (; count > 0; count--) {
        HKEY key;
        if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, &key) ==
            ERROR_SUCCESS) {
            // Held when there is a first key or value, or when that cannot be told.
            char name[2];
            DWORD nameSize = sizeof name;
            int held = RegEnumKeyA(key, 0, name, sizeof name) != ERROR_NO_MORE_ITEMS ||
                       RegEnumValueA(key, 0, name, &nameSize, 0, 0, 0, 0) != ERROR_NO_MORE_ITEMS;
            RegCloseKey(key);
            if (held || RegDeleteKeyA(root, path) != ERROR_SUCCESS)
                return;
        }
        char* cut = FindLastChar(path, '\\');
        if (cut == 0)
            return;
        *cut = '\0';
    }
}

// Puts a registry value back as it was, when it still holds what the run wrote (else it is
// somebody else's now and stays), then removes the keys the write created when they are
// empty. Returns 0, 1 when the value is somebody else's, or -1 when it cannot be put back now.
static int UndoRegistryValue(const RunChange* change)
{
    HKEY root = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(change->volume));
    const char* name = ValueNameOf(change);
    const BYTE* earlier = EarlierDataOf(change);
    HKEY key;
    int result = 0;
    LONG status = RegOpenKeyExA(root, change->path, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
    if (status == ERROR_SUCCESS) {
        if (HoldsValue(key, name, change->newType, earlier + change->indexLow, change->newSize))
            status = change->indexHigh == kNoValue
                         ? RegDeleteValueA(key, name)
                         : RegSetValueExA(key, name, 0, change->indexHigh, earlier,
                                          change->indexLow);
        else if (!HoldsValue(key, name, change->indexHigh, earlier, change->indexLow))
            result = 1;
        RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        result = -1;
    char path[kSavedCapacity];
    CopyText(path, kSavedCapacity, change->path);
    RemoveCreatedKeys(root, path, change->newKeys);
    return result;
}

// Undoes the newest change. Returns 0; 1 when what is there is somebody else's since and stays;
// -1 when it cannot be undone now: a new file that stays (held by another program), or a
// set-aside file whose name is taken.
static int UndoChange(const RunChange* change)
{
    if (change->kind == kRegistryChange)
        return UndoRegistryValue(change);
    // A new program that runs is moved aside, so that an older file can go back.
    if (change->aside == 0)
        return RemoveRecorded(change->path, change);
    if (change->kind == kHeldFile)
        return 0;
    // The set-aside file goes back, when it is still the one recorded, and only to a free name:
    // the run's own new file there was removed first, so whatever is there is somebody else's.
    HANDLE file = OpenRecorded(change->aside, change, 0);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION ? -1 : 0;
    CloseHandle(file);
    return MoveFileExA(change->aside, change->path, 0) ? 0 : -1;
}

// Undoes the newest change, logs it, and forgets it. Returns -1 when it stays to be undone.
static int UndoNewestChange(void)
{
    const RunChange* change = newestChange;
    int result = UndoChange(change);
    LogLine(result == 0   ? "Undone: %s%s%s"
            : result > 0 ? "Left, changed by others since: %s%s%s"
                         : "Not undone: %s%s%s",
            change->path, change->kind == kRegistryChange ? "|" : "",
            change->kind == kRegistryChange ? ValueNameOf(change) : "");
    DropNewestChange();
    return result < 0 ? -1 : 0;
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
    if (change->kind == kHeldFile)
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
    // The name beside it is the path with a number, "<name>.<number>~": the change's number,
    // or the next free one (an earlier run's new file may wait there for the restart).
    char aside[kPathCapacity];
    if (TextLength(path) > kPathCapacity - 13)
        return kAsideRefused;
    FormFreeAside(aside, path, newestChange != 0 ? newestChange->number + 1 : 1);
    RunChange* change = AddChange(path, aside, &info);
    if (change == 0)
        return kAsideRefused;
    if (MoveFileExA(path, aside, 0))
        return kAsideMoved;
    // Held without even a rename allowed: the new file is made at the name beside it.
    if (GetLastError() == ERROR_SHARING_VIOLATION) {
        change->kind = kHeldFile;
        SaveChange(change);
        *openPath = change->aside;
        return kAsideHeld;
    }
    DropNewestChange();
    return kAsideRefused;
}

// Completes change, the newest, recorded before its file or folder was made: with the identity
// of file, which the run has made and opened, or dropped when file is INVALID_HANDLE_VALUE (not
// made). A run killed in between leaves the name in the record, and the empty file or folder
// there goes when the run is undone. Returns file.
static HANDLE CompleteNewest(RunChange* change, HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info;
    // Freeing the change's memory leaves the creation's error as it is.
    if (change == 0)
        return file;
    if (file == INVALID_HANDLE_VALUE) {
        DropNewestChange();
    } else if (GetFileInformationByHandle(file, &info)) {
        TakeIdentity(change, &info);
        SaveChange(change);
    }
    return file;
}

// Creates the new file at path (see CreateCheckedFile), recorded before it is made.
static HANDLE CreateNewRecorded(const char* path, PathCheck check)
{
    RunChange* change = AddChange(path, 0, 0);
    return CompleteNewest(change, CreateCheckedFile(path, 0, check));
}

HANDLE CreateRecordedFile(const char* path, PathCheck check, SetAsideResult* replaced)
{
    fileMark = newestChange;
    const char* openPath = path;
    // Tried as new first: an older file is the rarer case, and under Wine each name that is
    // not there costs a scan of its folder.
    HANDLE file = CreateNewRecorded(path, check);
    *replaced = kAsideNothing;
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS &&
        (*replaced = SetAsideOldFile(path, &openPath, check)) > kAsideNothing)
        file = CreateNewRecorded(openPath, check);
    // The new file is recorded in place of an older one too: undone, it goes first (a program
    // that runs from it is moved aside to a free name), and then the older one is put back; and
    // a later step knows it as this run's whatever name it is given.
    if (file == INVALID_HANDLE_VALUE)
        UndoFileInHand();
    return file;
}

BOOL CreateRecordedFolder(const char* path, int protect)
{
    RunChange* change = AddChange(path, 0, 0);
    BOOL made = protect ? CreateProtectedFolder(path) : CreateDirectoryA(path, 0);
    HANDLE folder = made ? CreateFileA(path, FILE_READ_ATTRIBUTES, kShareAll, 0, OPEN_EXISTING,
                                       kOpenItself, 0)
                         : INVALID_HANDLE_VALUE;
    if (CompleteNewest(change, folder) != INVALID_HANDLE_VALUE)
        CloseHandle(folder);
    return made;
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
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kRecordKey);
}

void OpenRunRecord(void)
{
    recordOpen = 1;
}

int RecordRegistryValue(HKEY root, const char* path, const char* name, DWORD type,
                        const void* data, DWORD size)
{
    if (!recordOpen)
        return 0;
    // The keys of the path that are missing are counted from its end.
    char keyPath[kSavedCapacity];
    int pathLength = TextLength(path);
    if (pathLength >= kPathCapacity)
        return -1;
    CopyBounded(keyPath, kSavedCapacity, path, pathLength);
    DWORD newKeys = 0;
    HKEY key = 0;
    LONG status;
    while ((status = RegOpenKeyExA(root, keyPath, 0, KEY_QUERY_VALUE, &key)) != ERROR_SUCCESS) {
        char* cut = FindLastChar(keyPath, '\\');
        if (status != ERROR_FILE_NOT_FOUND || (cut == 0 && keyPath[0] == '\0'))
            return -1;
        if (cut == 0)
            cut = keyPath;
        *cut = '\0';
        newKeys++;
    }
    DWORD earlierType = kNoValue;
    DWORD earlierSize = 0;
    if (newKeys != 0 || RegQueryValueExA(key, name, 0, &earlierType, 0, &earlierSize) !=
                            ERROR_SUCCESS) {
        earlierType = kNoValue;
        earlierSize = 0;
    }
    int nameLength = TextLength(name);
    if (data == 0)
        size = 0;
    RunChange* change = PushChange(pathLength + nameLength + 2 + earlierSize + size);
    int result = -1;
    if (change != 0) {
        change->kind = kRegistryChange;
        change->volume = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(root));
        change->indexHigh = earlierType;
        change->indexLow = earlierSize;
        change->newType = data != 0 ? type : kNoValue;
        change->newSize = size;
        change->newKeys = newKeys;
        CopyBounded(change->path, pathLength + 1, path, pathLength);
        char* earlier = change->path + pathLength + 1;
        CopyBounded(earlier, nameLength + 1, name, nameLength);
        earlier += nameLength + 1;
        const char* written = static_cast<const char*>(data);
        for (DWORD i = 0; i < size; i++)
            earlier[earlierSize + i] = written[i];
        DWORD readSize = earlierSize;
        if (earlierType != kNoValue &&
            (RegQueryValueExA(key, name, 0, 0, reinterpret_cast<BYTE*>(earlier), &readSize) !=
                 ERROR_SUCCESS ||
             readSize != earlierSize)) {
            DropNewestChange();
        } else if (newKeys == 0 && HoldsValue(key, name, change->newType,
                                              reinterpret_cast<BYTE*>(earlier) + earlierSize,
                                              size)) {
            // The value holds that already: nothing to record.
            DropNewestChange();
            result = 0;
        } else if (SaveChange(change) == 0) {
            result = 0;
        } else {
            DropNewestChange();
        }
    }
    RegCloseKey(key);
    return result;
}

// Ends the record in memory. An undo that left changes keeps the key with all of them: undoing
// again what was undone finds nothing to do, so the next run can simply start over.
static RecordEnd EndRecord(int undo)
{
    RecordEnd end = kRecordDone;
    // Kept, the run is committed first; the key goes once everything is cleaned up. Should the
    // registry refuse the mark (or no change have opened the key), the key goes first: a
    // cleaning cut short cannot be undone.
    if (!undo && RegSetValueExA(recordKey, kCommittedValue, 0, REG_BINARY, 0, 0) != ERROR_SUCCESS)
        DeleteRecordKey();
    while (newestChange != 0) {
        if (undo) {
            if (UndoNewestChange() != 0)
                end = kRecordUndoLeft;
        } else if (KeepNewestChange()) {
            end = kRecordRestart;
        }
    }
    if (end == kRecordUndoLeft) {
        RegCloseKey(recordKey);
        recordKey = 0;
        LogLine("Not all undone: the rest is left to the next run");
    } else {
        DeleteRecordKey();
    }
    fileMark = 0;
    return end;
}

RecordEnd EndRunRecord(int undo)
{
    recordOpen = 0;
    return EndRecord(undo);
}

RecordEnd UndoKilledRun(void)
{
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRecordKey, 0, KEY_SET_VALUE | KEY_QUERY_VALUE,
                      &recordKey) != ERROR_SUCCESS)
        return kRecordDone;
    LogLine("A killed run's record was found");
    // The changes are numbered from 1 without a gap: each is dropped newest first.
    for (;;) {
        char name[kNameCapacity];
        DWORD size = 0;
        FormValueName(name, newestChange != 0 ? newestChange->number + 1 : 1);
        if (RegQueryValueExA(recordKey, name, 0, 0, 0, &size) != ERROR_SUCCESS)
            break;
        RunChange* change = PushChange(size + kSavedCapacity);
        if (change == 0)
            break;
        if (RegQueryValueExA(recordKey, name, 0, 0, reinterpret_cast<BYTE*>(&change->kind),
                             &size) != ERROR_SUCCESS) {
            DropNewestChange();
            break;
        }
        // The zeroed tail ends both texts; an aside follows the path when the value goes on.
        char* after = change->path + TextLength(change->path) + 1;
        if (change->kind != kRegistryChange && after < reinterpret_cast<char*>(&change->kind) + size)
            change->aside = after;
    }
    // A committed run was killed while it cleaned up: it is finished, not undone.
    return EndRecord(RegQueryValueExA(recordKey, kCommittedValue, 0, 0, 0, 0) != ERROR_SUCCESS);
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
        if (change->aside == 0 && change->kind == kFileChange &&
            change->volume == newestChange->volume &&
            change->indexHigh == newestChange->indexHigh &&
            change->indexLow == newestChange->indexLow)
            aside = kAsideNothing;
    }
    if (aside != kAsideMoved) {
        UndoFileInHand();
    } else {
        newestChange->keptLength = keptLength;
        SaveChange(newestChange);
    }
    return aside;
}
