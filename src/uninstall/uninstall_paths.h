// Text rules of the uninstaller: its command line and the commands that point into its folder (no window calls).
#pragma once

#include "base/folder_text.h"

// Nonzero when text, after one optional opening double quotation mark, begins with folder
// (folderLength bytes) followed by a backslash: a command or path that points into the folder.
int PointsInto(const char* text, const char* folder, int folderLength);

// The folder of program in a command: after one optional opening double quotation mark, the
// text before a backslash and program, when program is followed by the end, a blank or (in a
// quoted command) the closing mark. Returns its start and stores its length, or returns 0 when
// the command does not start program.
const char* FindProgramFolder(const char* command, const char* program, int* length);
