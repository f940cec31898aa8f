// An uninstall command as the programs list holds it: its program, the folder of that program, and Purgax's quiet switch, log file and target (no window calls).
#include "text/uninstall_command.h"

#include "text/bounded_text.h"
#include "text/command_words.h"

// Which of Purgax's switches the word at text is: 'S', 'L' (with word's value), or 0.
static char KnownSwitch(const char* text, SwitchWord* word)
{
    if (ReadSwitchWord(text, word) != 0)
        return 0;
    if (word->value == 0 && IsSwitchName(word->name, word->nameLength, "S"))
        return 'S';
    return word->value != 0 && IsSwitchName(word->name, word->nameLength, "LOG") ? 'L' : 0;
}

// Nonzero when the blanks at text lead to another switch: a '/', a quoted switch, or a known
// switch written with '-'.
static int BeforeSwitch(const char* text)
{
    SwitchWord word;
    while (IsBlank(*text))
        text++;
    return *text == '/' || (*text == '"' && (text[1] == '/' || text[1] == '-')) ||
           (*text == '-' && KnownSwitch(text, &word) != 0);
}

// Reads the target that starts at text (after its '/') into target and length; whole tells
// that the word was quoted from before its '/'. Returns where the reading goes on.
static const char* ReadTarget(const char* text, int whole, const char** target, int* length)
{
    const char* start = text;
    const char* end = text;
    if (whole || *text == '"') {
        start += !whole;
        end = start;
        while (*end != '\0' && *end != '"')
            end++;
        text = *end == '"' ? end + 1 : end;
    } else {
        SwitchWord word;
        while (*end != '\0' && !(*end == '/' && KnownSwitch(end, &word) != 0) &&
               !(IsBlank(*end) && BeforeSwitch(end)))
            end++;
        text = end;
        // The blanks before a switch part the words; at the end of the line they are the
        // target's own (and refuse it).
        while (*text != '\0' && end > start && IsBlank(end[-1]))
            end--;
    }
    *target = start;
    *length = static_cast<int>(end - start);
    return text;
}

void ReadUninstallCommand(const char* command, UninstallCommand* read)
{
    read->quiet = 0;
    read->log = 0;
    read->logLength = 0;
    read->target = 0;
    read->targetLength = 0;
    int targets = 0;
    const char* target = 0;
    int targetLength = 0;
    int programLength = 0;
    const char* at = FindCommandProgram(command, &programLength) + programLength;
    if (*at == '"')
        at++;
    for (;;) {
        while (IsBlank(*at))
            at++;
        if (*at == '\0')
            break;
        SwitchWord word;
        char known = KnownSwitch(at, &word);
        int whole = *at == '"';
        if (known == 'S') {
            read->quiet = 1;
        } else if (known == 'L') {
            read->log = word.value;
            read->logLength = word.valueLength;
        } else if (at[whole] == '/') {
            at = ReadTarget(at + whole + 1, whole, &target, &targetLength);
            targets++;
            continue;
        } else {
            // A word that means nothing here.
            at = whole ? SkipQuoted(at) : at + 1;
            while (*at != '\0' && !IsBlank(*at) && *at != '/')
                at++;
            continue;
        }
        at = word.end;
    }
    // /S anywhere, even in a word that reads as nothing else (an unclosed quotation mark): a
    // run that nobody watches never waits for an answer.
    for (at = command; *at != '\0'; at++) {
        char before = at > command ? at[-1] : ' ';
        if (at[0] == '/' && UpperAscii(at[1]) == 'S' &&
            (IsBlank(before) || before == '"' || before == '/') &&
            (at[2] == '\0' || IsBlank(at[2]) || at[2] == '"' || at[2] == '/'))
            read->quiet = 1;
    }
    // Two targets name no one folder.
    if (targets == 1) {
        read->target = target;
        read->targetLength = targetLength;
    }
}

const char* FindCommandProgram(const char* command, int* length)
{
    const char* start = command;
    while (IsBlank(*start))
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

const char* FindCommandFolder(const char* command, int* length)
{
    int programLength = 0;
    const char* program = FindCommandProgram(command, &programLength);
    if (program == command || program[-1] != '"') {
        for (int i = 0; i + 4 <= programLength; i++) {
            if (IsSwitchName(program + i, 4, ".EXE") &&
                (i + 4 == programLength || IsBlank(program[i + 4]))) {
                programLength = i + 4;
                break;
            }
        }
    }
    while (programLength > 0 && program[programLength - 1] != '\\')
        programLength--;
    if (programLength <= 1)
        return 0;
    *length = programLength - 1;
    return program;
}

const char* Unquoted(const char* text, int* length)
{
    int textLength = TextLength(text);
    if (textLength >= 2 && text[0] == '"' && text[textLength - 1] == '"') {
        text++;
        textLength -= 2;
    }
    *length = textLength;
    return text;
}
