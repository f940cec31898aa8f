// The split of one Files value into its destination and source names.
#pragma once

// A Files value as the installer reads it. The entry buffer holds the value without its
// leading '%', cut to the buffer like every bounded copy; the destination name is its first
// nameLength bytes, up to the last ';' of the cut text, and source points at the source name
// after that ';' (at the entry itself when there is none).
struct FilesValue {
    int toWindows;    // 1 when the value starts with '%': the file goes to the Windows directory
    int nameLength;
    char* source;
};

// Copies value (valueLength bytes, not terminated) into entry (capacity bytes) and splits it.
// The entry stays whole, so that it can be shown; writing a zero at nameLength ends the
// destination name.
FilesValue SplitFilesValue(const char* value, int valueLength, char* entry, int capacity);
