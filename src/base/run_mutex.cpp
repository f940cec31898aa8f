// The one run at a time of the setup program and the uninstaller, machine-wide.
#include "base/run_mutex.h"

#include <windows.h>

// In the global namespace, so that runs in other sessions see it too.
static const char kRunMutexName[] = "Global\\QuillorSetupAndUninstallRun";

int TakeRunMutex(void)
{
    HANDLE mutex = CreateMutexA(nullptr, TRUE, kRunMutexName);
    if (mutex == nullptr)
        return GetLastError() == ERROR_ACCESS_DENIED ? -1 : 0;
    // The handle stays open for the rest of the run: closing it would let a second run in.
    return GetLastError() == ERROR_ALREADY_EXISTS ? -1 : 0;
}
