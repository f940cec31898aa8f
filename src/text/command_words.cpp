// The words of a command line: blanks, and the program's name at its start, quoted or not.
#include "text/command_words.h"

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
