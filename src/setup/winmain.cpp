// The program's entry points: the library search is protected first, then RunSetup does
// everything.
#include <windows.h>

#include "base/system_libraries.h"
#include "setup/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showState)
{
    // First of all: the program runs elevated from any folder, and a library planted there must
    // never be loaded. Only libraries that the system always takes from its own directory are
    // imported; every other one is loaded from there at run time.
    ProtectLibrarySearch();
    return RunSetup(instance, GetCommandLineA());
}

// The process starts here rather than in the C runtime: the program needs none of its start-up
// work (no constructors of globals, no thread-local data, no stdio), and leaving it out halves
// the file; the build fails if a constructor of a global appears. WinMain takes the command
// line from the system and ignores the show state, so neither is worked out here.
extern "C" void WinMainCRTStartup(void)
{
    ExitProcess(WinMain(GetModuleHandleA(NULL), NULL, NULL, SW_SHOWDEFAULT));
}
