// Formatting a text into a buffer, as wsprintfA does.
#pragma once

// Formats into buffer, which holds the result (at most 1024 bytes), as wsprintfA does, and
// returns the length. One routine for every caller: each call of it is a short call rather
// than one through the import table.
int FormatText(char* buffer, const char* format, ...);
