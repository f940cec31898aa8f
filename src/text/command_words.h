// The words of a command line: blanks, and the program's name at its start, quoted or not.
#pragma once

// Nonzero for a blank between the words of a command line (a space or a tab).
int IsBlank(char c);

// Returns text after the double-quoted part that starts at text (after its closing quote, or at
// the end of the text when there is none).
const char* SkipQuoted(const char* text);

// Returns the command line after the program's name (quoted, or up to the first blank), with
// the blanks before the name skipped.
const char* SkipProgramName(const char* commandLine);
