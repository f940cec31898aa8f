// Loading the setup script into memory and finding its sections, with failure messages.
#pragma once

#include <windows.h>

#include "base/locked_blocks.h"
#include "script/script_scan.h"

// The message of a movable block that could not be had or filled: IDS_CANNOT_ALLOCATE,
// IDS_CANNOT_LOCK or IDS_CANNOT_READ.
UINT BlockFailureMessage(BlockFailure failure);

// Shows the failure message `failure` of a file's loading (type: its icon): the memory messages
// (IDS_CANNOT_ALLOCATE, IDS_CANNOT_LOCK) name the routine, the others the file at path.
void ShowLoadFailure(HINSTANCE instance, const char* caption, HWND owner, UINT failure,
                     const char* path, const char* routine, UINT type);

// Loads the whole file plus a zero byte into a movable global block, locked. Returns 0, or -1
// after showing IDS_CANNOT_OPEN, IDS_CANNOT_ALLOCATE, IDS_CANNOT_LOCK or IDS_CANNOT_READ; on
// failure nothing stays allocated and both outputs are 0. A file of 2 GiB - 1 bytes or more is
// refused with IDS_CANNOT_ALLOCATE before any allocation.
// Without a caption nothing is shown.
int LoadScript(HINSTANCE instance, const char* caption, HWND owner, const char* path,
               HGLOBAL* memory, const char** text);

// Finds the section from the top: 0 with cursor after its header, or -1 with cursor at the end
// of the text, after IDS_NO_SECTION when report is nonzero.
int FindSection(HINSTANCE instance, const char* caption, HWND owner, const char* name,
                int report, const char* text, int* cursor);

// FindSection in the loaded script (setupState.scriptText) at setupState.cursor, its message
// under the class name.
int FindScriptSection(HWND owner, const char* name, int report);
