// Text rules of the uninstaller: its command line, the folders it accepts and the names that stay inside them (no window calls).
#pragma once

#include "base/folder_text.h"

// The target in an uninstall command: everything after the first '/' that follows the program's
// name (a quoted program name is stepped over whole), without one pair of surrounding double
// quotation marks. Returns its start and stores its length, or returns 0 when there is no '/'.
const char* FindCommandTarget(const char* command, int* length);

// The program in an uninstall command: a quoted name without its quotes, or the text before
// the first '/' without the blanks at its end. Returns its start and stores its length.
const char* FindCommandProgram(const char* command, int* length);

// Length of the root of an absolute path: 3 for "C:\", the length of "\\server\share" for a
// network name; 0 when the text is neither.
int RootLength(const char* path, int length);

// Checks the text of a folder to uninstall from: absolute (drive or network share) and below
// the root, with non-empty components that are not made of dots and blanks, no '/', no second
// ':' and no character that a file name cannot hold. Returns its length without one final
// backslash, or -1 when it is refused.
int CheckTargetText(const char* text, int length);

// Nonzero when name (length bytes) leads to a place inside the folder it is taken relative to:
// non-empty, no drive, no root, no '/', no component that is empty, made of dots and blanks, or
// a device name.
int StaysInside(const char* name, int length);

// Nonzero when a component of name (length bytes) is a device name.
int HoldsDeviceName(const char* name, int length);

// Nonzero when name is a plain file name: it stays inside and holds no backslash.
int IsPlainName(const char* name, int length);

// Nonzero when text, after one optional opening double quotation mark, begins with folder
// (folderLength bytes) followed by a backslash: a command or path that points into the folder.
int PointsInto(const char* text, const char* folder, int folderLength);

// The folder of program in a command: after one optional opening double quotation mark, the
// text before a backslash and program, when program is followed by the end, a blank or (in a
// quoted command) the closing mark. Returns its start and stores its length, or returns 0 when
// the command does not start program.
const char* FindProgramFolder(const char* command, const char* program, int* length);
