// The uninstall entries of the programs list: finding this installation's, asking whether another names the uninstaller, and removing ours.
#include "uninstall/uninstall_entry.h"

#include <windows.h>

#include "base/key_paths.h"
#include "base/run_log.h"
#include "text/bounded_text.h"
#include "uninstall/purgax_ids.h"
#include "uninstall/removal_report.h"
#include "uninstall/uninstall_paths.h"
#include "uninstall/uninstall_state.h"

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

enum {
    kKeyNameCapacity = 256,       // the longest key name the registry allows, and its zero
    kCommandCapacity = 2 * kPathCapacity,
};

// Called with each entry's key name, key path and UninstallString; nonzero stops the walk.
typedef int (*EntryVisit)(const char* name, const char* path, const char* command,
                          const void* context);

// Walks the entries of the programs list whose key name fits an application name. Returns
// what the last visit returned (0 when every entry was visited).
static int VisitUninstallEntries(EntryVisit visit, const void* context)
{
    HKEY list = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_ENUMERATE_SUB_KEYS, &list) !=
        ERROR_SUCCESS)
        return 0;
    int stopped = 0;
    for (DWORD index = 0; !stopped; index++) {
        char name[kKeyNameCapacity];
        DWORD nameLength = kKeyNameCapacity;
        LONG status = RegEnumKeyExA(list, index, name, &nameLength, nullptr, nullptr, nullptr,
                                    nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS || nameLength == 0 ||
            nameLength >= static_cast<DWORD>(kTextCapacity))
            continue;
        char path[kPathCapacity];
        char command[kCommandCapacity];
        if (JoinPath(path, kPathCapacity, kUninstallKey, name) < 0 ||
            ReadKeyPathValue(HKEY_LOCAL_MACHINE, path, "UninstallString", REG_SZ, command,
                             kCommandCapacity) != 0)
            continue;
        stopped = visit(name, path, command, context);
    }
    RegCloseKey(list);
    return stopped;
}

static int TakeEntryOfTarget(const char* name, const char* path, const char* command,
                             const void* context)
{
    UninstallState& u = uninstallState;
    int length = 0;
    const char* target = FindCommandTarget(command, &length);
    if (target == nullptr || CheckTargetText(target, length) != u.targetLength ||
        CompareFolded(target, u.target, u.targetLength) != 0)
        return 0;
    CopyBounded(u.applicationName, kTextCapacity, name, TextLength(name));
    CopyBounded(u.entryPath, kPathCapacity, path, TextLength(path));
    return 1;
}

int FindUninstallEntry(void)
{
    return VisitUninstallEntries(TakeEntryOfTarget, nullptr) ? 0 : -1;
}

static int NamesProgram(const char* name, const char* path, const char* command,
                        const void* context)
{
    const char* program = static_cast<const char*>(context);
    int programLength = TextLength(program);
    int length = 0;
    const char* start = FindCommandProgram(command, &length);
    if (CompareFolded(path, uninstallState.entryPath, TextLength(path) + 1) == 0)
        return 0;
    return length == programLength && CompareFolded(start, program, length) == 0;
}

int IsNamedByAnotherEntry(const char* path)
{
    return VisitUninstallEntries(NamesProgram, path);
}

int RemoveUninstallEntry(void)
{
    UninstallState& u = uninstallState;
    if (RegDeleteKeyA(HKEY_LOCAL_MACHINE, u.entryPath) == ERROR_SUCCESS) {
        LogLine("Removed HKLM\\%s", u.entryPath);
        return 0;
    }
    char shown[kPathCapacity];
    JoinPath(shown, kPathCapacity, "HKEY_LOCAL_MACHINE", u.entryPath);
    AddLeftItem(shown, IDS_REASON_FAILED, 0);
    return -1;
}
