// Removing the installation's files and folders without ever going through a junction or a symbolic link.
#include "uninstall/file_removal.h"

#include <winioctl.h>

#include "base/product_names.h"
#include "base/run_log.h"
#include "base/safe_paths.h"
#include "base/shared_files.h"
#include "script/files_value.h"
#include "script/script_scan.h"
#include "text/bounded_text.h"
#include "uninstall/held_folders.h"
#include "uninstall/purgax_ids.h"
#include "uninstall/removal_report.h"
#include "uninstall/uninstall_paths.h"
#include "uninstall/uninstall_state.h"


// The header of a junction's or symbolic link's data: tag and data length. The deletion of the
// data is asked for with this header alone.
enum {
    kReparseHeaderSize = 8,
    kReparseDataCapacity = 16384,
};

static void ListFailure(const char* path, DWORD error)
{
    int inUse = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                error == ERROR_ACCESS_DENIED;
    AddLeftItem(path, inUse ? IDS_REASON_IN_USE : IDS_REASON_FAILED, 1);
}

// Deletes a link's reparse data so that what stays is an ordinary empty folder or file, then
// removes that. A system that cannot delete the data, where removing the link would empty the
// place it points to instead, leaves the link; a reparse point of another kind is never
// changed. 0, or -1 after listing it.
static int RemoveLinkItself(const char* path, DWORD attributes)
{
    static BYTE data[kReparseDataCapacity];
    HANDLE link = CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BOOL removed = FALSE;
    int otherKind = 0;
    if (link != INVALID_HANDLE_VALUE) {
        DWORD got = 0;
        removed = DeviceIoControl(link, FSCTL_GET_REPARSE_POINT, nullptr, 0, data, sizeof data,
                                  &got, nullptr) &&
                  got >= kReparseHeaderSize;
        DWORD tag = removed ? *reinterpret_cast<DWORD*>(data) : 0;
        // Only a junction or a symbolic link is a link; the data of any other kind (a cloud
        // placeholder, a deduplicated file) is the file itself and stays, for good.
        otherKind = removed && tag != IO_REPARSE_TAG_MOUNT_POINT && tag != IO_REPARSE_TAG_SYMLINK;
        removed = removed && !otherKind;
        if (removed) {
            DWORD headerSize = kReparseHeaderSize;
            // The data length field counts nothing in a deletion request.
            data[4] = 0;
            data[5] = 0;
            removed = DeviceIoControl(link, FSCTL_DELETE_REPARSE_POINT, data, headerSize,
                                      nullptr, 0, &got, nullptr);
        }
        CloseHandle(link);
    }
    if (removed) {
        removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryA(path)
                                                          : DeleteFileA(path);
    }
    if (!removed) {
        AddLeftItem(path, otherKind ? IDS_REASON_SPECIAL : IDS_REASON_LINK, !otherKind);
        return -1;
    }
    return 0;
}

// Deletes a read-only file that the installation wrote (the mark may have come later) through
// one handle of the very file checked. A file that also has another name keeps its mark: the
// mark is the other name's as well. 0, or the error that stands.
static DWORD RemoveReadOnlyFile(const char* path)
{
    HANDLE file = CreateFileA(path, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    BY_HANDLE_FILE_INFORMATION information;
    FILE_BASIC_INFO basic = {};
    DWORD error = ERROR_ACCESS_DENIED;
    if (GetFileInformationByHandle(file, &information)) {
        DWORD attributes = information.dwFileAttributes;
        if (information.nNumberOfLinks > 1)
            error = ERROR_TOO_MANY_LINKS;
        else if ((attributes & FILE_ATTRIBUTE_READONLY) &&
                 !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
            attributes &= ~FILE_ATTRIBUTE_READONLY;
            basic.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
            if (SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic))
                error = DeleteOpenedFile(file) == 0 ? 0 : GetLastError();
        }
    }
    CloseHandle(file);
    return error;
}

int RemoveOneFile(const char* path)
{
    DWORD error = DeleteFileA(path) ? 0 : GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return 0;
    if (error == ERROR_ACCESS_DENIED)
        error = RemoveReadOnlyFile(path);
    if (error == 0) {
        LogLine("Removed %s", path);
        return 0;
    }
    DWORD attributes = GetFileAttributesA(path);
    if (error == ERROR_TOO_MANY_LINKS)
        AddLeftItem(path, IDS_REASON_NAMED_ELSEWHERE, 0);
    else if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        AddLeftItem(path, IDS_REASON_FAILED, 1);
    else
        ListFailure(path, error);
    return -1;
}

int RemoveEmptyFolder(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 0;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return RemoveLinkItself(path, attributes);
    if (RemoveDirectoryA(path)) {
        LogLine("Removed folder %s", path);
        return 0;
    }
    DWORD error = GetLastError();
    if (error == ERROR_DIR_NOT_EMPTY)
        return 1;
    ListFailure(path, error);
    return -1;
}

// Nonzero when another program holds the folder open so that it cannot be removed.
static int IsHeldElsewhere(const char* path)
{
    HANDLE folder = CreateFileA(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(folder);
    return 0;
}

// The state of the folder below the target that holds a destination (length bytes of
// relative path), looked at once: a real folder is held open from then on, so that what was
// found stays true; links are removed as links, and nothing below a link or a missing folder
// is looked at again.
static FolderState CheckFolder(const char* relative, int length)
{
    UninstallState& u = uninstallState;
    int index = FindOrAddFolder(&u.folders, relative, length);
    if (index < 0)
        return kFolderUnchecked;
    FolderRecord& record = u.folders.records[index];
    if (record.state != kFolderUnchecked)
        return record.state;
    char name[kTextCapacity];
    CopyBounded(name, kTextCapacity, relative, length);
    JoinPath(u.path, kPathCapacity, u.target, name);
    DWORD attributes = 0;
    HANDLE held = HoldFolder(u.path, &attributes);
    if (held != INVALID_HANDLE_VALUE) {
        record.state = kFolderReal;
        record.held = held;
    } else if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        record.state = kFolderLink;
        RemoveLinkItself(u.path, attributes);
    } else if (attributes == INVALID_FILE_ATTRIBUTES &&
               GetFileAttributesA(u.path) != INVALID_FILE_ATTRIBUTES) {
        record.state = kFolderLink;
        AddLeftItem(u.path, IDS_REASON_FAILED, 1);
    } else {
        record.state = kFolderAbsent;
    }
    return record.state;
}

// Why a destination is skipped: it names a device, or leads out of its folder.
static UINT SkipReason(const char* name, int length)
{
    return HoldsDeviceName(name, length) ? IDS_REASON_DEVICE : IDS_REASON_OUTSIDE;
}

// A destination below the target: its folders are checked from the top down, and the file is
// removed only through ordinary folders.
static void RemoveTargetFile(const char* name, int length)
{
    UninstallState& u = uninstallState;
    if (!StaysInside(name, length)) {
        JoinPath(u.path, kPathCapacity, u.target, name);
        AddLeftItem(u.path, SkipReason(name, length), 0);
        return;
    }
    if (length == kScriptCopyNameLength && CompareFolded(name, kScriptCopyName, length) == 0) {
        u.copyListed = 1;
        return;
    }
    for (int i = 0; i < length; i++) {
        if (name[i] != '\\')
            continue;
        FolderState state = CheckFolder(name, i);
        if (state == kFolderUnchecked) {
            JoinPath(u.path, kPathCapacity, u.target, name);
            AddLeftItem(u.path, IDS_REASON_FAILED, 1);
        }
        if (state != kFolderReal)
            return;
    }
    if (JoinPath(u.path, kPathCapacity, u.target, name) >= 0)
        RemoveOneFile(u.path);
}

// A file of the Windows directory goes with the last installation that counts it in SharedDLLs;
// one without a count was there before and stays. The count of a file that others still count
// goes down in the second pass only (countsDue), which runs when the entry goes: a run that is
// to be retried would otherwise count it down again.
static void RemoveSharedFile(const char* path)
{
    if (uninstallState.countsReleased ||
        (ReadSharedCount(path) > 1) != uninstallState.countsDue)
        return;
    switch (ReleaseSharedFile(path)) {
    case kSharedUncounted:
        if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
            AddLeftItem(path, IDS_REASON_SHARED, 0);
        return;
    case kSharedStill:
        return;
    case kSharedFailed:
        AddLeftItem(path, IDS_REASON_FAILED, 0);
        return;
    case kSharedLast:
        if (RemoveOneFile(path) == 0)
            WriteSharedCount(path, 0);
        return;
    }
}

// A destination in the Windows directory: a plain file name only.
static void RemoveWindowsFile(const char* name, int length)
{
    UninstallState& u = uninstallState;
    int fits = JoinPath(u.path, kPathCapacity, u.windowsDir, name) >= 0;
    if (!IsPlainName(name, length)) {
        if (!u.countsDue)
            AddLeftItem(u.path, SkipReason(name, length), 0);
        return;
    }
    if (length == TextLength(kUninstallerFileName) &&
        CompareFolded(name, kUninstallerFileName, length) == 0) {
        u.uninstallerListed = 1;
        return;
    }
    if (fits)
        RemoveSharedFile(u.path);
    else if (!u.countsDue)
        AddLeftItem(u.path, IDS_REASON_FAILED, 0);
}

void RemoveScriptFiles(void)
{
    UninstallState& u = uninstallState;
    int cursor = 0;
    if (ScanForSection(u.scriptText, u.filesSection, &cursor) != 0)
        return;
    for (;;) {
        int keyLength = 0;
        int valueLength = 0;
        const char* valueStart = nullptr;
        int lineLength = ParseEntry(u.scriptText + cursor, &keyLength, &valueStart, &valueLength);
        if (lineLength == 0)
            break;
        cursor += lineLength;
        if (keyLength == 0 && valueLength == 0)
            continue;
        // The destination exactly as the installer cut and split it.
        FilesValue split = SplitFilesValue(valueStart, valueLength, u.entryValue, kTextCapacity);
        u.entryValue[split.nameLength] = '\0';
        if (split.nameLength == 0)
            continue;
        if (split.toWindows)
            RemoveWindowsFile(u.entryValue, split.nameLength);
        else if (!u.countsDue)
            RemoveTargetFile(u.entryValue, split.nameLength);
    }
}

void RemoveEmptyFolders(void)
{
    UninstallState& u = uninstallState;
    char name[kTextCapacity];
    OrderDeepestFirst(&u.folders);
    for (int i = 0; i < u.folders.count; i++) {
        FolderRecord& record = u.folders.records[i];
        if (record.state != kFolderReal)
            continue;
        CloseHandle(record.held);
        record.held = nullptr;
        CopyBounded(name, kTextCapacity, u.folders.pool + record.start, record.length);
        if (JoinPath(u.path, kPathCapacity, u.target, name) >= 0)
            RemoveEmptyFolder(u.path);
    }
    ReleaseTargetChain();
    // The copy goes last (RemoveCopyAndTarget), and only when nothing is left for a retry,
    // which needs it: a target that another program holds (as a console's current folder)
    // could not go after it.
    if (u.copyListed && !u.retryNeeded && IsHeldElsewhere(u.target))
        AddLeftItem(u.target, IDS_REASON_IN_USE, 1);
}

void RemoveCopyAndTarget(void)
{
    UninstallState& u = uninstallState;
    if (u.copyListed && JoinPath(u.path, kPathCapacity, u.target, kScriptCopyName) >= 0)
        RemoveOneFile(u.path);
    if (RemoveEmptyFolder(u.target) == 1)
        u.folderStays = 1;
}

// Nonzero when path is the folder of another installation, which stays whole.
static int IsNestedInstallation(const char* path)
{
    UninstallState& u = uninstallState;
    for (int i = 0; i < u.nestedCount; i++) {
        if (IsSameOrBelow(path, u.nested[i]) && IsSameOrBelow(u.nested[i], path))
            return 1;
    }
    return 0;
}

static void RemoveFolderBelow(char* path, int length);

// Removes everything below the held folder whose path (length characters) is in path; path
// is extended for each entry and given back unchanged. Each folder is held before it is
// entered, so that nothing can put a link in its place while its contents go.
static void RemoveEverythingBelow(char* path, int length)
{
    WIN32_FIND_DATAA found;
    if (AppendBounded(path, kPathCapacity, length, "\\*", 2) != length + 2)
        return;
    HANDLE search = FindFirstFileA(path, &found);
    path[length] = '\0';
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const char* name = found.cFileName;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        int nameLength = TextLength(name);
        int childLength = AppendBounded(path, kPathCapacity, length, "\\", 1);
        childLength = AppendBounded(path, kPathCapacity, childLength, name, nameLength);
        DWORD attributes = found.dwFileAttributes;
        if (childLength != length + 1 + nameLength) {
            AddLeftItem(path, IDS_REASON_FAILED, 1);
        } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveFolderBelow(path, childLength);
        } else {
            // A file link is removed as itself by the file deletion.
            RemoveOneFile(path);
        }
        path[length] = '\0';
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// A folder found inside the target: held and emptied when it is an ordinary folder, removed
// as a link when it is one, and kept whole when another installation lives there.
static void RemoveFolderBelow(char* path, int length)
{
    if (IsNestedInstallation(path)) {
        AddLeftItem(path, IDS_REASON_OTHER, 0);
        return;
    }
    DWORD attributes = 0;
    HANDLE held = HoldFolder(path, &attributes);
    if (held == INVALID_HANDLE_VALUE) {
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            RemoveLinkItself(path, attributes);
        else if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
            AddLeftItem(path, IDS_REASON_FAILED, 1);
        return;
    }
    RemoveEverythingBelow(path, length);
    CloseHandle(held);
    RemoveEmptyFolder(path);
}

void RemoveWholeTarget(void)
{
    UninstallState& u = uninstallState;
    char path[kPathCapacity];
    int length = CopyBounded(path, kPathCapacity, u.target, u.targetLength);
    RemoveEverythingBelow(path, length);
    ReleaseTargetChain();
    // What stays in it has been listed; the folder itself is one more item.
    if (RemoveEmptyFolder(u.target) == 1)
        AddLeftItem(u.target, IDS_REASON_FAILED, 0);
}
