// The one run at a time of the setup program and the uninstaller, machine-wide.
#pragma once

// Whose runs the lock keeps apart. A run for the current user alone will take a lock of that
// user's own, under a name no other user can make; it comes with that scope.
enum RunScope { kRunForAllUsers };

// What TakeRunMutex found.
enum RunLock {
    kRunLockFailed = -1,   // the lock could not be had: its folder or file is not trusted, or
                           // cannot be opened (a Windows error is in hand when a call failed)
    kRunLockTaken = 0,
    kRunLockHeld = 1,      // another run holds it
};

// Takes the lock that both programs hold while they run, until the process ends: for all users,
// an exclusive lock on a file in the Windows directory, which only administrators can write
// (its owner and access list checked, and that neither it nor the file is reached through a
// link), so that no other account can take it first; the file goes again when the process
// ends. lockPath (kPathCapacity bytes) receives the file's path, for the message of a failure.
RunLock TakeRunMutex(RunScope scope, char* lockPath);
