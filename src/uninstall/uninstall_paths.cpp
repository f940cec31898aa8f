// Text rules of the uninstaller: its command line, the folders it accepts and the names that stay inside them.
#include "uninstall/uninstall_paths.h"

#include "base/folder_text.h"
#include "text/bounded_text.h"
#include "text/command_words.h"

static char FoldAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Characters that no file or folder name holds; ':' and the slashes are checked apart.
static int IsForbiddenInName(char c)
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

const char* FindCommandTarget(const char* command, int* length)
{
    const char* at = command;
    while (IsBlank(*at))
        at++;
    if (*at == '"')
        at = SkipQuoted(at);
    while (*at != '\0' && *at != '/')
        at++;
    if (*at != '/')
        return 0;
    at++;
    int targetLength = TextLength(at);
    if (targetLength >= 2 && at[0] == '"' && at[targetLength - 1] == '"') {
        at++;
        targetLength -= 2;
    }
    *length = targetLength;
    return at;
}

const char* FindCommandProgram(const char* command, int* length)
{
    const char* start = command;
    while (*start == ' ' || *start == '\t')
        start++;
    int programLength = 0;
    if (*start == '"') {
        start++;
        while (start[programLength] != '\0' && start[programLength] != '"')
            programLength++;
    } else {
        while (start[programLength] != '\0' && start[programLength] != '/')
            programLength++;
        while (programLength > 0 && start[programLength - 1] == ' ')
            programLength--;
    }
    *length = programLength;
    return start;
}

int RootLength(const char* path, int length)
{
    if (length >= 3 && FoldAscii(path[0]) >= 'A' && FoldAscii(path[0]) <= 'Z' &&
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

int PointsInto(const char* text, const char* folder, int folderLength)
{
    if (*text == '"')
        text++;
    int length = TextLength(text);
    return folderLength > 0 && length > folderLength &&
           CompareFolded(text, folder, folderLength) == 0 && text[folderLength] == '\\';
}

const char* FindProgramFolder(const char* command, const char* program, int* length)
{
    int quoted = *command == '"';
    const char* start = command + quoted;
    int programLength = TextLength(program);
    for (int i = 0; start[i] != '\0' && !(quoted && start[i] == '"'); i++) {
        if (start[i] != '\\' || CompareFolded(start + i + 1, program, programLength) != 0)
            continue;
        char end = start[i + 1 + programLength];
        if (quoted ? end == '"' : end == '\0' || end == ' ') {
            *length = i;
            return start;
        }
    }
    return 0;
}
