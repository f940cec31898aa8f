// Reads a setup script with the installer's own routines and reports what it will do and where it trips.
#include "infcheck.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <vector>

#include "base/capacities.h"
#include "script/files_value.h"
#include "script/script_scan.h"
#include "system/group_fields.h"
#include "system/suffix_walk.h"
#include "text/bounded_text.h"

namespace {

// The installer's string-table names; the script is matched against exactly these.
const char kInstallSection[] = "Install";
const char kFilesSection[] = "Files";
const char kGroupSection[] = "Group";
const char kRegistrationSection[] = "Registration";
const char* const kSectionNames[] = {kInstallSection, kFilesSection, kGroupSection,
                                     kRegistrationSection};
const char* const kInstallKeys[] = {"Bitmap", "Application", "Caption", "Directory",
                                    "Publisher", "Version"};
const int kInstallKeyCount = 6;
const char kSuffixesKey[] = "Suffixes";
const char* const kRegistrationKeys[] = {kSuffixesKey};
const int kRegistrationKeyCount = 1;

// The two programs that SETUP.EXE names whatever the script says: the editor in the target
// directory (App Paths, the txtfile commands) and the uninstaller in the Windows directory.
const char kEditorName[] = "Quillor.exe";
const char kUninstallerName[] = "Purgax.exe";
const char kScriptName[] = "SETUP.INF";

// Placeholders for the folders that only exist on the target machine.
const char kTargetDir[] = "<target>";
const char kWindowsDir[] = "<windows>";
const char kProgramsDir[] = "<programs>";
const char kDesktopDir[] = "<desktop>";

struct Check {
    const char* text;               // the script up to its first zero byte
    std::string scriptName;
    const char* mediumDir;          // null: no lookups on disk
    std::vector<int> lineStarts;    // offset of each line, as the installer splits lines
    int hasByteOrderMark;
    std::string* output;
    int warnings;
    int errors;
    // Destinations written so far, upper-cased, with the line that wrote them.
    std::map<std::string, int> destinations;
    // Names installed under the target directory, upper-cased, for the shortcut targets.
    std::map<std::string, int> targetFiles;
    char applicationName[kTextCapacity];
    int fileCount;
    long long sourceBytes;
    int shortcutCount;
    int suffixCount;
    int settingCount;
};

std::string Upper(const std::string& text)
{
    std::string result = text;
    for (char& c : result)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return result;
}

// The name as the file system compares it, for matching destinations and targets. A carriage
// return at its end is left out: the cr-doubled warning covers it, and the names then match
// once the line ends are fixed.
std::string NameKey(const std::string& name)
{
    std::string key = Upper(name);
    while (!key.empty() && key.back() == '\r')
        key.pop_back();
    return key;
}

// The text with control and high bytes written as escapes, so that nothing the script holds
// reaches the terminal raw.
std::string Shown(const char* text, int length)
{
    std::string result;
    for (int i = 0; i < length; i++) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        char escape[8];
        if (c == '\r') {
            result += "\\r";
        } else if (c == '\t') {
            result += "\\t";
        } else if (c < 0x20 || c >= 0x7F) {
            snprintf(escape, sizeof escape, "\\x%02X", c);
            result += escape;
        } else {
            result += static_cast<char>(c);
        }
    }
    return result;
}

std::string Shown(const char* text)
{
    return Shown(text, TextLength(text));
}

std::string Shown(const std::string& text)
{
    return Shown(text.data(), static_cast<int>(text.size()));
}

// The text between single quotes, escaped.
std::string Quoted(const char* text, int length)
{
    return "'" + Shown(text, length) + "'";
}

std::string Quoted(const char* text)
{
    return Quoted(text, TextLength(text));
}

// "1 file", "2 files".
std::string Count(long long count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

int LineNumberAt(const Check& check, int offset)
{
    auto after = std::upper_bound(check.lineStarts.begin(), check.lineStarts.end(), offset);
    return static_cast<int>(after - check.lineStarts.begin());
}

int ContentLength(const char* line)
{
    int content = 0;
    int lineBreak = 0;
    LineExtent(line, &content, &lineBreak);
    return content;
}

void Say(Check* check, int line, const std::string& text)
{
    *check->output += check->scriptName;
    if (line > 0)
        *check->output += ":" + std::to_string(line);
    *check->output += ": " + text + "\n";
}

void Detail(Check* check, const std::string& text)
{
    *check->output += "    " + text + "\n";
}

void Warn(Check* check, int line, const char* tag, const std::string& text)
{
    check->warnings++;
    Say(check, line, "warning: " + text + " [" + tag + "]");
}

void Fail(Check* check, const char* tag, const std::string& text)
{
    check->errors++;
    Say(check, 0, "error: " + text + " [" + tag + "]");
}

int StartsWithIgnoringCase(const char* line, int length, const char* name)
{
    int nameLength = TextLength(name);
    if (length < nameLength)
        return 0;
    for (int i = 0; i < nameLength; i++) {
        if (tolower(static_cast<unsigned char>(line[i])) !=
            tolower(static_cast<unsigned char>(name[i])))
            return 0;
    }
    return 1;
}

int CountBlanks(const char* text, int length)
{
    int blanks = 0;
    while (blanks < length && (text[blanks] == ' ' || text[blanks] == '\t'))
        blanks++;
    return blanks;
}

int HasNoEquals(const char* line, int content)
{
    return memchr(line, '=', content) == nullptr;
}

// Edits (a changed, added or dropped letter, or two neighbours swapped) that turn word into
// name, ignoring case; stops counting above limit.
int SpellingDistance(const std::string& word, const char* name, int limit)
{
    int wordLength = static_cast<int>(word.size());
    int nameLength = TextLength(name);
    if (abs(wordLength - nameLength) > limit)
        return limit + 1;
    std::vector<std::vector<int>> cost(wordLength + 1, std::vector<int>(nameLength + 1));
    for (int i = 0; i <= wordLength; i++) {
        for (int j = 0; j <= nameLength; j++) {
            if (i == 0 || j == 0) {
                cost[i][j] = i + j;
                continue;
            }
            int a = tolower(static_cast<unsigned char>(word[i - 1]));
            int b = tolower(static_cast<unsigned char>(name[j - 1]));
            cost[i][j] = std::min({cost[i - 1][j] + 1, cost[i][j - 1] + 1,
                                   cost[i - 1][j - 1] + (a == b ? 0 : 1)});
            if (i > 1 && j > 1 && a == tolower(static_cast<unsigned char>(name[j - 2])) &&
                b == tolower(static_cast<unsigned char>(word[i - 2])))
                cost[i][j] = std::min(cost[i][j], cost[i - 2][j - 2] + 1);
        }
    }
    return cost[wordLength][nameLength];
}

// ---------------------------------------------------------------------------------------------
// The file as a whole: lines, encoding, carriage returns, headers.

// Splits the text into lines at line feeds, as the installer does.
void SplitLines(Check* check)
{
    const char* text = check->text;
    for (int start = 0; text[start] != '\0';) {
        check->lineStarts.push_back(start);
        int content = 0;
        int lineBreak = 0;
        LineExtent(text + start, &content, &lineBreak);
        if (lineBreak == 0)
            break;
        start += content + lineBreak;
    }
}

// A byte-order mark or a zero byte: the installer reads the bytes as they are.
void CheckEncoding(Check* check, const std::string& bytes)
{
    const char* text = check->text;
    check->hasByteOrderMark = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (check->hasByteOrderMark) {
        std::string what = text[3] == '['
            ? "so the header " + Quoted(text + 3, ContentLength(text + 3)) + " on it is not recognised"
            : "so the first line does not read as written";
        Warn(check, 1, "bom",
             "the file begins with a UTF-8 byte-order mark; the installer reads those three "
             "bytes as part of line 1, " + what + " (save the script as plain 8-bit text)");
    }
    int textLength = TextLength(text);
    if (static_cast<size_t>(textLength) < bytes.size()) {
        std::string what = bytes.size() >= 2 && (bytes.compare(0, 2, "\xFF\xFE") == 0 ||
                                                  bytes.compare(0, 2, "\xFE\xFF") == 0)
            ? " (the file is UTF-16; save it as plain 8-bit text)"
            : "";
        int lineNumber = static_cast<int>(std::count(text, text + textLength, '\n')) + 1;
        Warn(check, lineNumber, "zero-byte",
             "a zero byte at offset " + std::to_string(textLength) +
                 " ends the script for the installer; nothing after it is read" + what);
    }
}

// Carriage returns inside lines, each line on its own, and the extra one before the CR LF of a
// file whose line ends were converted twice, once for the whole file.
void CheckCarriageReturns(Check* check)
{
    int doubledCount = 0;
    int firstDoubled = 0;
    for (size_t index = 0; index < check->lineStarts.size(); index++) {
        int lineNumber = static_cast<int>(index) + 1;
        const char* line = check->text + check->lineStarts[index];
        int content = 0;
        int lineBreak = 0;
        LineExtent(line, &content, &lineBreak);
        int doubled = lineBreak > 0 && content > 0 && line[content - 1] == '\r';
        if (doubled && doubledCount++ == 0)
            firstDoubled = lineNumber;
        int inside = static_cast<int>(std::count(line, line + content - doubled, '\r'));
        if (inside > 0)
            Warn(check, lineNumber, "cr-break",
                 "the line holds " + Count(inside, "carriage return", "carriage returns") +
                     " not followed by a line feed; the installer keeps them as ordinary "
                     "characters, so lines separated by CR alone read as one line");
    }
    if (doubledCount > 0)
        Warn(check, firstDoubled, "cr-doubled",
             Count(doubledCount, "line ends", "lines end") +
                 " in CR CR LF (a file converted twice), the first on this line; the installer "
                 "keeps the first CR as the last character of each such line, so every value "
                 "there ends in it: sources named there cannot be opened and names and titles "
                 "carry a stray carriage return (save the script with CR LF line ends)");
}

// What SETUP.EXE does when a header meant for section does not open it.
std::string MissedSectionConsequence(const Check& check, const char* section)
{
    int cursor = 0;
    if (ScanForSection(check.text, section, &cursor) == 0)
        return "its lines are never read; SETUP.EXE reads the [" + std::string(section) +
               "] of line " + std::to_string(LineNumberAt(check, cursor - 1));
    if (strcmp(section, kGroupSection) == 0)
        return "without a [Group] SETUP.EXE silently makes no group folder and no shortcuts";
    if (strcmp(section, kRegistrationSection) == 0)
        return "without a [Registration] SETUP.EXE silently skips the file types dialog, so "
               "no suffix is bound to txtfile";
    return "without it SETUP.EXE shows \"Section [" + std::string(section) +
           "] does not exist !\" and ends before any window";
}

// A header that opens one of the four sections: repeated, or matched by prefix only.
void CheckKnownHeader(Check* check, int lineNumber, const char* line, int content,
                      const char* known, std::map<std::string, int>* firstHeader)
{
    std::string header = Quoted(line, content);
    auto first = firstHeader->find(known);
    if (first != firstHeader->end()) {
        Warn(check, lineNumber, "section-repeated",
             "header " + header + " repeats section [" + known + "] of line " +
                 std::to_string(first->second) +
                 "; the installer reads only the first one and never reaches this one");
        return;
    }
    (*firstHeader)[known] = lineNumber;
    if (line[1 + TextLength(known)] != ']')
        Warn(check, lineNumber, "header-prefix",
             "header " + header + " opens section [" + known +
                 "]: headers match the section name by prefix");
}

// The section that a header opening none of them was meant for, or null when it looks like
// none; tag and why say how it went wrong.
const char* MeantSection(const char* line, int content, const char** tag, const char** why)
{
    const char* inner = line + 1;
    int innerLength = content - 1;
    int blanks = CountBlanks(inner, innerLength);
    for (const char* name : kSectionNames) {
        if (StartsWithIgnoringCase(inner + blanks, innerLength - blanks, name)) {
            *tag = blanks > 0 ? "header-blank" : "header-case";
            *why = blanks > 0 ? "a blank after '[' defeats the name"
                              : "section names are case-sensitive";
            return name;
        }
    }
    const char* close = static_cast<const char*>(memchr(inner, ']', innerLength));
    std::string word(inner, close != nullptr ? close - inner : innerLength);
    word.erase(word.find_last_not_of(" \t\r") + 1);
    for (const char* name : kSectionNames) {
        int limit = TextLength(name) >= 7 ? 2 : 1;
        if (SpellingDistance(word, name, limit) <= limit) {
            *tag = "header-misspelt";
            *why = "is the name misspelt?";
            return name;
        }
    }
    return nullptr;
}

void CheckUnknownHeader(Check* check, int lineNumber, const char* line, int content)
{
    std::string header = Quoted(line, content);
    const char* tag = nullptr;
    const char* why = nullptr;
    const char* meant = MeantSection(line, content, &tag, &why);
    if (meant == nullptr) {
        Say(check, lineNumber, "note: section " + header + " is not read by the installer");
        return;
    }
    Warn(check, lineNumber, tag,
         "header " + header + " does not open section [" + meant + "] (" + why + "); " +
             MissedSectionConsequence(*check, meant));
}

// A line that is not a header: one that would be a header without its leading blanks, or an
// entry before the first header.
void CheckOrdinaryLine(Check* check, int lineNumber, const char* line, int content,
                       int inSection)
{
    int blanks = CountBlanks(line, content);
    if (blanks > 0 && blanks < content && line[blanks] == '[') {
        std::string what;
        for (const char* name : kSectionNames) {
            if (CompareCounted(line + blanks + 1, name, TextLength(name)) == 0)
                what = "; " + MissedSectionConsequence(*check, name);
        }
        Warn(check, lineNumber, "header-blank",
             Quoted(line, content) +
                 " is not a header: a blank before '[' makes it an ordinary line" + what);
        return;
    }
    if (!inSection && content > 0 && line[0] != ';' &&
        !(check->hasByteOrderMark && lineNumber == 1))
        Warn(check, lineNumber, "outside-section",
             Quoted(line, content) +
                 " stands before the first section header; the installer never reads it");
}

// Walks the headers and the lines around them.
void CheckHeaders(Check* check)
{
    std::map<std::string, int> firstHeader;
    int inSection = 0;
    for (size_t index = 0; index < check->lineStarts.size(); index++) {
        int lineNumber = static_cast<int>(index) + 1;
        const char* line = check->text + check->lineStarts[index];
        int content = ContentLength(line);
        if (content == 0 || line[0] != '[') {
            CheckOrdinaryLine(check, lineNumber, line, content, inSection);
            continue;
        }
        inSection = 1;
        const char* known = nullptr;
        for (const char* name : kSectionNames) {
            if (CompareCounted(line + 1, name, TextLength(name)) == 0)
                known = name;
        }
        if (known != nullptr)
            CheckKnownHeader(check, lineNumber, line, content, known, &firstHeader);
        else
            CheckUnknownHeader(check, lineNumber, line, content);
    }
}

// ---------------------------------------------------------------------------------------------
// Sections and their entries.

// One entry line of a section, as the installer's reader splits it.
struct Entry {
    const char* line;
    int lineNumber;
    int content;            // length of the line without its break
    int keyLength;
    const char* valueStart;
    int valueLength;
};

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
void ExplainUntakenLine(Check* check, const Entry& entry, const char* section,
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
void TakeSetting(Check* check, const Entry& entry, const char* key, char* setting,
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

void CheckInstall(Check* check)
{
    int cursor = 0;
    if (OpenSection(check, kInstallSection, nullptr, &cursor) != 0)
        return;
    char settings[kInstallKeyCount][kTextCapacity] = {};
    int settingLines[kInstallKeyCount] = {};
    Entry entry;
    while (NextEntry(*check, &cursor, &entry) == 0)
        TakeNamedKeys(check, entry, kInstallSection, kInstallKeys, kInstallKeyCount, settings,
                      settingLines);

    for (int k = 0; k < kInstallKeyCount; k++) {
        if (settingLines[k] > 0)
            check->settingCount++;
    }
    CopyBounded(check->applicationName, kTextCapacity, settings[1], TextLength(settings[1]));
    if (settingLines[0] == 0 || settings[0][0] == '\0') {
        Say(check, 0, "note: no Bitmap: the main window shows no background picture");
    } else if (check->mediumDir != nullptr) {
        long long size = 0;
        if (FindMediumFile(check->mediumDir, settings[0], &size) != 0)
            Warn(check, settingLines[0], "source-missing",
                 "the bitmap " + Quoted(settings[0]) + " is not on the medium (" +
                     check->mediumDir + "): the main window shows no background picture");
    }
    // Without a name the installer would write into the program files folder itself and onto
    // the shared uninstall key, so it refuses such a script.
    if (settings[1][0] == '\0')
        Fail(check, "key-missing",
             "[Install] sets no Application, or an empty one: SETUP.EXE shows \"Key Application "
             "is missing or empty in section [Install] !\" and ends before any window");
    if (settingLines[2] == 0)
        Warn(check, 0, "key-missing",
             "[Install] sets no Caption: the main window, the dialogs and the question and "
             "report boxes have empty titles");
    if (settingLines[3] == 0)
        Say(check, 0, "note: no Directory: on a machine without a program files folder in the "
                      "registry the target directory field starts empty");
}

// Records a destination and reports an earlier entry that writes the same one.
void AddDestination(Check* check, int lineNumber, const std::string& destination)
{
    std::string key = NameKey(destination);
    auto earlier = check->destinations.find(key);
    if (earlier != check->destinations.end()) {
        Warn(check, lineNumber, "dest-duplicate",
             Shown(destination) + " is also written by line " + std::to_string(earlier->second) +
                 "; the later entry overwrites it");
        return;
    }
    check->destinations[key] = lineNumber;
}

// One Files entry as the installer takes it.
struct FileEntry {
    char entryKey[kTextCapacity];
    char entryValue[kTextCapacity];   // the destination name once split
    FilesValue split;
    std::string destination;          // <target>\name or <windows>\name
};

void ReadFileEntry(const Entry& entry, FileEntry* file)
{
    CopyBounded(file->entryKey, kTextCapacity, entry.line, entry.keyLength);
    file->split = SplitFilesValue(entry.valueStart, entry.valueLength, file->entryValue,
                                  kTextCapacity);
    file->entryValue[file->split.nameLength] = '\0';
    file->destination = std::string(file->split.toWindows ? kWindowsDir : kTargetDir) + "\\" +
                        file->entryValue;
}

// Looks the entry's source up on the medium and says the entry. Returns 1 when the source was
// looked up and is not there, else 0.
int SayFileEntry(Check* check, int lineNumber, const FileEntry& file)
{
    const char* source = file.split.source;
    std::string sizeNote;
    int sourceMissing = 0;
    long long size = 0;
    if (source[0] != '\0' && check->mediumDir != nullptr) {
        if (FindMediumFile(check->mediumDir, source, &size) == 0) {
            check->sourceBytes += size;
            sizeNote = " (" + Count(size, "byte", "bytes") + ")";
        } else {
            sourceMissing = 1;
        }
    }
    Say(check, lineNumber, "file " + Quoted(file.entryKey) + ": " + Quoted(source) + " -> " +
                               Shown(file.destination) + sizeNote);
    return sourceMissing;
}

// A key or value longer than the installer keeps; a cut value can lose its source name.
void WarnCutFileEntry(Check* check, const Entry& entry, const FileEntry& file)
{
    int toWindows = file.split.toWindows;
    const char* valueStart = entry.valueStart + toWindows;
    int valueLength = entry.valueLength - toWindows;
    if (valueLength >= kTextCapacity) {
        std::string whole(valueStart, valueLength);
        size_t last = whole.rfind(';');
        std::string meant = last == std::string::npos ? whole : whole.substr(last + 1);
        std::string what = meant == file.split.source
            ? ""
            : ", so the source becomes " + Quoted(file.split.source) + " instead of " +
                  Quoted(meant.c_str(), static_cast<int>(meant.size()));
        Warn(check, entry.lineNumber, "value-cut",
             "the value is " + std::to_string(valueLength) + " characters" +
                 (toWindows ? " after the '%'" : "") + "; the installer keeps the first " +
                 std::to_string(kTextCapacity - 1) + what);
    }
    if (entry.keyLength >= kTextCapacity)
        Warn(check, entry.lineNumber, "value-cut",
             "the key is " + std::to_string(entry.keyLength) +
                 " characters; the progress dialog shows the first " +
                 std::to_string(kTextCapacity - 1));
}

// A source that is empty or not on the medium; a destination that is empty or absolute.
void WarnFileNames(Check* check, int lineNumber, const FileEntry& file, int sourceMissing)
{
    const char* source = file.split.source;
    const char* destinationName = file.entryValue;
    if (source[0] == '\0') {
        Warn(check, lineNumber, "source-empty",
             "the entry names no source file; the installer tries to open the medium's "
             "folder itself, shows \"Cannot open\" and counts a failure");
    } else if (sourceMissing && source[TextLength(source) - 1] != '\r') {
        // A source that ends in a carriage return is already part of the cr-doubled warning.
        Warn(check, lineNumber, "source-missing",
             "the source " + Quoted(source) + " is not on the medium (" + check->mediumDir +
                 "): SETUP.EXE shows \"Cannot open\" for it and counts a failure");
    }
    if (destinationName[0] == '\0') {
        Warn(check, lineNumber, "dest-empty",
             "the destination name is empty; the installer cannot open " +
                 Shown(file.destination));
    } else if (strchr(destinationName, ':') != nullptr) {
        Warn(check, lineNumber, "dest-absolute",
             "the destination " + Quoted(destinationName) + " is always taken below " +
                 (file.split.toWindows ? kWindowsDir : kTargetDir) + ", never as a path of its own");
    }
}

// The editor and the uninstaller, which SETUP.EXE names whatever the script copies, and the
// copy of the script itself.
void CheckNamedPrograms(Check* check)
{
    if (check->targetFiles.count(NameKey(kEditorName)) == 0)
        Warn(check, 0, "editor-missing",
             std::string("no [Files] entry installs ") + kEditorName + " into " + kTargetDir +
                 ": SETUP.EXE still writes the App Paths entry " + kTargetDir + "\\" +
                 kEditorName + " and, on Yes to the default-editor question, the txtfile open "
                 "and print commands that start it, so they name a program that is not there");
    std::string uninstaller = std::string(kWindowsDir) + "\\" + kUninstallerName;
    if (check->destinations.count(NameKey(uninstaller)) == 0)
        Warn(check, 0, "uninstaller-missing",
             std::string("no [Files] entry installs ") + kUninstallerName + " into " +
                 kWindowsDir + " (write it as %" + kUninstallerName +
                 "): SETUP.EXE still writes the uninstall entry " + uninstaller + " /" +
                 kTargetDir + ", so the program cannot be removed from the list of installed "
                 "programs");
    // The uninstaller learns the files of the installation only from this copy.
    if (check->targetFiles.count(NameKey(kScriptName)) == 0)
        Warn(check, 0, "script-copy-missing",
             std::string("no [Files] entry installs ") + kScriptName + " into " + kTargetDir +
                 " (write it as Setup script=" + kScriptName + "): without that copy the "
                 "uninstaller does not know the installed files; it can only offer to remove "
                 "the whole target folder, and leaves the shortcuts and the Windows-directory "
                 "files behind");
}

void CheckFiles(Check* check)
{
    int cursor = 0;
    if (OpenSection(check, kFilesSection, nullptr, &cursor) != 0)
        return;
    Entry entry;
    while (NextEntry(*check, &cursor, &entry) == 0) {
        if (entry.keyLength == 0 && entry.valueLength == 0)
            continue;
        FileEntry file;
        ReadFileEntry(entry, &file);
        check->fileCount++;
        int sourceMissing = SayFileEntry(check, entry.lineNumber, file);
        WarnCutFileEntry(check, entry, file);
        WarnFileNames(check, entry.lineNumber, file, sourceMissing);
        AddDestination(check, entry.lineNumber, file.destination);
        if (!file.split.toWindows)
            check->targetFiles.emplace(NameKey(file.entryValue), entry.lineNumber);
    }
    CheckNamedPrograms(check);
}

// Reports the entries from cursor on, which follow end, the line that ends the Group list: the
// installer never reads them.
void ReportUnreadShortcuts(Check* check, const Entry& end, int cursor)
{
    std::string lines;
    int count = 0;
    Entry entry;
    while (NextEntry(*check, &cursor, &entry) == 0) {
        if (entry.keyLength > 0 || entry.valueLength > 0) {
            lines += (count == 0 ? "" : ", ") + std::to_string(entry.lineNumber);
            count++;
        }
    }
    if (count == 0)
        return;
    const char* what = end.line[0] == ';' ? "a comment line" : end.content == 0
        ? "an empty line" : "a line with nothing but '='";
    Warn(check, end.lineNumber, "group-ended",
         std::string(what) + " ends the [Group] list: the shortcut" + (count > 1 ? "s" : "") +
             " on line" + (count > 1 ? "s " : " ") + lines + " are never made");
}

// The four fields of a Group value between its commas, as written; the last one runs to the
// end of the value, further commas included.
struct GroupFieldTexts {
    std::string fields[4];
    int commas;
};

GroupFieldTexts SplitAtCommas(const char* value)
{
    GroupFieldTexts texts;
    texts.commas = 0;
    for (const char* at = value; *at != '\0'; at++) {
        if (*at == ',' && ++texts.commas <= 3)
            continue;
        texts.fields[std::min(texts.commas, 3)] += *at;
    }
    return texts;
}

// Blanks, an optional sign, digits and blanks: the whole text is read as the icon index.
int IsDecimalNumber(const std::string& text)
{
    size_t at = text.find_first_not_of(" \t\r");
    if (at != std::string::npos && (text[at] == '+' || text[at] == '-'))
        at++;
    size_t digits = text.find_first_not_of("0123456789", at);
    if (at == std::string::npos || digits == at)
        return 0;
    return digits == std::string::npos || text.find_first_not_of(" \t\r", digits) == std::string::npos;
}

std::string DescribeIcon(const ShortcutFields& fields)
{
    return "the description " + Quoted(fields.description) + ", the icon file " +
           Quoted(fields.iconFile) + " and the index " + std::to_string(fields.iconIndex);
}

// A comma inside a field, an icon file and index that look swapped, an index that is no number.
void WarnShortcutFields(Check* check, int lineNumber, const char* entryValue,
                        const ShortcutFields& fields)
{
    GroupFieldTexts texts = SplitAtCommas(entryValue);
    if (texts.commas > 3) {
        Warn(check, lineNumber, "group-comma",
             "the value holds " + std::to_string(texts.commas) + " commas where the installer "
             "reads 3: a comma inside a field, such as the description, splits it; SETUP.EXE "
             "takes " + DescribeIcon(fields));
    } else if (IsDecimalNumber(texts.fields[2]) && !texts.fields[3].empty() &&
               !IsDecimalNumber(texts.fields[3])) {
        Warn(check, lineNumber, "group-icon-swapped",
             "the icon file " + Quoted(texts.fields[2].c_str()) + " and the icon index " +
                 Quoted(texts.fields[3].c_str()) + " look swapped (the value reads target,"
                 "description,icon file,index): SETUP.EXE sets the icon file " +
                 Quoted(fields.iconFile) + " with the index " + std::to_string(fields.iconIndex));
    } else if (!texts.fields[3].empty() && !IsDecimalNumber(texts.fields[3])) {
        Warn(check, lineNumber, "group-icon-index",
             "the icon index " + Quoted(texts.fields[3].c_str()) +
                 " is not a number: SETUP.EXE reads it as " + std::to_string(fields.iconIndex));
    }
}

// A Group value longer than the installer keeps: which fields the cut changes.
void WarnCutGroupValue(Check* check, const Entry& entry, const ShortcutFields& kept)
{
    ShortcutFields meant;
    SplitGroupValue(std::string(entry.valueStart, entry.valueLength).c_str(), kTargetDir, &meant);
    std::vector<std::string> changes;
    if (strcmp(kept.targetPath, meant.targetPath) != 0)
        changes.push_back("the target " + Quoted(kept.targetPath) + " instead of " +
                          Quoted(meant.targetPath));
    if (strcmp(kept.description, meant.description) != 0)
        changes.push_back("the description " + Quoted(kept.description) + " instead of " +
                          Quoted(meant.description));
    if (strcmp(kept.iconFile, meant.iconFile) != 0)
        changes.push_back("the icon file " + Quoted(kept.iconFile) + " instead of " +
                          Quoted(meant.iconFile));
    if (kept.iconIndex != meant.iconIndex)
        changes.push_back("the icon index " + std::to_string(kept.iconIndex) + " instead of " +
                          std::to_string(meant.iconIndex));
    std::string what;
    for (size_t i = 0; i < changes.size(); i++)
        what += (i == 0 ? ", so the shortcut gets " : i + 1 == changes.size() ? " and " : ", ") +
                changes[i];
    Warn(check, entry.lineNumber, "value-cut", "the value is " + CutNote(entry.valueLength) + what);
}

// A target that the installer puts elsewhere than it looks, or that no Files entry installs.
void WarnShortcutTarget(Check* check, int lineNumber, const ShortcutFields& fields)
{
    const char* written = fields.targetPath + TextLength(kTargetDir) + 1;
    if (written[0] == '%')
        Warn(check, lineNumber, "group-percent",
             "the target starts with '%', an ordinary character in the first field "
             "(only the icon field reads '%' as the target directory): the target is " +
                 Shown(fields.targetPath));
    else if (strchr(written, ':') != nullptr)
        Warn(check, lineNumber, "target-absolute",
             "the target " + Quoted(written) + " is always taken below " + kTargetDir +
                 ": the shortcut points at " + Shown(fields.targetPath));
    else if (check->targetFiles.count(NameKey(written)) == 0)
        Warn(check, lineNumber, "target-not-installed",
             "the target " + Quoted(written) + " is not a destination of [Files]");
}

void CheckShortcut(Check* check, const Entry& entry, const std::string& groupFolder, int first)
{
    int lineNumber = entry.lineNumber;
    char entryKey[kTextCapacity];
    char entryValue[kTextCapacity];
    CopyBounded(entryKey, kTextCapacity, entry.line, entry.keyLength);
    CopyBounded(entryValue, kTextCapacity, entry.valueStart, entry.valueLength);
    ShortcutFields fields;
    SplitGroupValue(entryValue, kTargetDir, &fields);
    std::string link = groupFolder + "\\" + entryKey;
    check->shortcutCount++;

    Say(check, lineNumber, "shortcut " + Shown(link));
    Detail(check, "target " + Shown(fields.targetPath));
    Detail(check, "description " + Quoted(fields.description));
    Detail(check, "icon " + Shown(fields.iconFile) + ", index " + std::to_string(fields.iconIndex));
    if (first)
        Detail(check, "also on the desktop: " + std::string(kDesktopDir) + "\\" + Shown(entryKey));

    if (entry.keyLength >= kTextCapacity)
        Warn(check, lineNumber, "value-cut", "the key is " + CutNote(entry.keyLength));
    if (entry.valueLength >= kTextCapacity)
        WarnCutGroupValue(check, entry, fields);
    WarnShortcutTarget(check, lineNumber, fields);
    WarnShortcutFields(check, lineNumber, entryValue, fields);
    std::string extension = entry.keyLength >= 4 ? Upper(entryKey + TextLength(entryKey) - 4) : "";
    if (extension != ".LNK")
        Warn(check, lineNumber, "lnk-extension",
             "the shortcut file is named exactly " + Quoted(entryKey) +
                 ": the installer adds no .lnk extension");
    AddDestination(check, lineNumber, link);
}

void CheckGroup(Check* check)
{
    int cursor = 0;
    if (OpenSection(check, kGroupSection, "no group folder and no shortcuts", &cursor) != 0)
        return;
    std::string groupFolder = std::string(kProgramsDir) + "\\" + check->applicationName;
    Detail(check, "group folder " + Shown(groupFolder));

    int first = 1;
    Entry entry;
    while (NextEntry(*check, &cursor, &entry) == 0) {
        if (entry.keyLength == 0 && entry.valueLength == 0) {
            ReportUnreadShortcuts(check, entry, cursor);
            break;
        }
        CheckShortcut(check, entry, groupFolder, first);
        first = 0;
    }
}

void CheckRegistration(Check* check)
{
    int cursor = 0;
    if (OpenSection(check, kRegistrationSection, "the file types dialog is not offered",
                    &cursor) != 0)
        return;
    char suffixList[kTextCapacity] = {};
    int suffixLine = 0;
    Entry entry;
    while (NextEntry(*check, &cursor, &entry) == 0)
        TakeNamedKeys(check, entry, kRegistrationSection, kRegistrationKeys,
                      kRegistrationKeyCount, &suffixList, &suffixLine);
    if (suffixLine == 0) {
        Say(check, 0, "note: [Registration] has no Suffixes line: the file types dialog "
                      "starts with an empty list");
        return;
    }
    check->settingCount++;
    const char* walk = suffixList;
    char key[kWorkCapacity];
    while (NextSuffixKey(&walk, key, kWorkCapacity) > 0) {
        check->suffixCount++;
        Detail(check, "suffix " + Shown(key) + " -> txtfile");
        if (key[1] == '.')
            Warn(check, suffixLine, "suffix-dot",
                 "the suffix " + Quoted(key + 1) + " is written with its dot; the installer adds "
                 "one more and binds the key " + Quoted(key));
        else if (strpbrk(key, ",;") != nullptr)
            Warn(check, suffixLine, "suffix-separator",
                 "the suffix " + Quoted(key + 1) + " holds ',' or ';'; only blanks and tabs "
                 "separate suffixes");
    }
}

std::string Summary(const Check& check)
{
    std::string summary = Count(check.settingCount, "setting", "settings") + ", " +
                          Count(check.fileCount, "file", "files");
    if (check.mediumDir != nullptr)
        summary += " (" + Count(check.sourceBytes, "byte", "bytes") + " found)";
    return summary + ", " + Count(check.shortcutCount, "shortcut", "shortcuts") + ", " +
           Count(check.suffixCount, "suffix", "suffixes") + "; " +
           Count(check.warnings, "warning", "warnings") + ", " +
           Count(check.errors, "error", "errors");
}

}  // namespace

int CheckScript(const std::string& bytes, const char* scriptName, const char* mediumDir,
                std::string* output)
{
    Check check = {};
    check.text = bytes.c_str();
    check.scriptName = scriptName;
    check.mediumDir = mediumDir;
    check.output = output;

    SplitLines(&check);
    CheckEncoding(&check, bytes);
    CheckCarriageReturns(&check);
    CheckHeaders(&check);
    CheckInstall(&check);
    CheckFiles(&check);
    CheckGroup(&check);
    CheckRegistration(&check);

    Say(&check, 0, Summary(check));
    if (check.errors > 0)
        return kCheckUnusable;
    return check.warnings > 0 ? kCheckWarnings : kCheckClean;
}
