// The folders below the target that hold the installation's files, and their order for removal.
#include "uninstall/folder_table.h"

#include <stdlib.h>

#include "uninstall/uninstall_paths.h"

void ClearFolderTable(FolderTable* table)
{
    table->count = 0;
    table->poolUsed = 0;
}

int FindOrAddFolder(FolderTable* table, const char* path, int length)
{
    // Newest first: the files of one folder usually follow one another.
    for (int i = table->count - 1; i >= 0; i--) {
        const FolderRecord& record = table->records[i];
        if (record.length == length &&
            CompareFolded(table->pool + record.start, path, length) == 0)
            return i;
    }
    if (table->count == kFolderLimit || length > kFolderPoolCapacity - table->poolUsed)
        return -1;
    FolderRecord& record = table->records[table->count];
    record.start = table->poolUsed;
    record.length = length;
    record.state = kFolderUnchecked;
    record.held = nullptr;
    for (int i = 0; i < length; i++)
        table->pool[table->poolUsed + i] = path[i];
    table->poolUsed += length;
    return table->count++;
}

static int CompareLongestFirst(const void* first, const void* second)
{
    const FolderRecord* a = static_cast<const FolderRecord*>(first);
    const FolderRecord* b = static_cast<const FolderRecord*>(second);
    return b->length - a->length;
}

void OrderDeepestFirst(FolderTable* table)
{
    qsort(table->records, table->count, sizeof table->records[0], CompareLongestFirst);
}
