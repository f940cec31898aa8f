// The record of what a run changed on disk: the files and folders it created and the older files it set aside, undone newest first or kept.
#pragma once

#include <windows.h>

// Sets an older file at path aside under a temporary name in its own folder (a rename keeps
// its bytes, time stamps and attributes) and records it, so that a new file can be created in
// its place. openPath (kPathCapacity bytes) receives the path to create the new file at: path,
// or, when another program holds the older file so that it cannot even be renamed, a free
// temporary name beside it that replaces it at the next restart once the run is kept.
// Returns 1 when a file was set aside, 2 for a file held so, 0 when none was there, -1 when
// one is there that stays (a folder, a read-only file): path is untouched.
int SetAsideOldFile(const char* path, char* openPath);

// Records a file or folder that the run has just created at path; handle is the open file,
// or 0 to open path for its identity.
void NoteCreated(const char* path, HANDLE handle);

// Undoes what was recorded for the file in hand since its SetAsideOldFile: after its copy
// failed or was cut short, its new file is removed and an older file put back.
void UndoFileInHand(void);

// Ends the record: with undo, every change is undone newest first (created files and empty
// created folders removed, set-aside files put back); without, the set-aside files are
// deleted, and what is in use is left to the next restart (a held file replaced by its new
// copy, a set-aside file that cannot be deleted deleted then). Only what still is the file or
// folder recorded is touched: a path that leads elsewhere since (a folder swapped for a link)
// is left alone. Returns nonzero when a restart is needed to finish.
int EndRunRecord(int undo);

// Undoes what a run that was killed left in the record, newest first, as EndRunRecord(1)
// would have. Called once the run has the machine to itself, before anything else changes.
void UndoKilledRun(void);
