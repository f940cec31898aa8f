// Splitting of a Group entry's value into the fields of one shortcut (no window calls).
#pragma once

struct ShortcutFields {
    char targetPath[260];
    char description[260];
    char iconFile[260];
    int iconIndex;
};

// Splits value (target, description, icon file with an optional leading '%', icon index),
// with targetDir prefixed to the target and to a '%' icon file.
void SplitGroupValue(const char* value, const char* targetDir, ShortcutFields* fields);
