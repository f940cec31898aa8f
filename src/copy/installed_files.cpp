// What the setup program records about each file it has just installed: the shared count of a Windows-directory file, and no pending deletion left for it.
#include "copy/installed_files.h"

#include "base/heap_blocks.h"
#include "base/key_paths.h"
#include "base/setup_state.h"
#include "base/shared_files.h"
#include "copy/previous_files.h"
#include "text/bounded_text.h"

static const char kSessionManagerKey[] = "System\\CurrentControlSet\\Control\\Session Manager";
static const char kPendingValue[] = "PendingFileRenameOperations";
enum { kPendingCapacity = 65536 };

static void CountSharedFile(char* path)
{
    // Every destination outside the target directory is in the Windows directory. The
    // uninstaller stays while an uninstall entry names it; it is not counted.
    // The installation that this run replaces counted its files already.
    int length = TextLength(setupState.targetDir);
    if ((CompareCounted(path, setupState.targetDir, length) == 0 && path[length] == '\\') ||
        lstrcmpiA(FindLastChar(path, '\\') + 1, kUninstallerFileName) == 0 ||
        InstalledBefore(1, setupState.entryValue))
        return;
    int count = ReadSharedCount(path);
    if (count < 0)
        count = setupState.destCreated == kDestNew ? 0 : 1;
    if (count < 0x7FFFFFFF)
        count++;
    WriteSharedCount(path, count);
}

// Drops every "delete path at restart" pair (the name as \??\path, then an empty name) from
// the system's list of pending operations; the other pairs stay as they are.
static void CancelPendingDeletion(const char* path)
{
    // Nothing else adds a deletion of this run's files while it copies: a list without any
    // deletion is not read again.
    // A user's own installation never asks for a restart's work, and cannot change the list.
    if (setupState.noPendingDeletion || setupState.scope == kScopeCurrentUser)
        return;
    // Zeroed beyond what is read, so that every name ends within the block.
    char* data = static_cast<char*>(AllocateBlock(kPendingCapacity + 4));
    if (data == nullptr)
        return;
    setupState.noPendingDeletion = 1;
    if (ReadKeyPathValue(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingValue, REG_MULTI_SZ,
                         data, kPendingCapacity) == 0) {
        char* kept = data;
        char* pair = data;
        while (*pair != '\0') {
            char* second = pair + TextLength(pair) + 1;
            char* next = second + TextLength(second) + 1;
            if (*second == '\0')
                setupState.noPendingDeletion = 0;
            if (*second != '\0' || second - pair < 6 || lstrcmpiA(pair + 4, path) != 0) {
                while (pair < next)
                    *kept++ = *pair++;
            }
            pair = next;
        }
        *kept++ = '\0';
        // A list left empty goes: a lone zero is no well-formed list of names.
        if (kept == data + 1)
            DeleteKeyPathValue(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingValue);
        else if (kept < pair)
            WriteKeyPathValue(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingValue,
                              REG_MULTI_SZ, data, static_cast<DWORD>(kept - data));
    }
    FreeBlock(data);
}

void NoteInstalledFile(void)
{
    CountSharedFile(setupState.destPath);
    CancelPendingDeletion(setupState.destPath);
}
