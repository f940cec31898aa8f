// What the setup program records about each file it has just installed: the shared count of a Windows-directory file, and no pending deletion left for it.
#pragma once

// Called once a file is complete at setupState.destPath (destCreated tells whether it is new).
// A file in the Windows directory but Purgax.exe gets one more in its SharedDLLs count (two
// when an older file without a count was there, which the uninstaller then keeps); a deletion
// that an earlier
// uninstallation left pending for the next restart is taken back.
void NoteInstalledFile(void);

// A file of the Windows directory (a plain name) that the installation no longer installs:
// its path goes into destPath, and its SharedDLLs count loses one. Returns 0 when this
// installation was the last to count it (the count is left as it is for the file to go), or -1
// when the file stays: it is counted by others still, or has no count (it was there before).
int ReleaseSharedCount(char* name);

// Removes the SharedDLLs count of the file at destPath.
void ForgetSharedCount(void);
