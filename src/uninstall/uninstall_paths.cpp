// Text rules of the uninstaller: its command line and the commands that point into its folder.
#include "uninstall/uninstall_paths.h"

#include "base/folder_text.h"
#include "text/bounded_text.h"
#include "text/command_words.h"

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
