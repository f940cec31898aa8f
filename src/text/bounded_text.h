// Bounded copies, appends, comparison, field splitting and path splitting of 8-bit text.
#pragma once

// Compares n bytes as signed chars; -1, 0 or +1. n <= 0 gives 0.
int CompareCounted(const char* first, const char* second, int n);

// Copies min(n, capacity - 1) bytes and terminates; returns the count copied.
// Capacity <= 0 writes nothing and returns 0.
int CopyBounded(char* destination, int capacity, const char* source, int n);

// CopyBounded of the whole terminated source.
int CopyText(char* destination, int capacity, const char* source);

// Appends at position, bounded by the whole buffer's capacity, and terminates; returns the
// new length. A position at or past the capacity writes nothing and returns the position.
int AppendBounded(char* destination, int capacity, int position, const char* source, int n);

// Stores the text up to the next separator (cut to capacity - 1) and moves the cursor past it.
void NextField(const char** cursor, char* destination, int capacity, char separator);

// Joins folder and name with one backslash (none is added after a folder that ends with one, or
// before a name in an empty folder) into destination, cut and terminated within capacity.
// Returns the whole length, or -1 when the text was cut (a cut path names another file).
int JoinPath(char* destination, int capacity, const char* folder, const char* name);

struct PathSplit {
    int driveLength;   // 2 when the second character is ':', else 0
    int dirLength;     // index just after the last backslash (driveLength when there is none)
    int extPosition;   // index of the last '.' of the file name, 0 when it has none
};

PathSplit SplitPath(const char* path);

// Length of a terminated text.
int TextLength(const char* text);

// Position of the last occurrence of a character, or 0 (null) when it does not occur.
char* FindLastChar(char* text, char character);

// Decimal conversion: leading white space, one optional sign, digits; wraps like a 32-bit int.
int ParseDecimal(const char* text);

// The ASCII capital of c; any other character stays as it is.
char UpperAscii(char c);

// Drive number from a current directory: 1 for A:, 2 for B:, ...; 0 without "X:".
int DriveNumberOf(const char* currentDirectory);
