// The uninstaller's command line: the target folder it names, refused before anything is touched when it is not one an installation can be removed from.
#include "uninstall/target_check.h"

#include "base/key_paths.h"
#include "text/bounded_text.h"
#include "uninstall/purgax_ids.h"
#include "uninstall/removal_report.h"
#include "uninstall/uninstall_paths.h"
#include "uninstall/uninstall_state.h"

static const char kCurrentVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
static const char kProfileListKey[] =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
static const char* const kShellFolderKeys[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
};
static const char* const kProgramFolderValues[] = {
    "ProgramFilesDir", "ProgramW6432Dir", "ProgramFilesDir (x86)",
    "CommonFilesDir",  "CommonW6432Dir",  "CommonFilesDir (x86)",
};

// The target and the long form of its path, upper-cased by the system's rules, so that
// neither letter case nor short names hide a protected folder.
struct TargetForms {
    char forms[2][kPathCapacity];
    int count;
};

static void FoldCase(char* text)
{
    CharUpperBuffA(text, TextLength(text));
}

// Nonzero when a form of the target is folder or holds it; with inside, also when it lies
// below it. An empty folder (an unknown place) protects nothing.
static int Collides(const TargetForms& target, const char* folder, int inside)
{
    char folded[kPathCapacity];
    CopyBounded(folded, kPathCapacity, folder, TextLength(folder));
    FoldCase(folded);
    for (int i = 0; i < target.count; i++) {
        if (IsSameOrBelow(folded, target.forms[i]))
            return 1;
        if (inside && IsSameOrBelow(target.forms[i], folded))
            return 1;
    }
    return 0;
}

// Nonzero when a form of the target is the profiles folder, holds it, or is a folder directly
// in it: somebody's profile.
static int CollidesWithProfiles(const TargetForms& target, const char* profiles)
{
    if (Collides(target, profiles, 0))
        return 1;
    char folded[kPathCapacity];
    int length = CopyBounded(folded, kPathCapacity, profiles, TextLength(profiles));
    FoldCase(folded);
    while (length > 0 && folded[length - 1] == '\\')
        folded[--length] = '\0';
    for (int i = 0; i < target.count; i++) {
        const char* form = target.forms[i];
        if (IsSameOrBelow(form, folded)) {
            const char* rest = form + length + 1;
            while (*rest != '\0' && *rest != '\\')
                rest++;
            if (*rest == '\0')
                return 1;
        }
    }
    return 0;
}

// Reads a text value; a REG_EXPAND_SZ's variables are expanded. Empty when it is missing.
static void ReadFolderValue(HKEY root, const char* path, const char* name, char* folder)
{
    char raw[kPathCapacity];
    folder[0] = '\0';
    if (ReadKeyPathValue(root, path, name, REG_SZ, raw, kPathCapacity) != 0)
        return;
    DWORD length = ExpandEnvironmentStringsA(raw, folder, kPathCapacity);
    if (length == 0 || length > static_cast<DWORD>(kPathCapacity))
        folder[0] = '\0';
}

// Nonzero when a form of the target is or holds one of the shell folders under root.
static int CollidesWithShellFolders(const TargetForms& target, HKEY root, const char* path)
{
    HKEY key = 0;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    int collides = 0;
    for (DWORD index = 0; !collides; index++) {
        char name[kPathCapacity];
        char raw[kPathCapacity];
        char folder[kPathCapacity];
        DWORD nameLength = kPathCapacity;
        DWORD size = kPathCapacity - 1;
        DWORD type = 0;
        LONG status = RegEnumValueA(key, index, name, &nameLength, nullptr, &type,
                                    reinterpret_cast<BYTE*>(raw), &size);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            continue;
        raw[size] = '\0';
        DWORD length = ExpandEnvironmentStringsA(raw, folder, kPathCapacity);
        if (length != 0 && length <= static_cast<DWORD>(kPathCapacity))
            collides = Collides(target, folder, 0);
    }
    RegCloseKey(key);
    return collides;
}

static int IsProtected(const TargetForms& target)
{
    char folder[kPathCapacity];
    if (Collides(target, uninstallState.windowsDir, 1))
        return 1;
    DWORD length = GetTempPathA(kPathCapacity, folder);
    if (length != 0 && length < static_cast<DWORD>(kPathCapacity) && Collides(target, folder, 0))
        return 1;
    for (const char* value : kProgramFolderValues) {
        ReadFolderValue(HKEY_LOCAL_MACHINE, kCurrentVersionKey, value, folder);
        if (Collides(target, folder, 0))
            return 1;
    }
    ReadFolderValue(HKEY_LOCAL_MACHINE, kProfileListKey, "ProfilesDirectory", folder);
    if (CollidesWithProfiles(target, folder))
        return 1;
    length = GetEnvironmentVariableA("USERPROFILE", folder, kPathCapacity);
    if (length != 0 && length < static_cast<DWORD>(kPathCapacity) && Collides(target, folder, 0))
        return 1;
    for (const char* path : kShellFolderKeys) {
        if (CollidesWithShellFolders(target, HKEY_CURRENT_USER, path) ||
            CollidesWithShellFolders(target, HKEY_LOCAL_MACHINE, path))
            return 1;
    }
    return 0;
}

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

int AcceptTarget(const char* commandLine)
{
    UninstallState& u = uninstallState;
    int textLength = 0;
    const char* text = FindCommandTarget(commandLine, &textLength);
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
    u.targetLength = length;

    TargetForms forms;
    forms.count = 1;
    CopyBounded(forms.forms[0], kPathCapacity, u.target, length);
    DWORD longLength = GetLongPathNameA(u.target, forms.forms[1], kPathCapacity);
    if (longLength != 0 && longLength < static_cast<DWORD>(kPathCapacity))
        forms.count = 2;
    for (int i = 0; i < forms.count; i++)
        FoldCase(forms.forms[i]);
    if (IsProtected(forms)) {
        ShowUninstallMessage(IDS_REFUSED_FOLDER, u.target, MB_ICONERROR);
        return -1;
    }
    if (IsReachedThroughLink(u.target, length)) {
        ShowUninstallMessage(IDS_LINKED_FOLDER, u.target, MB_ICONERROR);
        return -1;
    }
    return 0;
}
