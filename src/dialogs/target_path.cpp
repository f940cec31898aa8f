// Completion of the typed target directory into an absolute path (no window calls).
#include "dialogs/target_path.h"

#include "text/bounded_text.h"

void CompleteTargetPath(const char* text, const char* currentDirectory, int drive,
                        char* target, int capacity)
{
    int textLength = TextLength(text);
    int length = 0;
    if (textLength >= 2 && text[1] == ':') {
        length = CopyBounded(target, capacity, text, 2);
        if (text[2] != '\\')
            length = AppendBounded(target, capacity, length, "\\", 1);
        length = AppendBounded(target, capacity, length, text + 2, textLength - 2);
    } else if (text[0] == '\\') {
        // Without a drive letter (a current directory on a network name) the text stays
        // root-relative as typed: no letter could be put in front of it.
        if (drive >= 1 && drive <= 26) {
            char prefix[2] = {(char)(64 + drive), ':'};
            length = CopyBounded(target, capacity, prefix, 2);
        } else {
            length = CopyBounded(target, capacity, "", 0);
        }
        length = AppendBounded(target, capacity, length, text, textLength);
    } else {
        int directoryLength = TextLength(currentDirectory);
        int separator = directoryLength > 0 && currentDirectory[directoryLength - 1] != '\\';
        // A completed path cut at the capacity would name another directory: a text that fits
        // on its own stays as typed (relative to the current directory) instead.
        if (directoryLength + separator + textLength > capacity - 1 && textLength <= capacity - 1)
            directoryLength = 0;
        length = CopyBounded(target, capacity, currentDirectory, directoryLength);
        // An unknown (empty) current directory leaves the text relative rather than making
        // it root-relative with a lone separator.
        if (length > 0 && target[length - 1] != '\\')
            length = AppendBounded(target, capacity, length, "\\", 1);
        length = AppendBounded(target, capacity, length, text, textLength);
    }
}
