// The folders below the target that hold the installation's files, each recorded once, and their order for removal (no window calls).
#pragma once

enum {
    kFolderLimit = 4096,
    kFolderPoolCapacity = 262144,
};

// What the uninstaller found at a folder's place.
enum FolderState {
    kFolderUnchecked = 0,
    kFolderReal,      // an ordinary folder: the files below it may be removed
    kFolderAbsent,    // nothing there: the files below it are gone already
    kFolderLink,      // a junction or symbolic link: never gone through
};

// A folder as a relative path (no terminator) in the table's pool.
struct FolderRecord {
    int start;
    int length;
    FolderState state;
    void* held;   // a real folder's handle, open until the folder is removed
};

struct FolderTable {
    int count;
    int poolUsed;
    FolderRecord records[kFolderLimit];
    char pool[kFolderPoolCapacity];
};

// Empties the table.
void ClearFolderTable(FolderTable* table);

// The record of the folder path (length bytes, compared without regard to ASCII case), added
// unchecked when it is new. Returns its index, or -1 when the table is full.
int FindOrAddFolder(FolderTable* table, const char* path, int length);

// Orders the records longest path first, so that every folder comes before those that hold it.
void OrderDeepestFirst(FolderTable* table);
