// The [Group] entries: the shortcuts, their fields, and the entries the installer never reads.
#include "checker.h"

#include <ctype.h>
#include <string.h>
#include <string>

#include "system/group_fields.h"
#include "text/bounded_text.h"

namespace infcheck {

// Reports the entries from cursor on, which follow end, the line that ends the Group list: the
// installer never reads them.
static void ReportUnreadShortcuts(Check* check, const Entry& end, int cursor)
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

static GroupFieldTexts SplitAtCommas(const char* value)
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
static int IsDecimalNumber(const std::string& text)
{
    size_t at = text.find_first_not_of(" \t\r");
    if (at != std::string::npos && (text[at] == '+' || text[at] == '-'))
        at++;
    size_t digits = text.find_first_not_of("0123456789", at);
    if (at == std::string::npos || digits == at)
        return 0;
    return digits == std::string::npos || text.find_first_not_of(" \t\r", digits) == std::string::npos;
}

static std::string DescribeIcon(const ShortcutFields& fields)
{
    return "the description " + Quoted(fields.description) + ", the icon file " +
           Quoted(fields.iconFile) + " and the index " + std::to_string(fields.iconIndex);
}

// A comma inside a field, an icon file and index that look swapped, an index that is no number.
static void WarnShortcutFields(Check* check, int lineNumber, const char* entryValue,
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
static void WarnCutGroupValue(Check* check, const Entry& entry, const ShortcutFields& kept)
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
static void WarnShortcutTarget(Check* check, int lineNumber, const ShortcutFields& fields)
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

static void CheckShortcut(Check* check, const Entry& entry, const std::string& groupFolder, int first)
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

}  // namespace infcheck
