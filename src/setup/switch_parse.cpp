// Reading the setup program's command line, one switch at a time (no window calls).
#include "setup/switch_parse.h"

#include "text/bounded_text.h"

namespace {

enum ValueRule { kNoValue, kValueNeeded, kValueOptional, kValueToEnd };

// The names are kept in place rather than pointed to: the shipped program then needs no
// relocation for them.
struct SwitchName {
    char name[15];   // in capitals
    unsigned char kind;    // a SwitchKind
    unsigned char value;   // a ValueRule
};

const SwitchName kSwitchNames[] = {
    {"S", kSwitchVerySilent, kNoValue},       {"VERYSILENT", kSwitchVerySilent, kNoValue},
    {"SILENT", kSwitchPassive, kNoValue},     {"PASSIVE", kSwitchPassive, kNoValue},
    {"D", kSwitchDirectory, kValueToEnd},     {"DIR", kSwitchDirectory, kValueNeeded},
    {"LOG", kSwitchLog, kValueNeeded},        {"REGISTER", kSwitchRegister, kValueOptional},
    {"NORESTART", kSwitchNoRestart, kNoValue}, {"?", kSwitchHelp, kNoValue},
    {"HELP", kSwitchHelp, kNoValue},          {"ALLOWDOWNGRADE", kSwitchAllowDowngrade, kNoValue},
};

int IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Nonzero when the piece of `length` characters at text is name, in any letter case.
int MatchesName(const char* text, int length, const char* name)
{
    int i = 0;
    for (; i < length && name[i] != '\0'; i++) {
        char c = text[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != name[i])
            return 0;
    }
    return i == length && name[i] == '\0';
}

// The word at start as written, up to the next blank, into value; the cursor goes past it.
SwitchKind Unknown(const char* start, const char** cursor, char* value, int capacity)
{
    const char* end = start;
    while (*end != '\0' && !IsBlank(*end))
        end++;
    CopyBounded(value, capacity, start, static_cast<int>(end - start));
    *cursor = end;
    return kSwitchUnknown;
}

}  // namespace

const char* SkipProgramName(const char* commandLine)
{
    const char* at = commandLine;
    while (IsBlank(*at))
        at++;
    if (*at == '"') {
        at++;
        while (*at != '\0' && *at != '"')
            at++;
        if (*at == '"')
            at++;
    } else {
        while (*at != '\0' && !IsBlank(*at))
            at++;
    }
    return at;
}

SwitchKind ReadSwitch(const char** cursor, char* value, int capacity)
{
    const char* start = *cursor;
    while (IsBlank(*start))
        start++;
    *cursor = start;
    value[0] = '\0';
    if (*start == '\0')
        return kSwitchEnd;
    // A switch quoted whole, as argument lists quote a word that holds blanks: "/DIR=C:\a b".
    int wholeQuoted = *start == '"' && (start[1] == '/' || start[1] == '-');
    if (!wholeQuoted && *start != '/' && *start != '-')
        return Unknown(start, cursor, value, capacity);
    const char* name = start + 1 + wholeQuoted;
    const char* at = name;
    while (*at != '\0' && *at != '=' && *at != '"' && !IsBlank(*at))
        at++;
    const SwitchName* found = nullptr;
    for (const SwitchName& known : kSwitchNames) {
        if (MatchesName(name, static_cast<int>(at - name), known.name))
            found = &known;
    }
    if (found == nullptr)
        return Unknown(start, cursor, value, capacity);
    if (*at != '=') {
        if (found->value == kValueNeeded || found->value == kValueToEnd)
            return Unknown(start, cursor, value, capacity);
        if (wholeQuoted) {
            if (*at != '"' || (at[1] != '\0' && !IsBlank(at[1])))
                return Unknown(start, cursor, value, capacity);
            at++;
        }
        *cursor = at;
        return static_cast<SwitchKind>(found->kind);
    }
    if (found->value == kNoValue)
        return Unknown(start, cursor, value, capacity);

    const char* text = at + 1;
    const char* end = text;
    if (wholeQuoted || *text == '"') {
        text += !wholeQuoted;
        end = text;
        while (*end != '\0' && *end != '"')
            end++;
        // An unclosed quotation mark, or more text glued to the closing one, is no value.
        if (*end != '"' || (end[1] != '\0' && !IsBlank(end[1])))
            return Unknown(start, cursor, value, capacity);
        *cursor = end + 1;
    } else if (found->value == kValueToEnd) {
        end = text + TextLength(text);
        while (end > text && IsBlank(end[-1]))
            end--;
        *cursor = text + TextLength(text);
    } else {
        while (*end != '\0' && !IsBlank(*end))
            end++;
        *cursor = end;
    }
    int length = static_cast<int>(end - text);
    // A cut value would name another folder or file.
    if (length >= capacity || (length == 0 && found->value != kValueOptional))
        return Unknown(start, cursor, value, capacity);
    CopyBounded(value, capacity, text, length);
    return static_cast<SwitchKind>(found->kind);
}

int CheckGivenTarget(char* path)
{
    int length = TextLength(path);
    while (length > 0 && path[length - 1] == '\\')
        path[--length] = '\0';
    char drive = static_cast<char>(path[0] | 0x20);
    // A drive letter, its colon and a backslash with a folder after them, or \\server\...
    int complete = (length > 3 && drive >= 'a' && drive <= 'z' && path[1] == ':' &&
                    path[2] == '\\') ||
                   (length > 2 && path[0] == '\\' && path[1] == '\\');
    if (!complete)
        return -1;
    for (int i = 2; i < length; i++) {
        char c = path[i];
        if (c == ':' || c == '"' || c == '*' || c == '?' || c == '<' || c == '>' || c == '|')
            return -1;
        // A "." or ".." step: the folder would be another than the one named.
        if (c == '.' && path[i - 1] == '\\') {
            int dots = path[i + 1] == '.' ? 2 : 1;
            if (path[i + dots] == '\\' || path[i + dots] == '\0')
                return -1;
        }
    }
    return length;
}
