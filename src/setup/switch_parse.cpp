// Reading the setup program's command line, one switch at a time (no window calls).
#include "setup/switch_parse.h"

#include "base/folder_text.h"
#include "text/bounded_text.h"
#include "text/command_words.h"

namespace {

enum ValueRule { kNoValue, kValueNeeded, kValueOptional, kValueToEnd };

// The names one after another, in capitals, each ended by a zero; for each, in the same order,
// its SwitchKind in the low four bits and its ValueRule above them. Kept in place rather than
// pointed to, the shipped program needs no relocation for them.
constexpr char kSwitchNames[] =
    "S\0VERYSILENT\0SILENT\0PASSIVE\0D\0DIR\0LOG\0REGISTER\0NORESTART\0?\0HELP\0ALLOWDOWNGRADE\0"
    "ALLUSERS\0CURRENTUSER";
constexpr unsigned char kSwitchRules[] = {
    kSwitchVerySilent | kNoValue << 4,     kSwitchVerySilent | kNoValue << 4,
    kSwitchPassive | kNoValue << 4,        kSwitchPassive | kNoValue << 4,
    kSwitchDirectory | kValueToEnd << 4,   kSwitchDirectory | kValueNeeded << 4,
    kSwitchLog | kValueNeeded << 4,        kSwitchRegister | kValueOptional << 4,
    kSwitchNoRestart | kNoValue << 4,      kSwitchHelp | kNoValue << 4,
    kSwitchHelp | kNoValue << 4,           kSwitchAllowDowngrade | kNoValue << 4,
    kSwitchAllUsers | kNoValue << 4,       kSwitchCurrentUser | kNoValue << 4,
};

// The number of names in a list of names each ended by a zero.
constexpr int CountNames(const char* names, int size)
{
    int count = 0;
    for (int i = 0; i < size; i++)
        count += names[i] == '\0';
    return count;
}

static_assert(CountNames(kSwitchNames, sizeof kSwitchNames) == sizeof kSwitchRules,
              "one rule for each switch name, in the same order");
static_assert(kSwitchUnknown < 16, "every SwitchKind fits in the rule's low four bits");
static_assert(kValueToEnd < 16, "every ValueRule fits in the four bits above the kind");

// Nonzero when the piece of `length` characters at text is name, in any letter case.
int MatchesName(const char* text, int length, const char* name)
{
    int i = 0;
    for (; i < length && name[i] != '\0'; i++) {
        if (UpperAscii(text[i]) != name[i])
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
    int found = -1;
    const char* known = kSwitchNames;
    for (int i = 0; i < static_cast<int>(sizeof kSwitchRules); i++) {
        if (MatchesName(name, static_cast<int>(at - name), known))
            found = i;
        known += TextLength(known) + 1;
    }
    if (found < 0)
        return Unknown(start, cursor, value, capacity);
    SwitchKind kind = static_cast<SwitchKind>(kSwitchRules[found] & 15);
    ValueRule rule = static_cast<ValueRule>(kSwitchRules[found] >> 4);
    if (*at != '=') {
        if (rule == kValueNeeded || rule == kValueToEnd)
            return Unknown(start, cursor, value, capacity);
        if (wholeQuoted) {
            if (*at != '"' || (at[1] != '\0' && !IsBlank(at[1])))
                return Unknown(start, cursor, value, capacity);
            at++;
        }
        *cursor = at;
        return kind;
    }
    if (rule == kNoValue)
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
    } else if (rule == kValueToEnd) {
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
    if (length >= capacity || (length == 0 && rule != kValueOptional))
        return Unknown(start, cursor, value, capacity);
    CopyBounded(value, capacity, text, length);
    return kind;
}

int CheckGivenTarget(char* path)
{
    int length = TextLength(path);
    while (length > 0 && path[length - 1] == '\\')
        path[--length] = '\0';
    return CheckTargetText(path, length);
}
