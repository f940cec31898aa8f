// The uninstaller's command line: the target folder it names, refused before anything is touched when it is not one an installation can be removed from.
#include "uninstall/target_check.h"

#include "base/canonical_folder.h"
#include "base/refused_folders.h"
#include "text/bounded_text.h"
#include "uninstall/purgax_ids.h"
#include "uninstall/removal_report.h"
#include "uninstall/uninstall_paths.h"
#include "uninstall/uninstall_state.h"

// Nonzero when the target, or a folder on the way to it, is a junction or a symbolic link.
static int IsReachedThroughLink(const char* target, int length)
{
    char path[kPathCapacity];
    int root = RootLength(target, length);
    for (int end = root; end <= length; end++) {
        if (end < length && target[end] != '\\')
            continue;
        if (end == root)
            continue;
        CopyBounded(path, kPathCapacity, target, end);
        DWORD attributes = GetFileAttributesA(path);
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return 0;
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
            return 1;
    }
    return 0;
}

int AcceptTarget(const char* text, int textLength)
{
    UninstallState& u = uninstallState;
    if (text == nullptr || textLength == 0) {
        ShowUninstallMessage(IDS_USAGE, "", MB_ICONERROR);
        return -1;
    }
    // What the installer writes holds at most 127 characters.
    CopyBounded(u.target, kPathCapacity, text, textLength);
    int length = textLength < kTextCapacity ? CheckTargetText(text, textLength) : -1;
    if (length < 0) {
        ShowUninstallMessage(IDS_REFUSED_FOLDER, u.target, MB_ICONERROR);
        return -1;
    }
    u.target[length] = '\0';
    // Compared and used in the one form the system resolves it to: a trailing dot, a short
    // name or an administrative share does not hide a refused folder.
    char canonical[kPathCapacity];
    length = CanonicalFolder(u.target, canonical);
    if (length < 0 || CheckTargetText(canonical, length) != length || IsRefusedFolder(canonical)) {
        ShowUninstallMessage(IDS_REFUSED_FOLDER, u.target, MB_ICONERROR);
        return -1;
    }
    u.targetLength = CopyBounded(u.target, kPathCapacity, canonical, length);
    if (IsReachedThroughLink(u.target, length)) {
        ShowUninstallMessage(IDS_LINKED_FOLDER, u.target, MB_ICONERROR);
        return -1;
    }
    return 0;
}
