// Folders held open as themselves while the removal runs, so that none can be renamed, removed or swapped for a link until the removal is done with it.
#include "uninstall/held_folders.h"

#include "base/safe_paths.h"
#include "text/bounded_text.h"
#include "uninstall/uninstall_paths.h"
#include "uninstall/uninstall_state.h"

HANDLE HoldFolder(const char* path, DWORD* attributes)
{
    // No FILE_SHARE_DELETE: while the handle is open the folder keeps its name and place.
    HANDLE folder = CreateFileA(path, FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                nullptr);
    BY_HANDLE_FILE_INFORMATION information;
    *attributes = INVALID_FILE_ATTRIBUTES;
    if (folder == INVALID_HANDLE_VALUE)
        return folder;
    if (GetFileInformationByHandle(folder, &information)) {
        // Some systems open what a link points to and show it by the handle as an ordinary
        // folder; the place itself, which the handle now keeps as it is, tells the truth.
        DWORD byPath = GetFileAttributesA(path);
        *attributes = byPath == INVALID_FILE_ATTRIBUTES ? byPath
                                                        : information.dwFileAttributes | byPath;
        if (byPath != INVALID_FILE_ATTRIBUTES &&
            (*attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ==
                FILE_ATTRIBUTE_DIRECTORY)
            return folder;
    }
    CloseHandle(folder);
    return INVALID_HANDLE_VALUE;
}

// Nonzero when the system names the held target by another path than the target's: a link
// or a remount somewhere on the way that the attributes did not show.
static int LeadsElsewhere(HANDLE target)
{
    UninstallState& u = uninstallState;
    char path[kFinalCapacity];
    int length = ReadFinalPath(target, path);
    if (length == 0)
        return 1;
    int canonical = CanonicalFolderText(path, length);
    return canonical != u.targetLength || CompareFolded(path, u.target, canonical) != 0;
}

int HoldTargetChain(void)
{
    UninstallState& u = uninstallState;
    char path[kPathCapacity];
    int root = RootLength(u.target, u.targetLength);
    u.chainCount = 0;
    for (int end = root; end <= u.targetLength; end++) {
        if ((end < u.targetLength && u.target[end] != '\\') || end == root)
            continue;
        CopyBounded(path, kPathCapacity, u.target, end);
        DWORD attributes = 0;
        HANDLE folder = HoldFolder(path, &attributes);
        if (folder == INVALID_HANDLE_VALUE || u.chainCount == kChainLimit) {
            if (folder != INVALID_HANDLE_VALUE)
                CloseHandle(folder);
            ReleaseTargetChain();
            return -1;
        }
        u.chain[u.chainCount++] = folder;
    }
    if (u.chainCount == 0 || LeadsElsewhere(u.chain[u.chainCount - 1])) {
        ReleaseTargetChain();
        return -1;
    }
    return 0;
}

void ReleaseTargetChain(void)
{
    UninstallState& u = uninstallState;
    while (u.chainCount > 0)
        CloseHandle(u.chain[--u.chainCount]);
}
