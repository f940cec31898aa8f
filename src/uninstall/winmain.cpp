// The uninstaller's entry points: libraries from the system directory only, then the
// uninstallation.
#include <windows.h>

#include "base/system_libraries.h"
#include "uninstall/uninstaller.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showState)
{
    // The program runs elevated from the Windows directory or wherever it was started: no
    // library it loads later may come from its own folder or the current directory.
    ProtectLibrarySearch();
    // The whole command line: the target follows the first '/' after the program's name.
    return RunUninstaller(instance, GetCommandLineA());
}

// The process starts here rather than in the C runtime, whose start-up work the program does
// not need (see the setup program's entry point).
extern "C" void WinMainCRTStartup(void)
{
    ExitProcess(WinMain(GetModuleHandleA(NULL), NULL, NULL, SW_SHOWDEFAULT));
}
