// Line and section scanning of the setup script text, and the parsing of one entry line.
#pragma once

// Extent of the line starting at line: its content length and line-break length (2 for CR LF,
// 1 for LF, 0 at the terminating zero).
void LineExtent(const char* line, int* contentLength, int* breakLength);

// Scans from the top for the first header "[" + name; returns 0 with cursor on the line after
// it, or -1 with cursor at the end of the text.
int ScanForSection(const char* text, const char* name, int* cursor);

// Parses the line at line: returns its length with its break, or 0 at the end of the section
// (a header line or the end of the text). Fills the key length and the value's start and length.
int ParseEntry(const char* line, int* keyLength, const char** valueStart, int* valueLength);

// A key of a section of settings and the field that takes its value (capacity bytes).
struct NamedKey {
    const char* key;
    char* field;
    int capacity;
};

// Walks the entries from *cursor to the end of the section: a line that begins with a key's
// characters, case included (so BitmapFile=... counts as Bitmap), sets that key's field to
// its value, cut to the field; the last such line wins. Leaves *cursor at the section's end.
void ReadNamedKeys(const char* text, int* cursor, const NamedKey* keys, int count);
