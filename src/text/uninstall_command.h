// An uninstall command as the programs list holds it: its program, the folder of that program, and Purgax's quiet switch, log file and target (no window calls).
#pragma once

// What an uninstall command holds after its program's name.
struct UninstallCommand {
    int quiet;              // /S, in any case, '-' for '/', quoted or glued to the next word
    const char* log;        // the file of /LOG=<file> without its quotation marks; 0 without
    int logLength;
    const char* target;     // the folder after a '/'; 0 without one, or with two
    int targetLength;
};

// Reads command: after the program's name, /S and /LOG=<file> anywhere, and the target: the
// text after a '/' that starts no switch, up to the end, a switch glued to it, or the blanks
// before another switch. A target quoted whole ("/C:\a b") or
// after its slash (/"C:\a b") loses its quotation marks.
void ReadUninstallCommand(const char* command, UninstallCommand* read);

// The program in an uninstall command: a quoted name without its quotes, or the text before
// the first '/' without the blanks at its end. Returns its start and stores its length.
const char* FindCommandProgram(const char* command, int* length);

// The folder of the program in an uninstall command: the program's text before its last
// backslash (an unquoted program ends after its first ".exe" followed by a blank). Returns
// its start and stores its length, or returns 0 when the program names no folder.
const char* FindCommandFolder(const char* command, int* length);

// The text without one pair of quotation marks around it: its start, and its length stored.
const char* Unquoted(const char* text, int* length);
