// The suffix list walk and the quoting of a final %1 (no window calls).
#pragma once

// Takes the next suffix of the list at *cursor: skips blanks and tabs, writes "." + the
// following run of other characters into key (capacity bytes, at least 2; a longer run is
// cut to capacity - 2 characters and skipped whole) and moves the cursor past the run.
// Returns the number of characters stored after the dot; 0 at the end of the list.
int NextSuffixKey(const char** cursor, char* key, int capacity);

// Nonzero when key ("." + suffix, any letter case) is the suffix of a file that runs: a
// program, a script, a shortcut or a package that the system starts when it is opened. Such a
// suffix is never bound to the editor: every program of its kind would open as text.
int IsProgramSuffix(const char* key);

// When command ends in "%1", replaces those two characters by "%1" between double quotation
// marks and returns 1. Otherwise, or when capacity (bytes, terminator included) leaves no
// room for the two more characters, leaves it unchanged and returns 0.
int QuoteFinalArgument(char* command, int capacity);
