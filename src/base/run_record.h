// The record of what a run changed on disk: the files and folders it created and the older files it set aside, undone newest first or kept.
#pragma once

#include <windows.h>

#include "base/safe_paths.h"
#include "base/scope_choice.h"

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

// Records a file or folder that the run has just created at path; handle is the open file,
// or 0 to open path for its identity.
void NoteCreated(const char* path, HANDLE handle);

// Sets the file at path aside as CreateRecordedFile sets an older file aside, without a new file
// in its place: undone, it comes back; kept, it is deleted, and so are its folders below the
// first keptLength characters of path that are left empty. A file this run created stays.
// Returns kAsideMoved when it was set aside, kAsideNothing when there was nothing to set aside
// (or it is this run's own), or kAsideRefused or kAsideHeld when it stays.
SetAsideResult SetAsideRecorded(const char* path, PathCheck check, int keptLength);

// Undoes what was recorded for the file in hand since its CreateRecordedFile: after its copy
// failed or was cut short, its new file is removed and an older file put back.
void UndoFileInHand(void);

// Ends the record: with undo, every change is undone newest first (created files and empty
// created folders removed, set-aside files put back); without, the set-aside files are
// deleted, and what is in use is left to the next restart (a held file replaced by its new
// copy, a set-aside file that cannot be deleted deleted then). Only what still is the file or
// folder recorded is touched: a path that leads elsewhere since (a folder swapped for a link)
// is left alone. Returns nonzero when a restart is needed to finish.
int EndRunRecord(int undo);

// Keeps the record, from now on, where an installation of the scope keeps it: the machine's
// registry, or the current user's; a user's own run leaves nothing to the next restart (a
// file held so that not even a rename is allowed is then not replaced). Called once, before
// UndoKilledRun.
void UseRunRecordOf(InstallScope scope);

// Undoes what a run that was killed left in the record, newest first, as EndRunRecord(1)
// would have. Called once the run has the machine to itself, before anything else changes.
void UndoKilledRun(void);
