// The target's copy of the setup script, trusted only when it is the very script the installation ran.
#include "base/script_copy.h"

#include "base/capacities.h"
#include "base/folder_text.h"
#include "base/key_paths.h"
#include "base/locked_blocks.h"
#include "base/product_names.h"
#include "base/script_hash.h"
#include "text/bounded_text.h"

// Reads the whole open file into *memory and *text: 0, or with nothing held kScriptInUse when
// another program has locked a part of the file (it cannot be read now, and says nothing of what
// the file holds), or -1.
static int ReadScriptCopy(HANDLE file, HGLOBAL* memory, const char** text)
{
    BlockFailure failure;
    *text = ReadWholeFile(file, memory, &failure);
    if (*text != nullptr)
        return 0;
    return failure == kBlockNotRead && GetLastError() == ERROR_LOCK_VIOLATION ? kScriptInUse : -1;
}

int LoadTrustedScriptCopy(const char* entryPath, const char* target, HGLOBAL* memory,
                          const char** text)
{
    char recorded[kHashTextCapacity];
    char found[kHashTextCapacity];
    char path[kPathCapacity];
    *memory = 0;
    *text = nullptr;
    if (ReadKeyPathValue(HKEY_LOCAL_MACHINE, entryPath, kScriptHashValue, REG_SZ, recorded,
                         kHashTextCapacity) != 0 ||
        TextLength(recorded) != kHashTextCapacity - 1 ||
        JoinPath(path, kPathCapacity, target, kScriptCopyName) < 0)
        return -1;

    // Opened as itself: a link in its place is seen as a link, not followed.
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? kScriptInUse
                                                                                 : -1;
    }
    BY_HANDLE_FILE_INFORMATION information;
    int loaded = -1;
    if (GetFileInformationByHandle(file, &information) &&
        (information.dwFileAttributes &
         (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0)
        loaded = ReadScriptCopy(file, memory, text);
    CloseHandle(file);
    if (loaded != 0)
        return loaded;

    // The reader never looks past the first zero byte, and neither does the installer's hash.
    // The installer writes the hash in small letters; the recorded one is compared in either.
    if (HashText(*text, TextLength(*text), found) != 0 ||
        CompareFolded(found, recorded, kHashTextCapacity - 1) != 0) {
        ReleaseLockedBlock(*memory);
        *memory = 0;
        *text = nullptr;
        return -1;
    }
    return 0;
}
