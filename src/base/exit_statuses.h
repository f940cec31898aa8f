// The exit statuses of the setup program: one for each way a run can end.
#pragma once

enum ExitStatus {
    kExitInstalled = 0,            // report 5: everything was installed
    kExitEarlyEnd = 1,             // ended before any report: the script could not be used, or
                                   // the main window could not be made or went away
    kExitPartial = 2,              // report 6: some part could not be installed
    kExitAbandoned = 3,            // the run was abandoned and undone: Cancel in the progress
                                   // dialog (report 7) or in a destination's box (report 6),
                                   // or the main window closed
    kExitDirectoryCancelled = 4,   // Cancel in the target directory dialog: nothing installed
    // Values that deployment tools know from other installers.
    kExitInvalidSwitch = 87,       // an unknown or wrong switch, or a refused target on the
                                   // command line: nothing installed
    kExitAnotherRun = 1618,        // try again later: another SETUP.EXE or Purgax.exe is
                                   // running, or an undo could not finish yet (a file in use)
    kExitDamagedMedium = 1620,     // a file of the medium differs from its [Checksums] entry
                                   // (the package cannot be used): nothing installed; /VERIFY
                                   // found it so, or the script has no such section
    kExitDowngrade = 1638,         // a newer version is installed; it stays
    kExitRestartNeeded = 3010,     // installed; a file in use is replaced at the next restart
};
