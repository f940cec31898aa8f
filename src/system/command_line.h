// Command lines that name a program by its full path (no window calls).
#pragma once

// When the program's path goes between double quotation marks: never (a plain path, as App
// Paths holds it), always, or only when it holds a blank.
enum ProgramQuoting { kQuoteNever, kQuoteAlways, kQuoteWhenBlank };

// Writes folder + "\" + program (no second "\" after a folder that ends in one), quoted as `quoting` says, then arguments, into command
// (capacity bytes). A path with a blank left unquoted would let the platform start a program
// named by its part before the blank (C:\Program.exe for C:\Program Files\...). Returns the
// length, or -1 when the text was cut (a cut command names another program).
int BuildProgramCommand(char* command, int capacity, const char* folder, const char* program,
                        ProgramQuoting quoting, const char* arguments);
