// The entries of the programs list, walked by both the setup program and the uninstaller.
#include "base/uninstall_entries.h"

#include <windows.h>

#include "base/canonical_folder.h"
#include "base/folder_text.h"
#include "base/key_paths.h"
#include "base/product_names.h"
#include "text/bounded_text.h"

// The longest key name the registry allows, and its zero.
enum { kKeyNameCapacity = 256 };

int VisitUninstallEntries(HKEY root, EntryVisit visit, void* context)
{
    HKEY list = 0;
    if (RegOpenKeyExA(root, kUninstallKey, 0, KEY_ENUMERATE_SUB_KEYS, &list) !=
        ERROR_SUCCESS)
        return 0;
    int stopped = 0;
    for (DWORD index = 0; !stopped; index++) {
        char name[kKeyNameCapacity];
        char path[kPathCapacity];
        LONG status = RegEnumKeyA(list, index, name, kKeyNameCapacity);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS || name[0] == '\0' || TextLength(name) >= kTextCapacity ||
            JoinPath(path, kPathCapacity, kUninstallKey, name) < 0)
            continue;
        stopped = visit(name, path, context);
    }
    RegCloseKey(list);
    return stopped;
}

struct NearbySearch {
    HKEY root;
    const char* folder;
    const char* skipName;
};

static int IsNearFolder(const char* name, const char* path, void* context)
{
    NearbySearch* search = static_cast<NearbySearch*>(context);
    char location[kPathCapacity];
    char canonical[kPathCapacity];
    if (lstrcmpiA(name, search->skipName) == 0 ||
        ReadKeyPathValue(search->root, path, kInstallLocationValue, REG_SZ, location,
                         kPathCapacity) != 0 ||
        CanonicalFolder(location, canonical) < 0)
        return 0;
    return IsSameOrBelow(search->folder, canonical) || IsSameOrBelow(canonical, search->folder);
}

int IsNearAnotherInstallation(const char* folder, const char* skipName)
{
    NearbySearch machine = {HKEY_LOCAL_MACHINE, folder, skipName};
    NearbySearch user = {HKEY_CURRENT_USER, folder, skipName};
    return VisitUninstallEntries(HKEY_LOCAL_MACHINE, IsNearFolder, &machine) ||
           VisitUninstallEntries(HKEY_CURRENT_USER, IsNearFolder, &user);
}
