// The entries of the programs list, walked by both the setup program and the uninstaller: both registry views, and the folder each entry names.
#include "base/uninstall_entries.h"

#include "base/canonical_folder.h"
#include "base/folder_text.h"
#include "base/refused_folders.h"
#include "base/run_log.h"
#include "base/system_libraries.h"
#include "text/bounded_text.h"
#include "text/uninstall_command.h"

enum {
    kKeyNameCapacity = 256,                 // the longest key name the registry allows
    kCommandCapacity = 2 * kPathCapacity,   // an UninstallString with its switches
};

typedef BOOL(WINAPI* IsWow64)(HANDLE process, BOOL* wow64);

// The 64-bit view when this program runs on a 64-bit system, else 0 (there is only one view).
static REGSAM OtherView(void)
{
    IsWow64 isWow64 =
        reinterpret_cast<IsWow64>(reinterpret_cast<void*>(FindSystemProcedure("kernel32.dll",
                                                                               "IsWow64Process")));
    BOOL wow64 = FALSE;
    return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64 ? KEY_WOW64_64KEY
                                                                               : 0;
}

int VisitUninstallEntries(EntryVisit visit, void* context)
{
    REGSAM views[2] = {0, OtherView()};
    int stopped = 0;
    for (int view = 0; view < 2 && !stopped && (view == 0 || views[view] != 0); view++) {
        HKEY list = 0;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0,
                          KEY_ENUMERATE_SUB_KEYS | views[view], &list) != ERROR_SUCCESS)
            continue;
        for (DWORD index = 0; !stopped; index++) {
            char name[kKeyNameCapacity];
            char path[kPathCapacity];
            LONG status = RegEnumKeyA(list, index, name, kKeyNameCapacity);
            if (status == ERROR_NO_MORE_ITEMS)
                break;
            if (status != ERROR_SUCCESS || name[0] == '\0' || TextLength(name) >= kTextCapacity ||
                JoinPath(path, kPathCapacity, kUninstallKey, name) < 0)
                continue;
            UninstallEntry entry = {name, path, views[view]};
            stopped = visit(&entry, context);
        }
        RegCloseKey(list);
    }
    return stopped;
}

int ReadEntryText(const UninstallEntry* entry, const char* name, char* text, int capacity)
{
    char raw[kCommandCapacity];
    HKEY key = 0;
    DWORD type = 0;
    DWORD size = sizeof raw - 1;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, entry->path, 0, KEY_QUERY_VALUE | entry->view, &key) !=
        ERROR_SUCCESS)
        return -1;
    LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(raw), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return -1;
    raw[size] = '\0';
    DWORD length = ExpandEnvironmentStringsA(raw, text, static_cast<DWORD>(capacity));
    return length == 0 || length > static_cast<DWORD>(capacity) ? -1 : 0;
}

int ReadEntryFolder(const UninstallEntry* entry, EntryFolder kind, char* folder)
{
    char text[kCommandCapacity];
    char path[kPathCapacity];
    int hasLocation = ReadEntryText(entry, kInstallLocationValue, text, kCommandCapacity) == 0 &&
                      text[0] != '\0';
    const char* start = nullptr;
    int length = 0;
    if (kind == kFolderOfLocation) {
        if (hasLocation)
            start = Unquoted(text, &length);
    } else if ((kind == kFolderOfCommand || !hasLocation) &&
               ReadEntryText(entry, kUninstallStringValue, text, kCommandCapacity) == 0) {
        UninstallCommand command;
        ReadUninstallCommand(text, &command);
        start = kind == kFolderOfCommand ? command.target : FindCommandFolder(text, &length);
        if (kind == kFolderOfCommand)
            length = command.targetLength;
    }
    if (start == nullptr || length >= kPathCapacity)
        return -1;
    CopyBounded(path, kPathCapacity, start, length);
    // Complete paths only: a relative one would be read against the current directory.
    return RootLength(path, length) > 0 ? CanonicalFolder(path, folder) : -1;
}

int IsEntryAt(const UninstallEntry* entry, const char* path)
{
    return entry->view == 0 && lstrcmpiA(entry->path, path) == 0;
}

struct NearbySearch {
    const char* folder;
    const char* skipName;
};

static int IsNearFolder(const UninstallEntry* entry, void* context)
{
    NearbySearch* search = static_cast<NearbySearch*>(context);
    char folder[kPathCapacity];
    if (entry->view == 0 && lstrcmpiA(entry->name, search->skipName) == 0)
        return 0;
    for (int kind = kFolderOfCommand; kind <= kFolderOfProgram; kind++) {
        if (ReadEntryFolder(entry, static_cast<EntryFolder>(kind), folder) < 0)
            continue;
        if (IsSameOrBelow(folder, search->folder))
            return 1;
        if (!IsSameOrBelow(search->folder, folder))
            continue;
        // A drive, the Windows folder or a profile would make every folder below it another
        // program's: such an entry names no installation.
        if (!IsRefusedFolder(folder))
            return 1;
        LogLine("Ignored entry %s: %s is no installation's folder", entry->name,
                folder);
    }
    return 0;
}

int IsNearAnotherInstallation(const char* folder, const char* skipName)
{
    NearbySearch search = {folder, skipName};
    return VisitUninstallEntries(IsNearFolder, &search);
}
