// The words of a command line: blanks, and the program's name at its start, quoted or not.
#include "text/command_words.h"

#include "text/bounded_text.h"

int IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

const char* SkipQuoted(const char* text)
{
    const char* at = text + 1;
    while (*at != '\0' && *at != '"')
        at++;
    return *at == '"' ? at + 1 : at;
}

const char* SkipProgramName(const char* commandLine)
{
    const char* at = commandLine;
    while (IsBlank(*at))
        at++;
    if (*at == '"')
        return SkipQuoted(at);
    while (*at != '\0' && !IsBlank(*at))
        at++;
    return at;
}

int ReadSwitchWord(const char* text, SwitchWord* word)
{
    int whole = *text == '"';
    const char* at = text + whole;
    if (*at != '/' && *at != '-')
        return -1;
    word->name = ++at;
    while (*at != '\0' && *at != '=' && *at != '/' && *at != '"' && !IsBlank(*at))
        at++;
    word->nameLength = static_cast<int>(at - word->name);
    word->value = 0;
    word->valueLength = 0;
    if (*at == '=') {
        const char* value = ++at;
        if (whole || *value == '"') {
            value += !whole;
            at = value;
            while (*at != '\0' && *at != '"')
                at++;
            if (*at != '"')
                return -1;
            word->valueLength = static_cast<int>(at - value);
            at++;
        } else {
            while (*at != '\0' && !IsBlank(*at))
                at++;
            word->valueLength = static_cast<int>(at - value);
        }
        word->value = value;
    } else if (whole) {
        if (*at != '"')
            return -1;
        at++;
    }
    word->end = at;
    return 0;
}

int IsSwitchName(const char* text, int length, const char* name)
{
    int i = 0;
    for (; i < length && name[i] != '\0'; i++) {
        if (UpperAscii(text[i]) != name[i])
            return 0;
    }
    return i == length && name[i] == '\0';
}
