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

// One switch word of a command line, as both programs read it: '/' or '-' and a name, with a
// value after '='; the whole word may be quoted ("/LOG=C:\my logs\un.log"), or only its value
// (/LOG="C:\my logs\un.log").
struct SwitchWord {
    const char* name;   // after the '/' or '-'
    int nameLength;     // up to '=', '/', a quotation mark, a blank or the end
    const char* value;  // after '=', without its quotation marks; 0 without '='
    int valueLength;    // up to the closing mark, or to a blank or the end when not quoted
    const char* end;    // just after the word
};

// Reads the switch word at text into word. Returns 0, or -1 when text starts no switch word
// or a quotation mark of it is not closed where the word ends.
int ReadSwitchWord(const char* text, SwitchWord* word);

// Nonzero when the name (length bytes) of a switch word is name (in capitals), in any case.
int IsSwitchName(const char* text, int length, const char* name);
