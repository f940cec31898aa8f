// The uninstaller's entry point: libraries from the system directory only, then the uninstallation.
#include <windows.h>

#include "uninstall/uninstaller.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

typedef BOOL(WINAPI* SetDllDirectoriesCall)(DWORD flags);

// The program runs elevated from the Windows directory or wherever it was started: no library
// it loads later may come from its own folder or the current directory. Systems without the
// call (before the 2011 update of Windows 7) at least lose the current directory.
static void LoadLibrariesFromSystemOnly(void)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDllDirectoriesCall setDirectories = reinterpret_cast<SetDllDirectoriesCall>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDirectories == nullptr || !setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        SetDllDirectoryA("");
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showState)
{
    LoadLibrariesFromSystemOnly();
    // The whole command line: the target follows the first '/' after the program's name.
    return RunUninstaller(instance, GetCommandLineA());
}
