// Folder paths as text: the form the system gives them, comparison without regard to ASCII case, and device names.
#include "base/folder_text.h"

#include "text/bounded_text.h"

static char FoldAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

static int IsLetter(char c)
{
    return FoldAscii(c) >= 'A' && FoldAscii(c) <= 'Z';
}

// Length of a prefix that names a drive the long way (\\?\C:, \\.\C:, \\?\UNC\localhost\C$,
// \\localhost\C$, \\127.0.0.1\C$), with the letter stored in *drive; 0 when there is none.
static int DrivePrefixLength(const char* path, int length, char* drive)
{
    static const char* const kPrefixes[] = {
        "\\\\?\\UNC\\LOCALHOST\\", "\\\\?\\UNC\\127.0.0.1\\", "\\\\LOCALHOST\\",
        "\\\\127.0.0.1\\", "\\\\?\\", "\\\\.\\",
    };
    for (const char* prefix : kPrefixes) {
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
        if (FoldAscii(first[i]) != FoldAscii(second[i]))
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
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$",
                                           "CLOCK$"};
    int base = 0;
    while (base < length && name[base] != '.')
        base++;
    while (base > 0 && name[base - 1] == ' ')
        base--;
    for (const char* device : kDevices) {
        if (base == TextLength(device) && CompareFolded(name, device, base) == 0)
            return 1;
    }
    return base == 4 && (CompareFolded(name, "COM", 3) == 0 || CompareFolded(name, "LPT", 3) == 0) &&
           name[3] >= '1' && name[3] <= '9';
}
