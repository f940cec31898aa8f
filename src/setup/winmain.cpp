// The program's entry point; everything it does lives in RunSetup.
#include <windows.h>

#include "setup/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showState)
{
    return RunSetup(instance);
}
