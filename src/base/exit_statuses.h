// The exit statuses of the setup program: one for each way a run can end.
#pragma once

enum ExitStatus {
    kExitInstalled = 0,            // report 5: everything was installed
    kExitEarlyEnd = 1,             // ended before any report: the script could not be used, or
                                   // the main window could not be made or went away
    kExitPartial = 2,              // report 6: some part could not be installed
    kExitAbandoned = 3,            // report 7: the copy was cancelled
    kExitDirectoryCancelled = 4,   // Cancel in the target directory dialog: nothing installed
    // Values that deployment tools know from other installers.
    kExitAccessDenied = 5,         // /ALLUSERS without administrator rights: nothing installed
    kExitInvalidSwitch = 87,       // an unknown or wrong switch, or a refused target on the
                                   // command line: nothing installed
    kExitAnotherRun = 1618,        // another SETUP.EXE or Purgax.exe is running
    kExitDowngrade = 1638,         // a newer version is installed; it stays
    kExitOtherScope = 1638,        // installed in the other scope; it stays
    kExitRestartNeeded = 3010,     // installed; a file in use is replaced at the next restart
};
