// Fuzz target: any bytes as a setup script, walked section by section the way its consumers do.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "base/capacities.h"
#include "script/checksum_entry.h"
#include "script/files_value.h"
#include "script/script_scan.h"
#include "system/group_fields.h"
#include "system/suffix_walk.h"
#include "text/bounded_text.h"

namespace {

const char kTargetDir[] = "C:\\Program Files\\Quillor";
const char kGroupFolder[] = "C:\\WINDOWS\\Start Menu\\Programs\\Quillor";
const char kModulePath[] = "D:\\DISK1\\SETUP.INF";
const int kDirLength = 9;   // just after D:\DISK1\ .

// A broken invariant ends the run as a crash, which libFuzzer saves.
void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// The entry at the cursor of one walk, checked against the text it came from.
struct Walk {
    const char* text;
    int length;
    int cursor;
    int keyLength;
    const char* valueStart;
    int valueLength;
};

// Places the walk after the section's header; 0 when found, -1 when not.
int StartWalk(Walk* walk, const char* name)
{
    walk->cursor = -2;
    int found = ScanForSection(walk->text, name, &walk->cursor);
    if (found != 0) {
        Require(found == -1 && walk->cursor == walk->length);
        return -1;
    }
    Require(found == 0 && walk->cursor > 0 && walk->cursor <= walk->length);
    return 0;
}

// Parses the line at the cursor; returns its length, 0 at the end of the section.
int NextEntry(Walk* walk)
{
    const char* line = walk->text + walk->cursor;
    walk->keyLength = -1;
    walk->valueStart = 0;
    walk->valueLength = -1;
    int n = ParseEntry(line, &walk->keyLength, &walk->valueStart, &walk->valueLength);
    if (n == 0) {
        Require(line[0] == '\0' || line[0] == '[');
        return 0;
    }
    Require(n > 0 && n <= walk->length - walk->cursor);
    Require(walk->keyLength >= 0 && walk->keyLength <= n);
    Require(walk->valueLength >= 0);
    Require(walk->valueStart >= line + walk->keyLength);
    Require(walk->valueStart + walk->valueLength <= line + n);
    if (walk->valueLength > 0)
        Require(*walk->valueStart != ' ' && *walk->valueStart != '\t' && *walk->valueStart != '=');
    return n;
}

// The Install settings: the last line that begins with a key's name sets its field.
void WalkInstall(Walk* walk)
{
    const char* keys[] = {"Bitmap", "Application", "Caption", "Directory"};
    char fields[4][kTextCapacity];
    if (StartWalk(walk, "Install") != 0)
        return;
    for (int n = NextEntry(walk); n != 0; n = NextEntry(walk)) {
        const char* line = walk->text + walk->cursor;
        for (int k = 0; k < 4; k++) {
            if (CompareCounted(line, keys[k], TextLength(keys[k])) == 0) {
                int copied = CopyBounded(fields[k], kTextCapacity, walk->valueStart,
                                         walk->valueLength);
                Require(copied <= kTextCapacity - 1 && fields[k][copied] == '\0');
            }
        }
        walk->cursor += n;
    }
}

// The Files walk: empty entries passed over, each value split as the size pass and the copy
// engine split it.
void WalkFiles(Walk* walk)
{
    char entryKey[kTextCapacity];
    char entryValue[kTextCapacity];
    char modulePath[kPathCapacity];
    char destPath[kPathCapacity];
    CopyBounded(modulePath, kPathCapacity, kModulePath, TextLength(kModulePath));
    if (StartWalk(walk, "Files") != 0)
        return;
    for (int n = NextEntry(walk); n != 0; walk->cursor += n, n = NextEntry(walk)) {
        if (walk->keyLength == 0 && walk->valueLength == 0)
            continue;
        CopyBounded(entryKey, kTextCapacity, walk->text + walk->cursor, walk->keyLength);
        FilesValue split = SplitFilesValue(walk->valueStart, walk->valueLength, entryValue,
                                           kTextCapacity);
        int valueLength = TextLength(entryValue);
        Require(TextLength(entryKey) < kTextCapacity && valueLength < kTextCapacity);
        Require(split.toWindows == (walk->valueLength > 0 && walk->valueStart[0] == '%'));
        Require(split.nameLength >= 0 && split.nameLength <= valueLength);
        Require(split.source == entryValue ||
                (split.source == entryValue + split.nameLength + 1 &&
                 entryValue[split.nameLength] == ';'));
        Require(strchr(split.source, ';') == 0);
        entryValue[split.nameLength] = '\0';
        const char* source = split.source;
        int length = AppendBounded(modulePath, kPathCapacity, kDirLength, source,
                                   TextLength(source));
        Require(length < kPathCapacity && TextLength(modulePath) == length);
        length = CopyBounded(destPath, kPathCapacity, kTargetDir, TextLength(kTargetDir));
        length = AppendBounded(destPath, kPathCapacity, length, "\\", 1);
        length = AppendBounded(destPath, kPathCapacity, length, entryValue,
                               TextLength(entryValue));
        Require(length < kPathCapacity && TextLength(destPath) == length);
    }
}

// The Checksums section as the size pass and the copy read it: every Files source looked up,
// each entry's own key too, which is always found (1) or malformed (-1).
void WalkChecksums(Walk* walk)
{
    if (StartWalk(walk, "Checksums") != 0)
        return;
    const int section = walk->cursor;
    for (int n = NextEntry(walk); n != 0; walk->cursor += n, n = NextEntry(walk)) {
        const char* key = walk->text + walk->cursor;
        SourceChecksum checksum;
        checksum.size = -1;
        int next = walk->cursor;
        int found = FindChecksum(walk->text, section, key, walk->keyLength, &checksum, &next);
        Require(found == 0 || (next > section && next <= walk->length));
        if (walk->keyLength == 0) {
            Require(found == 0);
            continue;
        }
        Require(found == 1 || found == -1);
        Require(found == -1 || (checksum.size >= 0 && checksum.size < 1000000000000000000LL));
        int valueResult = ReadChecksumValue(walk->valueStart, walk->valueLength, &checksum);
        Require(valueResult == 0 || valueResult == -1);
    }
}

// targetDir + "\" at the start of a 260-byte text; returns its length.
int StartUnderTarget(char* text)
{
    int length = CopyBounded(text, kPathCapacity, kTargetDir, TextLength(kTargetDir));
    return AppendBounded(text, kPathCapacity, length, "\\", 1);
}

// The Group walk: the first empty entry ends it; each value is cut into its comma fields.
void WalkGroup(Walk* walk)
{
    char entryKey[kTextCapacity];
    char entryValue[kTextCapacity];
    char targetPath[kPathCapacity];
    char linkPath[kPathCapacity];
    char description[kPathCapacity];
    char iconFile[kPathCapacity];
    if (StartWalk(walk, "Group") != 0)
        return;
    for (int n = NextEntry(walk); n != 0; n = NextEntry(walk)) {
        if (walk->keyLength == 0 && walk->valueLength == 0)
            break;
        CopyBounded(entryKey, kTextCapacity, walk->text + walk->cursor, walk->keyLength);
        CopyBounded(entryValue, kTextCapacity, walk->valueStart, walk->valueLength);

        const char* field = entryValue;
        int length = StartUnderTarget(targetPath);
        NextField(&field, targetPath + length, kPathCapacity - length, ',');
        length = CopyBounded(linkPath, kPathCapacity, kGroupFolder, TextLength(kGroupFolder));
        length = AppendBounded(linkPath, kPathCapacity, length, "\\", 1);
        AppendBounded(linkPath, kPathCapacity, length, entryKey, TextLength(entryKey));
        NextField(&field, description, kPathCapacity, ',');
        length = 0;
        if (*field == '%') {
            length = StartUnderTarget(iconFile);
            field++;
        }
        NextField(&field, iconFile + length, kPathCapacity - length, ',');
        int iconIndex = ParseDecimal(field);
        Require(field >= entryValue && field <= entryValue + TextLength(entryValue));
        Require(TextLength(targetPath) < kPathCapacity && TextLength(description) < kPathCapacity
                && TextLength(iconFile) < kPathCapacity && TextLength(linkPath) < kPathCapacity);
        // The shortcut step's own splitting must give the same texts.
        ShortcutFields fields;
        SplitGroupValue(entryValue, kTargetDir, &fields);
        Require(strcmp(fields.targetPath, targetPath) == 0);
        Require(strcmp(fields.description, description) == 0);
        Require(strcmp(fields.iconFile, iconFile) == 0);
        Require(fields.iconIndex == iconIndex);
        walk->cursor += n;
    }
}

// The Registration walk: the last Suffixes line sets the list, which is then cut into keys.
void WalkRegistration(Walk* walk)
{
    char suffixList[kTextCapacity];
    suffixList[0] = '\0';
    if (StartWalk(walk, "Registration") != 0)
        return;
    for (int n = NextEntry(walk); n != 0; n = NextEntry(walk)) {
        if (CompareCounted(walk->text + walk->cursor, "Suffixes", 8) == 0)
            CopyBounded(suffixList, kTextCapacity, walk->valueStart, walk->valueLength);
        walk->cursor += n;
    }
    static char workBuffer[kWorkCapacity];
    const char* cursor = suffixList;
    for (int steps = 0; *cursor != '\0'; steps++) {
        Require(steps <= kTextCapacity);
        const char* before = cursor;
        int stored = NextSuffixKey(&cursor, workBuffer, kWorkCapacity);
        Require(stored >= 0 && workBuffer[0] == '.' && TextLength(workBuffer) == stored + 1);
        Require(cursor > before || *cursor == '\0');
    }
}

// Any section name a line of the input may hold: the first line, cut to a name's capacity.
void WalkNamedSection(Walk* walk, const uint8_t* data, size_t size)
{
    char name[kNameCapacity];
    int length = 0;
    while (static_cast<size_t>(length) < size && length < kNameCapacity - 1
           && data[length] != '\n' && data[length] != '\0') {
        name[length] = static_cast<char>(data[length]);
        length++;
    }
    name[length] = '\0';
    if (StartWalk(walk, name) != 0)
        return;
    const char* header = walk->text;
    // The header is the line that ends just before the cursor.
    for (const char* at = walk->text; at < walk->text + walk->cursor; at++) {
        if (*at == '\n' && at + 1 < walk->text + walk->cursor)
            header = at + 1;
    }
    Require(header[0] == '[' && strncmp(header + 1, name, length) == 0);
    for (int n = NextEntry(walk); n != 0; n = NextEntry(walk))
        walk->cursor += n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0x7FFFFFF0u)
        return 0;
    // An exact copy with its terminator, as the loader leaves it, so any overrun is caught.
    char* text = static_cast<char*>(malloc(size + 1));
    memcpy(text, data, size);
    text[size] = '\0';
    Walk walk = {text, TextLength(text), 0, 0, 0, 0};
    WalkInstall(&walk);
    WalkFiles(&walk);
    WalkGroup(&walk);
    WalkRegistration(&walk);
    WalkChecksums(&walk);
    WalkNamedSection(&walk, data, size);
    free(text);
    return 0;
}
