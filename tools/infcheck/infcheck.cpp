// Reads a setup script with the installer's own routines and reports what it will do and where it trips.
#include "infcheck.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <vector>

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
const char* const kInstallKeys[] = {"Bitmap", "Application", "Caption", "Directory"};
const int kInstallKeyCount = 4;
const char kSuffixesKey[] = "Suffixes";
const char* const kRegistrationKeys[] = {kSuffixesKey};
const int kRegistrationKeyCount = 1;

// Capacity of the installer's value and key buffers (entryKey, entryValue, every setting).
const int kValueCapacity = 128;

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
    std::string* output;
    int warnings;
    int errors;
    // Destinations written so far, upper-cased, with the line that wrote them.
    std::map<std::string, int> destinations;
    // Names installed under the target directory, upper-cased, for the shortcut targets.
    std::map<std::string, int> targetFiles;
    char applicationName[kValueCapacity];
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

// The text between single quotes, with control and high bytes written as escapes.
std::string Quoted(const char* text, int length)
{
    std::string result = "'";
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
    return result + "'";
}

std::string Quoted(const char* text)
{
    return Quoted(text, TextLength(text));
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

int HasNoEquals(const char* line, int content)
{
    return memchr(line, '=', content) == nullptr;
}

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

// Splits the script into lines as the installer does and reports what concerns the file as a
// whole: a byte-order mark, zero bytes, carriage returns inside lines, headers that open a
// section by prefix, that repeat one, or that look like one and are not.
void CheckLinesAndHeaders(Check* check, const std::string& bytes)
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

    int textLength = TextLength(text);
    int bom = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (bom) {
        std::string what = text[3] == '['
            ? "so the header " + Quoted(text + 3, ContentLength(text + 3)) + " on it is not recognised"
            : "so the first line does not read as written";
        Warn(check, 1, "bom",
             "the file begins with a UTF-8 byte-order mark; the installer reads those three "
             "bytes as part of line 1, " + what + " (save the script as plain 8-bit text)");
    }
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

    std::map<std::string, int> firstHeader;
    int inSection = 0;
    for (size_t index = 0; index < check->lineStarts.size(); index++) {
        int lineNumber = static_cast<int>(index) + 1;
        const char* line = text + check->lineStarts[index];
        int content = ContentLength(line);
        const char* cr = static_cast<const char*>(memchr(line, '\r', content));
        if (cr != nullptr) {
            int count = static_cast<int>(std::count(line, line + content, '\r'));
            Warn(check, lineNumber, "cr-break",
                 "the line holds " + std::to_string(count) +
                     " carriage return(s) not followed by a line feed; the installer keeps them "
                     "as ordinary characters, so lines separated by CR alone read as one line");
        }

        if (content > 0 && line[0] == '[') {
            inSection = 1;
            const char* known = nullptr;
            for (const char* name : kSectionNames) {
                if (CompareCounted(line + 1, name, TextLength(name)) == 0)
                    known = name;
            }
            std::string header = Quoted(line, content);
            if (known != nullptr) {
                int nameLength = TextLength(known);
                auto first = firstHeader.find(known);
                if (first != firstHeader.end()) {
                    Warn(check, lineNumber, "section-repeated",
                         "header " + header + " repeats section [" + known + "] of line " +
                             std::to_string(first->second) +
                             "; the installer reads only the first one and never reaches this one");
                } else {
                    firstHeader[known] = lineNumber;
                    if (line[1 + nameLength] != ']')
                        Warn(check, lineNumber, "header-prefix",
                             "header " + header + " opens section [" + known +
                                 "]: headers match the section name by prefix");
                }
                continue;
            }
            const char* lookalike = nullptr;
            const char* inner = line + 1;
            int innerLength = content - 1;
            while (innerLength > 0 && (*inner == ' ' || *inner == '\t')) {
                inner++;
                innerLength--;
            }
            for (const char* name : kSectionNames) {
                if (StartsWithIgnoringCase(inner, innerLength, name))
                    lookalike = name;
            }
            if (lookalike != nullptr && inner != line + 1)
                Warn(check, lineNumber, "header-blank",
                     "header " + header + " does not open section [" + lookalike +
                         "]: a blank after '[' defeats the name");
            else if (lookalike != nullptr)
                Warn(check, lineNumber, "header-case",
                     "header " + header + " does not open section [" + lookalike +
                         "]: section names are case-sensitive");
            else
                Say(check, lineNumber,
                    "note: section " + header + " is not read by the installer");
            continue;
        }

        int blanks = 0;
        while (blanks < content && (line[blanks] == ' ' || line[blanks] == '\t'))
            blanks++;
        if (blanks > 0 && blanks < content && line[blanks] == '[') {
            Warn(check, lineNumber, "header-blank",
                 Quoted(line, content) +
                     " is not a header: a blank before '[' makes it an ordinary line");
            continue;
        }
        if (!inSection && content > 0 && line[0] != ';' && !(bom && lineNumber == 1))
            Warn(check, lineNumber, "outside-section",
                 Quoted(line, content) +
                     " stands before the first section header; the installer never reads it");
    }
}

// Reports why an entry line of a section with named keys was not taken for any key.
void ExplainUntakenLine(Check* check, const Entry& entry, const char* section,
                        const char* const* keys, int keyCount)
{
    const char* line = entry.line;
    int content = entry.content;
    int lineNumber = entry.lineNumber;
    int blanks = 0;
    while (blanks < content && (line[blanks] == ' ' || line[blanks] == '\t'))
        blanks++;
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
    CopyBounded(setting, kValueCapacity, entry.valueStart, entry.valueLength);
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
    if (entry.valueLength >= kValueCapacity)
        Warn(check, lineNumber, "value-cut",
             "the value of " + std::string(key) + " is " + std::to_string(entry.valueLength) +
                 " characters; the installer keeps the first " +
                 std::to_string(kValueCapacity - 1));
}

// Takes an entry of a section with named keys for every key its line begins with, as the
// installer tries each key in turn, or reports why no key took it. settings and settingLines
// hold one value and one line number (0: not set yet) per key.
void TakeNamedKeys(Check* check, const Entry& entry, const char* section,
                   const char* const* keys, int keyCount, char (*settings)[kValueCapacity],
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
    char settings[kInstallKeyCount][kValueCapacity] = {};
    int settingLines[kInstallKeyCount] = {};
    Entry entry;
    while (NextEntry(*check, &cursor, &entry) == 0)
        TakeNamedKeys(check, entry, kInstallSection, kInstallKeys, kInstallKeyCount, settings,
                      settingLines);

    for (int k = 0; k < kInstallKeyCount; k++) {
        if (settingLines[k] > 0)
            check->settingCount++;
    }
    CopyBounded(check->applicationName, kValueCapacity, settings[1], TextLength(settings[1]));
    if (settingLines[0] == 0 || settings[0][0] == '\0') {
        Say(check, 0, "note: no Bitmap: the main window shows no background picture");
    } else if (check->mediumDir != nullptr) {
        long long size = 0;
        if (FindMediumFile(check->mediumDir, settings[0], &size) != 0)
            Warn(check, settingLines[0], "source-missing",
                 "the bitmap " + Quoted(settings[0]) + " is not on the medium (" +
                     check->mediumDir + "): the main window shows no background picture");
    }
    const char* consequences[kInstallKeyCount] = {
        nullptr,
        "the proposed target directory is the program files folder itself, the group folder "
        "is the programs folder itself and the uninstall entry has no name",
        "the main window, the dialogs and the question and report boxes have empty titles",
        nullptr,
    };
    for (int k = 1; k < 3; k++) {
        if (settingLines[k] == 0)
            Warn(check, 0, "key-missing",
                 std::string("[Install] sets no ") + kInstallKeys[k] + ": " + consequences[k]);
    }
    if (settingLines[3] == 0)
        Say(check, 0, "note: no Directory: on a machine without a program files folder in the "
                      "registry the target directory field starts empty");
}

// Records a destination and reports an earlier entry that writes the same one.
void AddDestination(Check* check, int lineNumber, const std::string& destination)
{
    std::string key = Upper(destination);
    auto earlier = check->destinations.find(key);
    if (earlier != check->destinations.end()) {
        Warn(check, lineNumber, "dest-duplicate",
             destination + " is also written by line " + std::to_string(earlier->second) +
                 "; the later entry overwrites it");
        return;
    }
    check->destinations[key] = lineNumber;
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
        int lineNumber = entry.lineNumber;
        const char* valueStart = entry.valueStart;
        int valueLength = entry.valueLength;
        int toWindows = valueLength > 0 && valueStart[0] == '%';
        if (toWindows) {
            valueStart++;
            valueLength--;
        }
        char entryKey[kValueCapacity];
        char entryValue[kValueCapacity];
        CopyBounded(entryKey, kValueCapacity, entry.line, entry.keyLength);
        CopyBounded(entryValue, kValueCapacity, valueStart, valueLength);
        char* semicolon = FindLastChar(entryValue, ';');
        const char* source = entryValue;
        if (semicolon != nullptr) {
            *semicolon = '\0';
            source = semicolon + 1;
        }
        const char* destinationName = entryValue;
        std::string destination =
            std::string(toWindows ? kWindowsDir : kTargetDir) + "\\" + destinationName;
        check->fileCount++;

        std::string sizeNote;
        int sourceMissing = 0;
        long long size = 0;
        if (source[0] != '\0' && check->mediumDir != nullptr) {
            if (FindMediumFile(check->mediumDir, source, &size) == 0) {
                check->sourceBytes += size;
                sizeNote = " (" + std::to_string(size) + " bytes)";
            } else {
                sourceMissing = 1;
            }
        }
        Say(check, lineNumber,
            "file " + Quoted(entryKey) + ": " + Quoted(source) + " -> " + destination + sizeNote);

        if (valueLength >= kValueCapacity) {
            std::string whole(valueStart, valueLength);
            size_t last = whole.rfind(';');
            std::string meant = last == std::string::npos ? whole : whole.substr(last + 1);
            std::string what = meant == source
                ? ""
                : ", so the source becomes " + Quoted(source) + " instead of " +
                      Quoted(meant.c_str(), static_cast<int>(meant.size()));
            Warn(check, lineNumber, "value-cut",
                 "the value is " + std::to_string(valueLength) + " characters" +
                     (toWindows ? " after the '%'" : "") + "; the installer keeps the first " +
                     std::to_string(kValueCapacity - 1) + what);
        }
        if (entry.keyLength >= kValueCapacity)
            Warn(check, lineNumber, "value-cut",
                 "the key is " + std::to_string(entry.keyLength) +
                     " characters; the progress dialog shows the first " +
                     std::to_string(kValueCapacity - 1));

        if (source[0] == '\0') {
            Warn(check, lineNumber, "source-empty",
                 "the entry names no source file; the installer tries to open the medium's "
                 "folder itself, shows \"Cannot open\" and counts a failure");
        } else if (sourceMissing) {
            Warn(check, lineNumber, "source-missing",
                 "the source " + Quoted(source) + " is not on the medium (" + check->mediumDir +
                     "): SETUP.EXE shows \"Cannot open\" for it and counts a failure");
        }
        if (destinationName[0] == '\0') {
            Warn(check, lineNumber, "dest-empty",
                 "the destination name is empty; the installer cannot open " + destination);
        } else if (strchr(destinationName, ':') != nullptr) {
            Warn(check, lineNumber, "dest-absolute",
                 "the destination " + Quoted(destinationName) + " is always taken below " +
                     (toWindows ? kWindowsDir : kTargetDir) + ", never as a path of its own");
        }
        AddDestination(check, lineNumber, destination);
        if (!toWindows)
            check->targetFiles.emplace(Upper(destinationName), lineNumber);
    }
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

void CheckGroup(Check* check)
{
    int cursor = 0;
    if (OpenSection(check, kGroupSection, "no group folder and no shortcuts", &cursor) != 0)
        return;
    char groupFolder[kValueCapacity];
    int length = CopyBounded(groupFolder, kValueCapacity, kProgramsDir, TextLength(kProgramsDir));
    length = AppendBounded(groupFolder, kValueCapacity, length, "\\", 1);
    AppendBounded(groupFolder, kValueCapacity, length, check->applicationName,
                  TextLength(check->applicationName));
    Detail(check, "group folder " + std::string(groupFolder));

    int first = 1;
    Entry entry;
    while (NextEntry(*check, &cursor, &entry) == 0) {
        if (entry.keyLength == 0 && entry.valueLength == 0) {
            ReportUnreadShortcuts(check, entry, cursor);
            break;
        }
        int lineNumber = entry.lineNumber;
        int keyLength = entry.keyLength;
        int valueLength = entry.valueLength;
        char entryKey[kValueCapacity];
        char entryValue[kValueCapacity];
        CopyBounded(entryKey, kValueCapacity, entry.line, keyLength);
        CopyBounded(entryValue, kValueCapacity, entry.valueStart, valueLength);
        ShortcutFields fields;
        SplitGroupValue(entryValue, kTargetDir, &fields);
        std::string link = std::string(groupFolder) + "\\" + entryKey;
        check->shortcutCount++;

        Say(check, lineNumber, "shortcut " + link);
        Detail(check, "target " + std::string(fields.targetPath));
        Detail(check, "description " + Quoted(fields.description));
        Detail(check, "icon " + std::string(fields.iconFile) + ", index " +
                          std::to_string(fields.iconIndex));
        if (first)
            Detail(check, "also on the desktop: " + std::string(kDesktopDir) + "\\" + entryKey);

        if (keyLength >= kValueCapacity || valueLength >= kValueCapacity)
            Warn(check, lineNumber, "value-cut",
                 "the " + std::string(keyLength >= kValueCapacity ? "key" : "value") + " is " +
                     std::to_string(keyLength >= kValueCapacity ? keyLength : valueLength) +
                     " characters; the installer keeps the first " +
                     std::to_string(kValueCapacity - 1));
        const char* field1 = fields.targetPath + TextLength(kTargetDir) + 1;
        if (field1[0] == '%')
            Warn(check, lineNumber, "group-percent",
                 "the target starts with '%', an ordinary character in the first field "
                 "(only the icon field reads '%' as the target directory): the target is " +
                     std::string(fields.targetPath));
        else if (strchr(field1, ':') != nullptr)
            Warn(check, lineNumber, "target-absolute",
                 "the target " + Quoted(field1) + " is always taken below " + kTargetDir +
                     ": the shortcut points at " + fields.targetPath);
        else if (check->targetFiles.count(Upper(field1)) == 0)
            Warn(check, lineNumber, "target-not-installed",
                 "the target " + Quoted(field1) + " is not a destination of [Files]");
        std::string extension = keyLength >= 4 ? Upper(entryKey + TextLength(entryKey) - 4) : "";
        if (extension != ".LNK")
            Warn(check, lineNumber, "lnk-extension",
                 "the shortcut file is named exactly " + Quoted(entryKey) +
                     ": the installer adds no .lnk extension");
        AddDestination(check, lineNumber, link);
        first = 0;
    }
}

void CheckRegistration(Check* check)
{
    int cursor = 0;
    if (OpenSection(check, kRegistrationSection, "the file types dialog is not offered",
                    &cursor) != 0)
        return;
    char suffixList[kValueCapacity] = {};
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
    char key[kValueCapacity + 1];
    while (NextSuffixKey(&walk, key, sizeof key) > 0) {
        check->suffixCount++;
        Detail(check, "suffix " + std::string(key) + " -> txtfile");
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

}  // namespace

int CheckScript(const std::string& bytes, const char* scriptName, const char* mediumDir,
                std::string* output)
{
    Check check = {};
    check.text = bytes.c_str();
    check.scriptName = scriptName;
    check.mediumDir = mediumDir;
    check.output = output;

    CheckLinesAndHeaders(&check, bytes);
    CheckInstall(&check);
    CheckFiles(&check);
    CheckGroup(&check);
    CheckRegistration(&check);

    std::string summary = std::to_string(check.settingCount) + " settings, " +
                          std::to_string(check.fileCount) + " files";
    if (mediumDir != nullptr)
        summary += " (" + std::to_string(check.sourceBytes) + " bytes found)";
    summary += ", " + std::to_string(check.shortcutCount) + " shortcuts, " +
               std::to_string(check.suffixCount) + " suffixes; " +
               std::to_string(check.warnings) + " warnings, " + std::to_string(check.errors) +
               " errors";
    Say(&check, 0, summary);
    if (check.errors > 0)
        return kCheckUnusable;
    return check.warnings > 0 ? kCheckWarnings : kCheckClean;
}
