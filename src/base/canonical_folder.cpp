// The one form in which the setup program and the uninstaller compare folders: full, long and as the system resolves it.
#include "base/canonical_folder.h"

#include <windows.h>

#include "base/capacities.h"
#include "base/folder_text.h"
#include "text/bounded_text.h"

int CanonicalFolder(const char* path, char* folder)
{
    char text[kPathCapacity];
    // The system completes and resolves the path; the text rules then take what it leaves
    // (a share or device form, dots and blanks at the end of a name).
    DWORD full = *path != '\0' ? GetFullPathNameA(path, kPathCapacity, folder, nullptr) : 0;
    if (full == 0 || full >= static_cast<DWORD>(kPathCapacity))
        return -1;
    int length = CanonicalFolderText(folder, static_cast<int>(full));
    // Only a folder that is there has a long form; the text form stands for one that is not.
    DWORD longLength = GetLongPathNameA(folder, text, kPathCapacity);
    if (longLength != 0 && longLength < static_cast<DWORD>(kPathCapacity))
        length = CopyBounded(folder, kPathCapacity, text, static_cast<int>(longLength));
    return length;
}
