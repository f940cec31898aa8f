// The one run at a time of the setup program and the uninstaller, machine-wide.
#include "base/run_mutex.h"

#include <windows.h>

// In the global namespace, so that runs in other sessions see it too; a user's own run in the
// session's.
static const char kRunMutexNames[][40] = {"Global\\QuillorSetupAndUninstallRun",
                                          "Local\\QuillorSetupAndUninstallRun"};

int TakeRunMutex(int perUser)
{
    // The handle stays open for the rest of the run: closing it would let a second run in. A
    // mutex that this account may not open is another account's run.
    CreateMutexA(nullptr, TRUE, kRunMutexNames[perUser != 0]);
    DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED ? -1 : 0;
}
