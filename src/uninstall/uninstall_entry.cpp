// The uninstall entries of the programs list: finding this installation's, asking whether another names the uninstaller or the folder, and removing ours.
#include "uninstall/uninstall_entry.h"

#include <windows.h>

#include "base/canonical_folder.h"
#include "base/install_scope.h"
#include "base/key_paths.h"
#include "base/run_log.h"
#include "base/uninstall_entries.h"
#include "text/bounded_text.h"
#include "uninstall/purgax_ids.h"
#include "uninstall/removal_report.h"
#include "uninstall/uninstall_paths.h"
#include "uninstall/uninstall_state.h"

enum { kCommandCapacity = 2 * kPathCapacity };

// The root of the programs list of the installation's scope.
static HKEY EntryRoot(void)
{
    return ScopeRoot(uninstallState.scope);
}

// Reads the entry's UninstallString into command. 0, or -1 when it has none.
static int ReadCommand(const char* path, char* command)
{
    return ReadKeyPathValue(EntryRoot(), path, kUninstallStringValue, REG_SZ, command,
                            kCommandCapacity) == 0 ? 0 : -1;
}

// The canonical form of the folder that the entry's UninstallString names, in folder. Its
// length, or -1 when it names none.
static int ReadEntryTarget(const char* path, char* folder)
{
    char command[kCommandCapacity];
    char text[kPathCapacity];
    int length = 0;
    const char* target = ReadCommand(path, command) == 0 ? FindCommandTarget(command, &length)
                                                         : nullptr;
    if (target == nullptr || length >= kPathCapacity)
        return -1;
    CopyBounded(text, kPathCapacity, target, length);
    return CheckTargetText(text, length) < 0 ? -1 : CanonicalFolder(text, folder);
}

struct EntrySearch {
    int count;      // entries that name the target, by UninstallString or InstallLocation
    int taken;      // ours: the first whose UninstallString names it
    char names[kReportCapacity / 2];
    int namesLength;
};

// Nonzero when the entry names the target: its uninstaller's folder or, with location, its
// InstallLocation, in canonical form.
static int NamesTarget(const char* path, int location)
{
    UninstallState& u = uninstallState;
    char text[kPathCapacity];
    char folder[kPathCapacity];
    int length = -1;
    if (!location)
        length = ReadEntryTarget(path, folder);
    else if (ReadKeyPathValue(EntryRoot(), path, kInstallLocationValue, REG_SZ, text,
                              kPathCapacity) == 0 && text[0] != '\0')
        length = CanonicalFolder(text, folder);
    return length == u.targetLength && CompareFolded(folder, u.target, length) == 0;
}

static int TakeEntryOfTarget(const char* name, const char* path, void* context)
{
    UninstallState& u = uninstallState;
    EntrySearch* search = static_cast<EntrySearch*>(context);
    int byCommand = NamesTarget(path, 0);
    if (!byCommand && !NamesTarget(path, 1))
        return 0;
    if (byCommand && !search->taken) {
        search->taken = 1;
        CopyBounded(u.applicationName, kTextCapacity, name, TextLength(name));
        CopyBounded(u.entryPath, kPathCapacity, path, TextLength(path));
    }
    search->count++;
    search->namesLength = AppendBounded(search->names, sizeof search->names,
                                        search->namesLength, "\n", 1);
    search->namesLength = AppendBounded(search->names, sizeof search->names,
                                        search->namesLength, name, TextLength(name));
    return 0;
}

int FindUninstallEntry(void)
{
    EntrySearch search;
    search.count = 0;
    search.taken = 0;
    search.names[0] = '\0';
    search.namesLength = 0;
    VisitUninstallEntries(EntryRoot(), TakeEntryOfTarget, &search);
    if (!search.taken)
        ShowUninstallMessage(IDS_NO_ENTRY, uninstallState.target, MB_ICONINFORMATION);
    else if (search.count > 1)
        ShowUninstallMessage(IDS_SHARED_FOLDER, search.names, MB_ICONERROR);
    return search.taken && search.count == 1 ? 0 : -1;
}

// The canonical form of a program path as an entry may write it: variables expanded, short
// names made long. 0, or -1 when it does not fit.
static int CanonicalProgram(const char* text, int length, char* program)
{
    char raw[kPathCapacity];
    char expanded[kPathCapacity];
    CopyBounded(raw, kPathCapacity, text, length);
    DWORD expandedLength = ExpandEnvironmentStringsA(raw, expanded, kPathCapacity);
    if (length >= kPathCapacity || expandedLength == 0 ||
        expandedLength > static_cast<DWORD>(kPathCapacity))
        return -1;
    return CanonicalFolder(expanded, program) < 0 ? -1 : 0;
}

static int NamesProgram(const char* name, const char* path, void* context)
{
    const char* program = static_cast<const char*>(context);
    char command[kCommandCapacity];
    char named[kPathCapacity];
    int length = 0;
    if (CompareFolded(path, uninstallState.entryPath, TextLength(path) + 1) == 0 ||
        ReadCommand(path, command) != 0)
        return 0;
    const char* start = FindCommandProgram(command, &length);
    return CanonicalProgram(start, length, named) == 0 && lstrcmpiA(named, program) == 0;
}

int IsNamedByAnotherEntry(const char* path)
{
    char program[kPathCapacity];
    if (CanonicalProgram(path, TextLength(path), program) != 0)
        return 1;
    return VisitUninstallEntries(EntryRoot(), NamesProgram, program);
}

static void NoteIfNested(const char* folder)
{
    UninstallState& u = uninstallState;
    if (u.nestedCount < kNestedLimit && IsSameOrBelow(folder, u.target))
        CopyBounded(u.nested[u.nestedCount++], kPathCapacity, folder, TextLength(folder));
}

// Notes the folders that another entry names (its uninstaller's and its InstallLocation)
// when they lie inside the target.
static int NoteNestedFolders(const char* name, const char* path, void* context)
{
    char folder[kPathCapacity];
    char location[kPathCapacity];
    if (CompareFolded(path, uninstallState.entryPath, TextLength(path) + 1) == 0)
        return 0;
    if (ReadEntryTarget(path, folder) >= 0)
        NoteIfNested(folder);
    if (ReadKeyPathValue(EntryRoot(), path, kInstallLocationValue, REG_SZ, location,
                         kPathCapacity) == 0 &&
        location[0] != '\0' && CanonicalFolder(location, folder) >= 0)
        NoteIfNested(folder);
    return 0;
}

void FindNestedInstallations(void)
{
    uninstallState.nestedCount = 0;
    VisitUninstallEntries(EntryRoot(), NoteNestedFolders, nullptr);
}

int RemoveUninstallEntry(void)
{
    UninstallState& u = uninstallState;
    if (RegDeleteKeyA(EntryRoot(), u.entryPath) == ERROR_SUCCESS) {
        LogLine("Removed %s\\%s", ScopeRootName(u.scope), u.entryPath);
        return 0;
    }
    char shown[kPathCapacity];
    JoinPath(shown, kPathCapacity, ScopeRootName(u.scope), u.entryPath);
    AddLeftItem(shown, IDS_REASON_FAILED, 0);
    return -1;
}
