// The record of what a run changed: the files and folders it created, the older files it set aside and the registry values it wrote, undone newest first or kept.
#pragma once

#include <windows.h>

#include "base/safe_paths.h"

// What became of an older file at a path that CreateRecordedFile or SetAsideRecorded was given.
enum SetAsideResult {
    kAsideRefused = -1,   // it stays as it is: a folder, a read-only file, a link, no free name
    kAsideNothing = 0,    // nothing was there to set aside
    kAsideMoved = 1,      // renamed to "<name>.<number>~" in its own folder
    kAsideHeld = 2,       // held by another program, so that not even a rename is allowed
};

// Creates the new file at path for writing (never through a link, never over anything) and
// records it. An older file there is first set aside under "<name>.<number>~" in its own
// folder (a rename keeps its bytes, time stamps and attributes); one that another program
// holds so that not even a rename is allowed stays, and the new file is made at that name
// instead, to replace it at the next restart once the run is kept. A folder, a read-only
// file, or a file whose set-aside name is taken stays as it is and nothing is created.
// With `check`, a new file reached through a link on the way is removed again
// and counts as not created. The handle holds DELETE access.
// *replaced: kAsideMoved, kAsideHeld, kAsideNothing, or kAsideRefused when nothing was
// created. Returns the file, or INVALID_HANDLE_VALUE.
HANDLE CreateRecordedFile(const char* path, PathCheck check, SetAsideResult* replaced);

// Creates a folder at path, with the protected access list when protect is nonzero (see
// CreateProtectedFolder), recorded as CreateRecordedFile records a file. Nonzero when made.
BOOL CreateRecordedFolder(const char* path, int protect);

// Sets the file at path aside as CreateRecordedFile sets an older file aside, without a new file
// in its place: undone, it comes back; kept, it is deleted, and so are its folders below the
// first keptLength characters of path that are left empty. A file this run created stays.
// Returns kAsideMoved when it was set aside, kAsideNothing when there was nothing to set aside
// (or it is this run's own), or kAsideRefused or kAsideHeld when it stays.
SetAsideResult SetAsideRecorded(const char* path, PathCheck check, int keptLength);

// Undoes what was recorded for the file in hand since its CreateRecordedFile: after its copy
// failed or was cut short, its new file is removed and an older file put back.
void UndoFileInHand(void);

// Opens the record for the registry: from now until EndRunRecord every value that
// WriteKeyPathValue or DeleteKeyPathValue changes is recorded first. Without this call (the
// uninstaller) the registry is written as it is.
void OpenRunRecord(void);

// Records the value name of path under root as it is now (its type and data, or that it is
// absent, and which keys of the path are missing), with what the write is about to make of it:
// type and size bytes of data, or no value when data is 0. Returns 0 when the write may go on:
// recorded, nothing to record (the value already holds that) or the record not open; -1 when it
// must not (the earlier state could not be read or the record not saved).
int RecordRegistryValue(HKEY root, const char* path, const char* name, DWORD type,
                        const void* data, DWORD size);

// What EndRunRecord and UndoKilledRun did with the record.
enum RecordEnd {
    kRecordUndoLeft = -1,   // something could not be undone now (a file in use, a name taken):
                            // the record stays, for the next run of either program to finish
    kRecordDone = 0,
    kRecordRestart = 1,     // kept; a restart is needed to finish
};

// Ends the record: with undo, every change is undone newest first (created files and empty
// created folders removed, set-aside files put back to a free name, registry values put back
// where they still hold what the run wrote, and the keys it created removed when empty);
// without, the set-aside files are deleted, and what is in use is left to the next restart (a
// held file replaced by its new copy, a set-aside file that cannot be deleted deleted then).
// Only what still is the file or folder recorded is touched: a path that leads elsewhere since
// (a folder swapped for a link) is left alone. The log names each change undone and each not.
RecordEnd EndRunRecord(int undo);

// Undoes what a run that was killed left in the record, newest first, as EndRunRecord(1)
// would have. Called once the run has the machine to itself, before anything else changes.
// kRecordUndoLeft tells the caller to change nothing and try again later.
RecordEnd UndoKilledRun(void);
