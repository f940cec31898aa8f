// The two scopes of an installation and the places each one writes to.
#include "base/install_scope.h"

#include "base/canonical_folder.h"
#include "base/capacities.h"
#include "base/folder_text.h"
#include "base/key_paths.h"
#include "base/product_names.h"
#include "text/bounded_text.h"

static const char kUserClassesKey[] = "Software\\Classes\\";
static_assert(sizeof kUserClassesKey - 1 == kUserClassesLength, "one length for one prefix");
static const char kUserProgramsBase[] = "%LOCALAPPDATA%\\Programs";

// The value names of the shortcut places, by scope and place.
static const char* const kShortcutValues[2][2] = {
    {kCommonProgramsValue, kCommonDesktopValue},
    {kProgramsFolderValue, kDesktopFolderValue},
};

HKEY ScopeRoot(InstallScope scope)
{
    return scope == kScopeAllUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

const char* ScopeRootName(InstallScope scope)
{
    return scope == kScopeAllUsers ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

HKEY ScopeClassesKey(InstallScope scope, const char* path, char* key)
{
    int length = 0;
    if (scope == kScopeCurrentUser)
        length = CopyBounded(key, kPathCapacity, kUserClassesKey, kUserClassesLength);
    AppendBounded(key, kPathCapacity, length, path, TextLength(path));
    return scope == kScopeAllUsers ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER;
}

int UsesWindowsDirectory(InstallScope scope, int windowsEntry)
{
    return windowsEntry && scope == kScopeAllUsers;
}

int ReadShortcutFolder(InstallScope scope, ShortcutPlace place, char* folder)
{
    if (ReadKeyPathValue(ScopeRoot(scope), kShellFoldersKey, kShortcutValues[scope][place],
                         REG_SZ, folder, kTextCapacity) != 0)
        return -1;
    return folder[0] == '\0' ? -1 : 0;
}

int ReadProgramsBase(InstallScope scope, char* folder)
{
    if (scope == kScopeAllUsers)
        return ReadKeyPathValue(HKEY_LOCAL_MACHINE, kCurrentVersionKey, kProgramFilesValue,
                                REG_SZ, folder, kTextCapacity) == 0 && folder[0] != '\0'
                   ? 0
                   : -1;
    // A variable that is not set stays as written, beginning with '%'.
    DWORD length = ExpandEnvironmentStringsA(kUserProgramsBase, folder, kTextCapacity);
    return length != 0 && length <= static_cast<DWORD>(kTextCapacity) && folder[0] != '%' ? 0
                                                                                          : -1;
}

int IsOutsideScope(InstallScope scope, const char* folder)
{
    char expanded[kPathCapacity];
    char profile[kPathCapacity];
    if (scope == kScopeAllUsers)
        return 0;
    // Without a known profile nothing is inside it.
    DWORD length = ExpandEnvironmentStringsA("%USERPROFILE%", expanded, kPathCapacity);
    return length == 0 || length > static_cast<DWORD>(kPathCapacity) || expanded[0] == '%' ||
           CanonicalFolder(expanded, profile) < 0 || !IsSameOrBelow(folder, profile);
}

int IsElevated(void)
{
    HANDLE token = 0;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return 0;
    if (!GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size))
        elevation.TokenIsElevated = 0;
    CloseHandle(token);
    return elevation.TokenIsElevated != 0;
}
