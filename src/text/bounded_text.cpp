// Bounded copies, appends, comparison, field splitting and path splitting of 8-bit text.
#include "text/bounded_text.h"

int CompareCounted(const char* first, const char* second, int n)
{
    for (int i = 0; i < n; i++) {
        signed char a = static_cast<signed char>(first[i]);
        signed char b = static_cast<signed char>(second[i]);
        if (a < b)
            return -1;
        if (a > b)
            return 1;
    }
    return 0;
}

int CopyBounded(char* destination, int capacity, const char* source, int n)
{
    if (capacity <= 0)
        return 0;
    int count = n < capacity - 1 ? n : capacity - 1;
    if (count < 0)
        count = 0;
    for (int i = 0; i < count; i++)
        destination[i] = source[i];
    destination[count] = '\0';
    return count;
}

int CopyText(char* destination, int capacity, const char* source)
{
    return CopyBounded(destination, capacity, source, TextLength(source));
}

int AppendBounded(char* destination, int capacity, int position, const char* source, int n)
{
    if (position >= capacity)
        return position;
    int room = capacity - 1 - position;
    int count = n < room ? n : room;
    if (count < 0)
        count = 0;
    for (int i = 0; i < count; i++)
        destination[position + i] = source[i];
    destination[position + count] = '\0';
    return position + count;
}

void NextField(const char** cursor, char* destination, int capacity, char separator)
{
    const char* at = *cursor;
    int stored = 0;
    while (*at != '\0' && *at != separator) {
        if (stored < capacity - 1)
            destination[stored++] = *at;
        at++;
    }
    if (*at == separator)
        at++;
    if (capacity > 0)
        destination[stored] = '\0';
    *cursor = at;
}

PathSplit SplitPath(const char* path)
{
    PathSplit split = {0, 0, 0};
    int length = TextLength(path);
    if (length >= 2 && path[1] == ':')
        split.driveLength = 2;
    split.dirLength = split.driveLength;
    int found = 0;
    for (int i = split.driveLength; i < length; i++) {
        if (path[i] == '\\') {
            split.dirLength = i;
            found = 1;
        }
    }
    if (found)
        split.dirLength++;
    for (int i = split.dirLength; i < length; i++) {
        if (path[i] == '.')
            split.extPosition = i;
    }
    return split;
}

int TextLength(const char* text)
{
    int length = 0;
    while (text[length] != '\0')
        length++;
    return length;
}

int JoinPath(char* destination, int capacity, const char* folder, const char* name)
{
    int folderLength = TextLength(folder);
    int nameLength = TextLength(name);
    int expected = folderLength + nameLength;
    int length = CopyBounded(destination, capacity, folder, folderLength);
    if (folderLength > 0 && folder[folderLength - 1] != '\\') {
        length = AppendBounded(destination, capacity, length, "\\", 1);
        expected++;
    }
    length = AppendBounded(destination, capacity, length, name, nameLength);
    return length == expected ? length : -1;
}

char* FindLastChar(char* text, char character)
{
    char* last = 0;
    for (char* at = text; *at != '\0'; at++) {
        if (*at == character)
            last = at;
    }
    return last;
}

int ParseDecimal(const char* text)
{
    const char* at = text;
    while (*at == ' ' || *at == '\t' || *at == '\n' || *at == '\v' || *at == '\f' || *at == '\r')
        at++;
    int negative = 0;
    if (*at == '+' || *at == '-') {
        negative = *at == '-';
        at++;
    }
    // Accumulates as a 32-bit value that wraps, without overflow detection.
    unsigned value = 0;
    while (*at >= '0' && *at <= '9') {
        value = value * 10u + static_cast<unsigned>(*at - '0');
        at++;
    }
    if (negative)
        value = 0u - value;
    return static_cast<int>(value);
}

char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

int DriveNumberOf(const char* currentDirectory)
{
    char letter = UpperAscii(currentDirectory[0]);
    if (letter < 'A' || letter > 'Z' || currentDirectory[1] != ':')
        return 0;
    return letter - 'A' + 1;
}
