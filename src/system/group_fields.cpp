// Splitting of a Group entry's value into the fields of one shortcut.
#include "system/group_fields.h"

#include "text/bounded_text.h"

// targetDir + "\" at the start of text; returns the length written.
static int StartUnderTarget(char* text, const char* targetDir)
{
    int length = CopyText(text, kShortcutTextCapacity, targetDir);
    return AppendBounded(text, kShortcutTextCapacity, length, "\\", 1);
}

void SplitGroupValue(const char* value, const char* targetDir, ShortcutFields* fields)
{
    const char* cursor = value;

    int length = StartUnderTarget(fields->targetPath, targetDir);
    NextField(&cursor, fields->targetPath + length, kShortcutTextCapacity - length, ',');

    NextField(&cursor, fields->description, kShortcutTextCapacity, ',');

    length = 0;
    if (*cursor == '%') {
        length = StartUnderTarget(fields->iconFile, targetDir);
        cursor++;
    }
    NextField(&cursor, fields->iconFile + length, kShortcutTextCapacity - length, ',');

    fields->iconIndex = ParseDecimal(cursor);
}
