// What the setup program records about each file it has just installed: the shared count of a Windows-directory file, and no pending deletion left for it.
#include "copy/installed_files.h"

#include "base/key_paths.h"
#include "base/setup_state.h"
#include "text/bounded_text.h"

static const char kSharedFilesKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
static const char kSessionManagerKey[] = "System\\CurrentControlSet\\Control\\Session Manager";
static const char kPendingValue[] = "PendingFileRenameOperations";
// The uninstaller stays while an uninstall entry names it; it is not counted.
static const char kUninstallerName[] = "Purgax.exe";

enum { kPendingCapacity = 65536 };

static void CountSharedFile(const char* path)
{
    char windowsDir[kPathCapacity];
    char folder[kPathCapacity];
    UINT length = GetWindowsDirectoryA(windowsDir, kPathCapacity);
    const char* name = path + length;
    // The copy engine wrote the path as the Windows directory, a backslash and a plain name.
    CopyBounded(folder, kPathCapacity, path, static_cast<int>(length));
    if (length == 0 || length >= static_cast<UINT>(kPathCapacity) ||
        lstrcmpiA(folder, windowsDir) != 0 || *name != '\\' ||
        FindLastChar(const_cast<char*>(name), '\\') != name ||
        lstrcmpiA(name + 1, kUninstallerName) == 0)
        return;
    DWORD count = 0;
    if (ReadKeyPathValue(HKEY_LOCAL_MACHINE, kSharedFilesKey, path, REG_DWORD,
                         reinterpret_cast<char*>(&count), sizeof count) != 0)
        count = setupState.destCreated ? 0 : 1;
    count++;
    WriteKeyPathValue(HKEY_LOCAL_MACHINE, kSharedFilesKey, path, REG_DWORD, &count, sizeof count);
}

// Drops every "delete path at restart" pair (the name as \??\path, then an empty name) from
// the system's list of pending operations; the other pairs stay as they are.
static void CancelPendingDeletion(const char* path)
{
    HKEY key = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                      &key) != ERROR_SUCCESS)
        return;
    char* data = static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY,
                                              kPendingCapacity + 2));
    DWORD size = kPendingCapacity;
    DWORD type = 0;
    if (data != nullptr && RegQueryValueExA(key, kPendingValue, nullptr, &type,
                                            reinterpret_cast<BYTE*>(data), &size) == 0 &&
        type == REG_MULTI_SZ) {
        DWORD kept = 0;
        DWORD at = 0;
        while (at < size && data[at] != '\0') {
            int nameLength = TextLength(data + at);
            DWORD next = at + nameLength + 1;
            int targetLength = next < size ? TextLength(data + next) : 0;
            DWORD end = next + targetLength + 1;
            int ours = targetLength == 0 && nameLength > 4 &&
                       lstrcmpiA(data + at + 4, path) == 0;
            for (DWORD i = at; !ours && i < end && i < size; i++)
                data[kept++] = data[i];
            at = end;
        }
        data[kept++] = '\0';
        if (kept < size)
            RegSetValueExA(key, kPendingValue, 0, REG_MULTI_SZ, reinterpret_cast<BYTE*>(data),
                           kept);
    }
    if (data != nullptr)
        HeapFree(GetProcessHeap(), 0, data);
    RegCloseKey(key);
}

void NoteInstalledFile(void)
{
    CountSharedFile(setupState.destPath);
    CancelPendingDeletion(setupState.destPath);
}
