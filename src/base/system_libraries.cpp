// Libraries of the platform, taken from the system directory alone.
#include "base/system_libraries.h"

#include "base/capacities.h"
#include "text/bounded_text.h"

typedef BOOL(WINAPI* SetDefaultDllDirectoriesCall)(DWORD);
typedef BOOL(WINAPI* SetDllDirectoryCall)(LPCSTR);

// Looked up rather than imported: systems without the update that brought it still start.
static SetDefaultDllDirectoriesCall FindSetDefaultDllDirectories(void)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == 0)
        return 0;
    return reinterpret_cast<SetDefaultDllDirectoriesCall>(
        GetProcAddress(kernel, "SetDefaultDllDirectories"));
}

int ProtectLibrarySearch(void)
{
    SetDefaultDllDirectoriesCall setDefault = FindSetDefaultDllDirectories();
    if (setDefault != 0 && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return 0;
    // An empty library directory takes the current directory out of the search order.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDllDirectoryCall setDirectory = 0;
    if (kernel != 0)
        setDirectory = reinterpret_cast<SetDllDirectoryCall>(
            GetProcAddress(kernel, "SetDllDirectoryA"));
    if (setDirectory != 0)
        setDirectory("");
    return -1;
}

HMODULE LoadSystemLibraryByPath(const char* name)
{
    char directory[kPathCapacity];
    char path[kPathCapacity];
    UINT length = GetSystemDirectoryA(directory, kPathCapacity);
    if (length == 0 || length >= static_cast<UINT>(kPathCapacity))
        return 0;
    if (JoinPath(path, kPathCapacity, directory, name) < 0)
        return 0;
    // With a full path, the altered search looks for the libraries it needs in the system
    // directory first and never in the program's folder.
    return LoadLibraryExA(path, 0, LOAD_WITH_ALTERED_SEARCH_PATH);
}

HMODULE LoadSystemLibrary(const char* name)
{
    // The search flags work exactly where default library directories exist.
    if (FindSetDefaultDllDirectories() == 0)
        return LoadSystemLibraryByPath(name);
    return LoadLibraryExA(name, 0, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

FARPROC FindSystemProcedure(const char* library, const char* procedure)
{
    HMODULE module = LoadSystemLibrary(library);
    if (module == 0)
        return 0;
    return GetProcAddress(module, procedure);
}
