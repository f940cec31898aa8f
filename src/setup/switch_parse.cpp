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
    "VERIFY";
constexpr unsigned char kSwitchRules[] = {
    kSwitchVerySilent | kNoValue << 4,     kSwitchVerySilent | kNoValue << 4,
    kSwitchPassive | kNoValue << 4,        kSwitchPassive | kNoValue << 4,
    kSwitchDirectory | kValueToEnd << 4,   kSwitchDirectory | kValueNeeded << 4,
    kSwitchLog | kValueNeeded << 4,        kSwitchRegister | kValueOptional << 4,
    kSwitchNoRestart | kNoValue << 4,      kSwitchHelp | kNoValue << 4,
    kSwitchHelp | kNoValue << 4,           kSwitchAllowDowngrade | kNoValue << 4,
    kSwitchVerify | kNoValue << 4,
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

// The end of a switch's name that starts at name: its value's '=', a quotation mark, a blank,
// or the '/' of a switch glued to it ("/S/D=C:\Q" holds two).
const char* NameEnd(const char* name)
{
    while (*name != '\0' && *name != '=' && *name != '"' && *name != '/' && !IsBlank(*name))
        name++;
    return name;
}

// The index in kSwitchNames of the name of `length` characters at name, or -1.
int FindSwitchName(const char* name, int length)
{
    int found = -1;
    const char* known = kSwitchNames;
    for (int i = 0; i < static_cast<int>(sizeof kSwitchRules); i++) {
        if (IsSwitchName(name, length, known))
            found = i;
        known += TextLength(known) + 1;
    }
    return found;
}

// Nonzero when a known switch starts at text, quoted whole or not.
int StartsKnownSwitch(const char* text)
{
    text += *text == '"';
    if (*text != '/' && *text != '-')
        return 0;
    const char* name = text + 1;
    return FindSwitchName(name, static_cast<int>(NameEnd(name) - name)) >= 0;
}

// The end of an unquoted value that may hold blanks: before the blanks that precede a known
// switch, or before the final blanks of the line.
const char* BlankValueEnd(const char* text)
{
    const char* end = text;
    while (*end != '\0') {
        if (IsBlank(*end)) {
            const char* next = end;
            while (IsBlank(*next))
                next++;
            if (*next == '\0' || StartsKnownSwitch(next))
                return end;
            end = next;
        } else {
            end++;
        }
    }
    return end;
}

// The text from start to end as written into value, the cursor past it; returns kind.
SwitchKind TakeText(SwitchKind kind, const char* start, const char* end, const char** cursor,
                    char* value, int capacity)
{
    CopyBounded(value, capacity, start, static_cast<int>(end - start));
    *cursor = end;
    return kind;
}

// The word at start as written, up to the next blank, into value; the cursor goes past it.
SwitchKind Unknown(const char* start, const char** cursor, char* value, int capacity)
{
    const char* end = start;
    while (*end != '\0' && !IsBlank(*end))
        end++;
    return TakeText(kSwitchUnknown, start, end, cursor, value, capacity);
}

// Nonzero when a switch starts at text: '/' or '-', also after the quote of a switch quoted
// whole.
int StartsSwitch(const char* text)
{
    if (*text == '"')
        text++;
    return *text == '/' || *text == '-';
}

// The end of the word at text: the next blank outside quotation marks, or the end of the line.
const char* WordEnd(const char* text)
{
    while (*text != '\0' && !IsBlank(*text))
        text = *text == '"' ? SkipQuoted(text) : text + 1;
    return text;
}

// The end of the words from `end` on up to the next switch (blanks between them included).
const char* EndBeforeSwitch(const char* end)
{
    const char* next = end;
    for (;;) {
        while (IsBlank(*next))
            next++;
        if (*next == '\0' || StartsSwitch(next))
            return end;
        end = WordEnd(next);
        next = end;
    }
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
    if (!StartsSwitch(start))
        return TakeText(kSwitchWord, start, WordEnd(start), cursor, value, capacity);
    const char* name = start + 1 + wholeQuoted;
    const char* at = NameEnd(name);
    int found = FindSwitchName(name, static_cast<int>(at - name));
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
        end = BlankValueEnd(text);
        *cursor = end;
    } else {
        while (*end != '\0' && !IsBlank(*end))
            end++;
        *cursor = end;
        // Words after an unquoted value are most likely the rest of it, cut at a blank: taken
        // alone, the value would name another folder or file.
        const char* rest = EndBeforeSwitch(end);
        if (rest != end)
            return TakeText(kSwitchUnknown, start, rest, cursor, value, capacity);
    }
    int length = static_cast<int>(end - text);
    // A cut value would name another folder or file.
    if (length >= capacity || (length == 0 && rule != kValueOptional))
        return Unknown(start, cursor, value, capacity);
    CopyBounded(value, capacity, text, length);
    return kind;
}

int HoldsQuietSwitch(const char* arguments)
{
    for (const char* at = arguments; *at != '\0'; at++) {
        // A '/' starts a switch anywhere; a '-' only at the start of a word (names hold them).
        int wordStart = at == arguments || IsBlank(at[-1]) || at[-1] == '"';
        if (*at != '/' && (*at != '-' || !wordStart))
            continue;
        const char* name = at + 1;
        int found = FindSwitchName(name, static_cast<int>(NameEnd(name) - name));
        if (found >= 0 && (kSwitchRules[found] & 15) == kSwitchVerySilent)
            return 1;
    }
    return 0;
}

int CheckGivenTarget(char* path)
{
    int length = TextLength(path);
    while (length > 0 && path[length - 1] == '\\')
        path[--length] = '\0';
    return CheckTargetText(path, length);
}
