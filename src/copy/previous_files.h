// The files of the installation that a run replaces in its own folder, as its own copy of its script lists them.
#pragma once

#include "base/run_record.h"

// Loads the previous installation's script into previousScript: the copy "SETUP.INF" in the
// target, when the target is the folder of this application's entry in the programs list and
// the copy is a plain file whose SHA-256 is the one that entry recorded. Without such a copy
// previousScript stays 0. Called before the copy replaces it.
void ReadPreviousScript(void);

// Nonzero when the previous script installed the destination name (in the Windows directory
// when toWindows).
int InstalledBefore(int toWindows, const char* name);

// Ends the run's record as EndRunRecord does. A kept run first sets aside the files that only
// the previous script installed (a Windows-directory file once no other installation counts
// it), so that they go with the older files, and then removes their folders that are left
// empty. Returns what EndRunRecord returns.
RecordEnd FinishRunRecord(int undo);
