// What the setup program records about each file it has just installed: the shared count of a Windows-directory file, and no pending deletion left for it.
#pragma once

// Called once a file is complete at setupState.destPath (destCreated tells whether it is new).
// A file in the Windows directory but Purgax.exe gets one more in its SharedDLLs count (two
// when an older file without a count was there, which the uninstaller then keeps); a deletion
// that an earlier uninstallation left pending for the next restart is taken back.
void NoteInstalledFile(void);
