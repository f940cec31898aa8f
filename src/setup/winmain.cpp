// The program's entry points; everything it does lives in RunSetup.
#include <windows.h>

#include "setup/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showState)
{
    return RunSetup(instance);
}

// The process starts here rather than in the C runtime: the program needs none of its start-up
// work (no constructors of globals, no thread-local data, no stdio), and leaving it out halves
// the file; the build fails if a constructor of a global appears. WinMain ignores the command
// line and the show state, so neither is worked out.
extern "C" void WinMainCRTStartup(void)
{
    ExitProcess(WinMain(GetModuleHandleA(NULL), NULL, NULL, SW_SHOWDEFAULT));
}
