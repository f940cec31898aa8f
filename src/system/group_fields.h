// Splitting of a Group entry's value into the fields of one shortcut (no window calls).
#pragma once

#include "base/capacities.h"

// Capacity of each text of one shortcut, terminator included.
enum { kShortcutTextCapacity = kPathCapacity };

struct ShortcutFields {
    char targetPath[kShortcutTextCapacity];
    char description[kShortcutTextCapacity];
    char iconFile[kShortcutTextCapacity];
    int iconIndex;
};

// Splits value at commas into target, description, icon file and icon index. The target is
// always targetDir + "\" + field 1; the icon file is field 3 as written, or targetDir + "\" +
// the rest of field 3 when it begins with '%'; the index is the decimal number at the start
// of what follows the third comma (0 without digits). Missing fields are empty; every text
// is cut to 259 characters and terminated.
void SplitGroupValue(const char* value, const char* targetDir, ShortcutFields* fields);
