// Folder paths as text: the form the system gives them, comparison without regard to ASCII case, device names, and the rules for a target folder and for a name that stays inside a folder.
#include "base/folder_text.h"

#include "text/bounded_text.h"

static int IsLetter(char c)
{
    return UpperAscii(c) >= 'A' && UpperAscii(c) <= 'Z';
}

// Length of a prefix that names a drive the long way (\\?\C:, \\.\C:, \\?\UNC\localhost\C$,
// \\localhost\C$, \\127.0.0.1\C$), with the letter stored in *drive; 0 when there is none.
static int DrivePrefixLength(const char* path, int length, char* drive)
{
    // Each ended by a zero, an empty one after the last: kept in place, they need no relocation.
    static const char kPrefixes[] =
        "\\\\?\\UNC\\LOCALHOST\\\0\\\\?\\UNC\\127.0.0.1\\\0\\\\LOCALHOST\\\0"
        "\\\\127.0.0.1\\\0\\\\?\\\0\\\\.\\\0";
    for (const char* prefix = kPrefixes; *prefix != '\0'; prefix += TextLength(prefix) + 1) {
        int prefixLength = TextLength(prefix);
        if (length < prefixLength + 2 || CompareFolded(path, prefix, prefixLength) != 0 ||
            !IsLetter(path[prefixLength]))
            continue;
        // A share ends with '$', a device form with ':'.
        char mark = prefix[2] == 'L' || prefix[2] == '1' || prefix[4] == 'U' ? '$' : ':';
        if (path[prefixLength + 1] != mark ||
            (length > prefixLength + 2 && path[prefixLength + 2] != '\\'))
            continue;
        *drive = path[prefixLength];
        return prefixLength + 2;
    }
    return 0;
}

int CanonicalFolderText(char* path, int length)
{
    char drive = 0;
    int skip = DrivePrefixLength(path, length, &drive);
    int out = 0;
    int in = 0;
    if (skip > 0) {
        path[0] = drive;
        path[1] = ':';
        path[2] = '\\';
        out = 3;
        in = skip < length ? skip + 1 : skip;
    } else if (length >= 1 && path[0] == '\\') {
        // A network name keeps its double backslash, a path from the root its backslash.
        out = length >= 2 && path[1] == '\\' ? 2 : 1;
        in = out;
    }
    int componentStart = out;
    for (; in <= length; in++) {
        char c = in < length ? path[in] : '\\';
        if (c != '\\') {
            path[out++] = c;
            continue;
        }
        int end = out;
        while (end > componentStart && (path[end - 1] == '.' || path[end - 1] == ' '))
            end--;
        // "." and ".." keep their meaning; a doubled backslash adds nothing.
        if (end > componentStart)
            out = end;
        if (out > componentStart && in < length) {
            path[out++] = '\\';
            componentStart = out;
        }
    }
    // A drive root keeps its backslash; every other folder loses its final one.
    while (out > 2 && path[out - 1] == '\\' && !(out == 3 && path[1] == ':'))
        out--;
    path[out] = '\0';
    // Trimming may have made a drive's long form ("\\localhost.\C$"): once more then.
    if (DrivePrefixLength(path, out, &drive) > 0)
        return CanonicalFolderText(path, out);
    return out;
}

int CompareFolded(const char* first, const char* second, int n)
{
    for (int i = 0; i < n; i++) {
        if (UpperAscii(first[i]) != UpperAscii(second[i]))
            return 1;
    }
    return 0;
}

int IsSameOrBelow(const char* path, const char* folder)
{
    int pathLength = TextLength(path);
    int folderLength = TextLength(folder);
    while (folderLength > 0 && folder[folderLength - 1] == '\\')
        folderLength--;
    while (pathLength > 0 && path[pathLength - 1] == '\\')
        pathLength--;
    if (folderLength == 0 || pathLength < folderLength)
        return 0;
    if (CompareFolded(path, folder, folderLength) != 0)
        return 0;
    return pathLength == folderLength || path[folderLength] == '\\';
}

int IsDeviceName(const char* name, int length)
{
    // Each ended by a zero, an empty one after the last.
    static const char kDevices[] = "CON\0PRN\0AUX\0NUL\0CONIN$\0CONOUT$\0CLOCK$\0";
    int base = 0;
    while (base < length && name[base] != '.')
        base++;
    while (base > 0 && name[base - 1] == ' ')
        base--;
    for (const char* device = kDevices; *device != '\0'; device += TextLength(device) + 1) {
        if (base == TextLength(device) && CompareFolded(name, device, base) == 0)
            return 1;
    }
    return base == 4 && (CompareFolded(name, "COM", 3) == 0 || CompareFolded(name, "LPT", 3) == 0) &&
           name[3] >= '1' && name[3] <= '9';
}

int IsForbiddenInName(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    return u < 32 || c == '"' || c == '*' || c == '?' || c == '<' || c == '>' || c == '|';
}

// A component made only of dots and blanks names the folder itself or its parent once the
// system has trimmed it ("..", ". .", "...").
static int IsDotsAndBlanks(const char* component, int length)
{
    for (int i = 0; i < length; i++) {
        if (component[i] != '.' && component[i] != ' ')
            return 0;
    }
    return 1;
}

// Nonzero when every backslash-separated component of text (length bytes) is a proper name.
static int HasProperComponents(const char* text, int length)
{
    int start = 0;
    for (int i = 0; i <= length; i++) {
        if (i < length && text[i] != '\\') {
            if (text[i] == '/' || text[i] == ':' || IsForbiddenInName(text[i]))
                return 0;
            continue;
        }
        if (i == start || IsDotsAndBlanks(text + start, i - start) ||
            IsDeviceName(text + start, i - start))
            return 0;
        start = i + 1;
    }
    return 1;
}

int RootLength(const char* path, int length)
{
    if (length >= 3 && IsLetter(path[0]) &&
        path[1] == ':' && path[2] == '\\')
        return 3;
    if (length < 2 || path[0] != '\\' || path[1] != '\\')
        return 0;
    // \\server\share: two non-empty names after the double backslash.
    int i = 2;
    while (i < length && path[i] != '\\')
        i++;
    if (i == 2 || i >= length)
        return 0;
    int shareStart = ++i;
    while (i < length && path[i] != '\\')
        i++;
    return i > shareStart ? i : 0;
}

int CheckTargetText(const char* text, int length)
{
    int root = RootLength(text, length);
    if (root == 0)
        return -1;
    if (length > root && text[length - 1] == '\\')
        length--;
    if (length <= root)
        return -1;
    // A network name's server and share are checked like the folders below them.
    int below = text[0] == '\\' ? 2 : root;
    if (!HasProperComponents(text + below, length - below))
        return -1;
    return length;
}

int StaysInside(const char* name, int length)
{
    return length > 0 && HasProperComponents(name, length);
}

int HoldsDeviceName(const char* name, int length)
{
    int start = 0;
    for (int i = 0; i <= length; i++) {
        if (i < length && name[i] != '\\')
            continue;
        if (IsDeviceName(name + start, i - start))
            return 1;
        start = i + 1;
    }
    return 0;
}

int IsPlainName(const char* name, int length)
{
    for (int i = 0; i < length; i++) {
        if (name[i] == '\\')
            return 0;
    }
    return StaysInside(name, length);
}
