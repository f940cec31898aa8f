// The split of one Files value into its destination and source names.
#include "script/files_value.h"

#include "text/bounded_text.h"

FilesValue SplitFilesValue(const char* value, int valueLength, char* entry, int capacity)
{
    FilesValue split = {0, 0, entry};
    if (valueLength > 0 && value[0] == '%') {
        split.toWindows = 1;
        value++;
        valueLength--;
    }
    split.nameLength = CopyBounded(entry, capacity, value, valueLength);
    char* separator = FindLastChar(entry, ';');
    if (separator != 0) {
        split.nameLength = static_cast<int>(separator - entry);
        split.source = separator + 1;
    }
    return split;
}
