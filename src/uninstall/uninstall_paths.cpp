// Text rules of the uninstaller: its command line and the commands that point into its folder.
#include "uninstall/uninstall_paths.h"

#include "base/folder_text.h"
#include "text/bounded_text.h"

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
