// Sections and their entries: finding a section, reading its entry lines, taking named keys.
#include "checker.h"

#include <string>

#include "script/script_scan.h"
#include "text/bounded_text.h"

namespace infcheck {

// Finds the section as the installer does and says its header line. Returns 0 with cursor on
// its first entry line, or -1 when it is missing, reported as an error when missingNote is null
// (the installer stops without it) and as that note otherwise.
int OpenSection(Check* check, const char* section, const char* missingNote, int* cursor)
{
    if (ScanForSection(check->text, section, cursor) != 0) {
        if (missingNote == nullptr)
            Fail(check, "section-missing",
                 std::string("no section [") + section + "]: SETUP.EXE shows \"Section [" +
                     section + "] does not exist !\" and ends before any window");
        else
            Say(check, 0, std::string("note: no section [") + section + "]: " + missingNote);
        return -1;
    }
    Say(check, LineNumberAt(*check, *cursor - 1), std::string("[") + section + "]");
    return 0;
}

// Parses the entry line at cursor into entry and moves cursor past it. Returns 0, or -1 at the
// end of the section (a header line or the end of the text).
int NextEntry(const Check& check, int* cursor, Entry* entry)
{
    entry->line = check.text + *cursor;
    int length = ParseEntry(entry->line, &entry->keyLength, &entry->valueStart,
                            &entry->valueLength);
    if (length == 0)
        return -1;
    entry->lineNumber = LineNumberAt(check, *cursor);
    entry->content = ContentLength(entry->line);
    *cursor += length;
    return 0;
}

std::string CutNote(int length)
{
    return std::to_string(length) + " characters; the installer keeps the first " +
           std::to_string(kTextCapacity - 1);
}

// Reports why an entry line of a section with named keys was not taken for any key.
static void ExplainUntakenLine(Check* check, const Entry& entry, const char* section,
                        const char* const* keys, int keyCount)
{
    const char* line = entry.line;
    int content = entry.content;
    int lineNumber = entry.lineNumber;
    int blanks = CountBlanks(line, content);
    for (int k = 0; k < keyCount; k++) {
        int keyLength = TextLength(keys[k]);
        if (blanks > 0 && content - blanks >= keyLength &&
            CompareCounted(line + blanks, keys[k], keyLength) == 0) {
            Warn(check, lineNumber, "key-blank",
                 Quoted(line, content) + " is not taken for " + keys[k] +
                     ": a blank before the key defeats it");
            return;
        }
    }
    for (int k = 0; k < keyCount; k++) {
        if (StartsWithIgnoringCase(line + blanks, content - blanks, keys[k])) {
            Warn(check, lineNumber, "key-case",
                 Quoted(line, content) + " is not taken for " + keys[k] +
                     ": key names are case-sensitive");
            return;
        }
    }
    Warn(check, lineNumber, "key-unknown",
         Quoted(line, content) + " is not a key of [" + section +
             "]; the installer passes over it");
}

// Reports the settings of one named key taken from an entry: the value, and the traps of the
// prefix match, the missing '=', the cut at 127 characters and the overwritten earlier line.
static void TakeSetting(Check* check, const Entry& entry, const char* key, char* setting,
                 int* settingLine)
{
    int lineNumber = entry.lineNumber;
    int nameLength = TextLength(key);
    CopyBounded(setting, kTextCapacity, entry.valueStart, entry.valueLength);
    std::string from = entry.keyLength != nameLength
        ? " (from the line " + Quoted(entry.line, entry.content) + ")"
        : "";
    Say(check, lineNumber, std::string(key) + " = " + Quoted(setting) + from);
    if (*settingLine > 0)
        Warn(check, lineNumber, "key-repeated",
             std::string(key) + " is set again (first on line " + std::to_string(*settingLine) +
                 "); the installer keeps the last value");
    *settingLine = lineNumber;
    if (HasNoEquals(entry.line, entry.content)) {
        Warn(check, lineNumber, "key-no-value",
             "the line has no '=' but begins with " + std::string(key) + ", so " + key +
                 " is set to an empty value");
    } else if (entry.keyLength != nameLength) {
        Warn(check, lineNumber, "key-prefix",
             "key " + Quoted(entry.line, entry.keyLength) + " is taken for " + key +
                 ": the installer matches keys by the first characters of the line");
    }
    if (entry.valueLength >= kTextCapacity)
        Warn(check, lineNumber, "value-cut",
             "the value of " + std::string(key) + " is " + CutNote(entry.valueLength));
}

// Takes an entry of a section with named keys for every key its line begins with, as the
// installer tries each key in turn, or reports why no key took it. settings and settingLines
// hold one value and one line number (0: not set yet) per key.
void TakeNamedKeys(Check* check, const Entry& entry, const char* section,
                   const char* const* keys, int keyCount, char (*settings)[kTextCapacity],
                   int* settingLines)
{
    int taken = 0;
    for (int k = 0; k < keyCount; k++) {
        if (CompareCounted(entry.line, keys[k], TextLength(keys[k])) == 0) {
            TakeSetting(check, entry, keys[k], settings[k], &settingLines[k]);
            taken = 1;
        }
    }
    if (!taken && entry.content > 0 && entry.line[0] != ';' &&
        (entry.keyLength > 0 || entry.valueLength > 0))
        ExplainUntakenLine(check, entry, section, keys, keyCount);
}

}  // namespace infcheck
