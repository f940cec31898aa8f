// The program's entry point: protects the library search, then runs RunSetup.
#include <windows.h>

#include "base/system_libraries.h"
#include "setup/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showState)
{
    // First of all: the program runs elevated from any folder, and a library planted there must
    // never be loaded. Only libraries that the system always takes from its own directory are
    // imported; every other one is loaded from there at run time.
    ProtectLibrarySearch();
    return RunSetup(instance);
}
