// The record of what a run changed on disk: the files and folders it created and the older files it set aside, undone newest first or kept.
#pragma once

#include <windows.h>

// Sets an older file at path aside under a temporary name in its own folder (a rename keeps
// its bytes, time stamps and attributes) and records it, so that a new file can be created in
// its place. Returns 1 when a file was set aside, 0 when none was there, -1 when one is there
// that stays (a folder, a read-only file, a file held without sharing): path is untouched.
int SetAsideOldFile(const char* path);

// Records a file or folder that the run has just created at path; handle is the open file,
// or 0 to open path for its identity.
void NoteCreated(const char* path, HANDLE handle);

// Puts back the older file of path after its new copy failed and was removed, when the latest
// change set one aside there.
void PutBackOldFile(const char* path);

// Ends the record: with undo, every change is undone newest first (created files and empty
// created folders removed, set-aside files put back); without, the set-aside files are
// deleted. Only what still is the file or folder recorded is touched: a path that leads
// elsewhere since (a folder swapped for a link) is left alone.
void EndRunRecord(int undo);
