// The folders that no installation goes into and no uninstallation removes, for every user of the machine.
#include "base/refused_folders.h"

#include <windows.h>

#include "base/canonical_folder.h"
#include "base/folder_text.h"
#include "base/key_paths.h"
#include "base/product_names.h"
#include "text/bounded_text.h"

static const char kProfileListKey[] =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
static const char* const kShellFolderKeys[] = {kShellFoldersKey, kUserShellFoldersKey};

// The temporary folders, each ended by a zero, and an empty name after them.
static const char kTemporaryFolders[] = "%TMP%\0%TEMP%\0";

enum {
    kAnyDepth = 1000,
    kKeyNameCapacity = 256,
};

// Nonzero when the target is the protected folder, holds it, or lies at most depth levels
// below it. The folder is read as stored: variables expanded, then in canonical form. An empty
// or unknown folder (a variable that is not set) protects nothing.
static int Collides(const char* target, const char* stored, int depth)
{
    char expanded[kPathCapacity];
    char folder[kPathCapacity];
    DWORD length = ExpandEnvironmentStringsA(stored, expanded, kPathCapacity);
    if (length == 0 || length > static_cast<DWORD>(kPathCapacity) ||
        expanded[0] == '%' || CanonicalFolder(expanded, folder) < 0)
        return 0;
    if (IsSameOrBelow(folder, target))
        return 1;
    if (!IsSameOrBelow(target, folder))
        return 0;
    int below = 0;
    for (const char* at = target + TextLength(folder); *at != '\0'; at++)
        below += *at == '\\' && at[1] != '\0';
    return below <= depth;
}

static int CollidesWithValue(const char* target, HKEY root, const char* path, const char* name,
                             int depth)
{
    char stored[kPathCapacity];
    return ReadKeyPathValue(root, path, name, REG_SZ, stored, kPathCapacity) == 0 &&
           Collides(target, stored, depth);
}

// Nonzero when the target is or holds a folder that a text value of the key names: the shell
// folders.
static int CollidesWithValues(const char* target, HKEY root, const char* path)
{
    HKEY key = 0;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    int collides = 0;
    char name[kKeyNameCapacity];
    char stored[kPathCapacity];
    for (DWORD index = 0; !collides; index++) {
        DWORD nameLength = kKeyNameCapacity;
        DWORD size = kPathCapacity - 1;
        DWORD type = 0;
        LONG status = RegEnumValueA(key, index, name, &nameLength, nullptr, &type,
                                    reinterpret_cast<BYTE*>(stored), &size);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        stored[size] = '\0';
        if (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ))
            collides = Collides(target, stored, 0);
    }
    RegCloseKey(key);
    return collides;
}

// Nonzero when the target is, holds or lies directly in the profile of a user of the machine.
static int CollidesWithProfiles(const char* target)
{
    HKEY key = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProfileListKey, 0, KEY_ENUMERATE_SUB_KEYS, &key) !=
        ERROR_SUCCESS)
        return 0;
    int collides = 0;
    char name[kKeyNameCapacity];
    char path[kPathCapacity];
    for (DWORD index = 0; !collides && RegEnumKeyA(key, index, name, kKeyNameCapacity) == 0;
         index++) {
        if (JoinPath(path, kPathCapacity, kProfileListKey, name) >= 0)
            collides = CollidesWithValue(target, HKEY_LOCAL_MACHINE, path, "ProfileImagePath", 1);
    }
    RegCloseKey(key);
    return collides;
}

// Nonzero when folder is a drive's or a network share's root: every installation lies below one.
static int IsRoot(const char* folder)
{
    int separators = 0;
    for (const char* at = folder; *at != '\0'; at++)
        separators += *at == '\\' && at[1] != '\0';
    return folder[0] == '\\' ? separators <= 3 : separators == 0;
}

int IsRefusedFolder(const char* folder)
{
    char place[kPathCapacity];
    if (IsRoot(folder))
        return 1;
    UINT length = GetWindowsDirectoryA(place, kPathCapacity);
    if (length == 0 || length >= static_cast<UINT>(kPathCapacity) ||
        Collides(folder, place, kAnyDepth))
        return 1;
    for (const char* variable = kTemporaryFolders; *variable != '\0';
         variable += TextLength(variable) + 1) {
        if (Collides(folder, variable, 0))
            return 1;
    }
    // The running user's profile and the folders directly in it.
    if (Collides(folder, "%USERPROFILE%", 1))
        return 1;
    for (const char* value = kProgramFolderValues; *value != '\0';
         value += TextLength(value) + 1) {
        if (CollidesWithValue(folder, HKEY_LOCAL_MACHINE, kCurrentVersionKey, value, 0))
            return 1;
    }
    // Every user's profile and the folders directly in it (Documents, Desktop, AppData).
    if (CollidesWithValue(folder, HKEY_LOCAL_MACHINE, kProfileListKey, "ProfilesDirectory", 2) ||
        CollidesWithProfiles(folder))
        return 1;
    for (const char* key : kShellFolderKeys) {
        if (CollidesWithValues(folder, HKEY_CURRENT_USER, key) ||
            CollidesWithValues(folder, HKEY_LOCAL_MACHINE, key))
            return 1;
    }
    return 0;
}
