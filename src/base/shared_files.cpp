// The files of the Windows directory that installations share, and the use count of each (SharedDLLs).
#include "base/shared_files.h"

#include <windows.h>

#include "base/capacities.h"
#include "base/key_paths.h"
#include "base/product_names.h"
#include "text/bounded_text.h"

int JoinWindowsPath(char* path, const char* name)
{
    char windowsDir[kPathCapacity];
    UINT length = GetWindowsDirectoryA(windowsDir, kPathCapacity);
    if (length == 0 || length >= static_cast<UINT>(kPathCapacity))
        return -1;
    return JoinPath(path, kPathCapacity, windowsDir, name) < 0 ? -1 : 0;
}

int ReadSharedCount(const char* path)
{
    DWORD count = 0;
    if (ReadKeyPathValue(HKEY_LOCAL_MACHINE, kSharedFilesKey, path, REG_DWORD,
                         reinterpret_cast<char*>(&count), sizeof count) != 0)
        return -1;
    return count > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(count);
}

int WriteSharedCount(const char* path, int count)
{
    DWORD value = static_cast<DWORD>(count);
    LONG status = count > 0 ? WriteKeyPathValue(HKEY_LOCAL_MACHINE, kSharedFilesKey, path,
                                                REG_DWORD, &value, sizeof value)
                            : DeleteKeyPathValue(HKEY_LOCAL_MACHINE, kSharedFilesKey, path);
    return status == 0 ? 0 : -1;
}

SharedRelease ReleaseSharedFile(const char* path)
{
    int count = ReadSharedCount(path);
    if (count < 0)
        return kSharedUncounted;
    if (count <= 1)
        return kSharedLast;
    return WriteSharedCount(path, count - 1) == 0 ? kSharedStill : kSharedFailed;
}
