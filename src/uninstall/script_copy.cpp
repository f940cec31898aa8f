// The target's copy of the setup script, trusted only when it is the very script the installation ran.
#include "uninstall/script_copy.h"

#include "base/key_paths.h"
#include "base/script_hash.h"
#include "text/bounded_text.h"
#include "uninstall/uninstall_paths.h"
#include "uninstall/uninstall_state.h"

// The largest script the installer reads; a larger copy is not the script of any medium.
static const LONGLONG kScriptSizeLimit = 0x7FFFFFFE;

// Reads the whole open file into a movable block with a zero after it. 0, or -1 with nothing
// held.
static int ReadWholeFile(HANDLE file, HGLOBAL* memory, const char** text)
{
    LARGE_INTEGER size;
    *memory = 0;
    *text = nullptr;
    if (!GetFileSizeEx(file, &size) || size.QuadPart > kScriptSizeLimit)
        return -1;
    DWORD length = static_cast<DWORD>(size.QuadPart);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, length + 1);
    char* bytes = block != 0 ? static_cast<char*>(GlobalLock(block)) : nullptr;
    DWORD got = 0;
    if (bytes == nullptr || !ReadFile(file, bytes, length, &got, nullptr) || got != length) {
        if (bytes != nullptr)
            GlobalUnlock(block);
        if (block != 0)
            GlobalFree(block);
        return -1;
    }
    *memory = block;
    *text = bytes;
    return 0;
}

int LoadTrustedScript(void)
{
    UninstallState& u = uninstallState;
    char recorded[kHashTextCapacity];
    char found[kHashTextCapacity];
    if (ReadKeyPathValue(HKEY_LOCAL_MACHINE, u.entryPath, kScriptHashValue, REG_SZ, recorded,
                         kHashTextCapacity) != 0 ||
        TextLength(recorded) != kHashTextCapacity - 1)
        return -1;
    if (JoinPath(u.path, kPathCapacity, u.target, kScriptCopyName) < 0)
        return -1;

    // Opened as itself: a link in its place is seen as a link, not followed.
    HANDLE file = CreateFileA(u.path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION
                   ? kScriptInUse
                   : -1;
    }
    BY_HANDLE_FILE_INFORMATION information;
    int loaded = -1;
    if (GetFileInformationByHandle(file, &information) &&
        (information.dwFileAttributes &
         (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0)
        loaded = ReadWholeFile(file, &u.scriptMemory, &u.scriptText);
    // A part of the file that another program has locked cannot be read now, and says
    // nothing of what the file holds.
    if (loaded != 0 && GetLastError() == ERROR_LOCK_VIOLATION)
        loaded = kScriptInUse;
    CloseHandle(file);
    if (loaded != 0)
        return loaded == kScriptInUse ? kScriptInUse : -1;

    // The reader never looks past the first zero byte, and neither does the installer's hash.
    if (HashText(u.scriptText, TextLength(u.scriptText), found) != 0 ||
        CompareFolded(found, recorded, kHashTextCapacity - 1) != 0) {
        ReleaseTrustedScript();
        return -1;
    }
    return 0;
}

void ReleaseTrustedScript(void)
{
    UninstallState& u = uninstallState;
    if (u.scriptMemory != 0) {
        GlobalUnlock(u.scriptMemory);
        GlobalFree(u.scriptMemory);
    }
    u.scriptMemory = 0;
    u.scriptText = nullptr;
}
