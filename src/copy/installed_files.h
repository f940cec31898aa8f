// What the setup program records about each file it has just installed: the shared count of a Windows-directory file, and no pending deletion left for it.
#pragma once

// Called once a file is complete at setupState.destPath (destCreated tells whether it is new).
// A file in the Windows directory but Purgax.exe gets one more in its SharedDLLs count (two
// when an older file without a count was there, which the uninstaller then keeps); a deletion
// that an earlier
// uninstallation left pending for the next restart is taken back.
void NoteInstalledFile(void);

// A file of the Windows directory (a plain name) that the installation no longer installs: one
// less in its SharedDLLs count, or, when this installation was the last to count it, set aside
// in the run record and its count removed. A file without a count stays.
void ReleaseSharedFile(char* name);
