// The uninstall entries of the programs list: finding this installation's, asking whether another names the uninstaller or the folder, and removing ours.
#include "uninstall/uninstall_entry.h"

#include <windows.h>

#include "base/canonical_folder.h"
#include "base/key_paths.h"
#include "base/run_log.h"
#include "base/uninstall_entries.h"
#include "text/bounded_text.h"
#include "text/uninstall_command.h"
#include "uninstall/purgax_ids.h"
#include "uninstall/removal_report.h"
#include "uninstall/uninstall_paths.h"
#include "uninstall/uninstall_state.h"

enum { kCommandCapacity = 2 * kPathCapacity };

struct EntrySearch {
    int count;      // entries that name the target, by UninstallString or InstallLocation
    int taken;      // ours: the first whose UninstallString names it
    char names[kReportCapacity / 2];
    int namesLength;
};

// Nonzero when the entry names the target in the way kind.
static int NamesTarget(const UninstallEntry* entry, EntryFolder kind)
{
    UninstallState& u = uninstallState;
    char folder[kPathCapacity];
    int length = ReadEntryFolder(entry, kind, folder);
    return length == u.targetLength && CompareFolded(folder, u.target, length) == 0;
}

static int TakeEntryOfTarget(const UninstallEntry* entry, void* context)
{
    UninstallState& u = uninstallState;
    EntrySearch* search = static_cast<EntrySearch*>(context);
    int byCommand = NamesTarget(entry, kFolderOfCommand);
    if (!byCommand && !NamesTarget(entry, kFolderOfLocation) &&
        !NamesTarget(entry, kFolderOfProgram))
        return 0;
    // The installer writes its entry into this program's view only.
    if (byCommand && !search->taken && entry->view == 0) {
        search->taken = 1;
        CopyText(u.applicationName, kTextCapacity, entry->name);
        CopyText(u.entryPath, kPathCapacity, entry->path);
    }
    const char* name = entry->name;
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
    VisitUninstallEntries(TakeEntryOfTarget, &search);
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

static int NamesProgram(const UninstallEntry* entry, void* context)
{
    const char* program = static_cast<const char*>(context);
    char command[kCommandCapacity];
    char named[kPathCapacity];
    int length = 0;
    if (IsEntryAt(entry, uninstallState.entryPath) ||
        ReadEntryText(entry, kUninstallStringValue, command, kCommandCapacity) != 0)
        return 0;
    const char* start = FindCommandProgram(command, &length);
    return CanonicalProgram(start, length, named) == 0 && lstrcmpiA(named, program) == 0;
}

int IsNamedByAnotherEntry(const char* path)
{
    char program[kPathCapacity];
    if (CanonicalProgram(path, TextLength(path), program) != 0)
        return 1;
    return VisitUninstallEntries(NamesProgram, program);
}

static void NoteIfNested(const char* folder)
{
    UninstallState& u = uninstallState;
    if (u.nestedCount < kNestedLimit && IsSameOrBelow(folder, u.target))
        CopyText(u.nested[u.nestedCount++], kPathCapacity, folder);
}

// Notes the folders that another entry names when they lie inside the target.
static int NoteNestedFolders(const UninstallEntry* entry, void* context)
{
    char folder[kPathCapacity];
    if (IsEntryAt(entry, uninstallState.entryPath))
        return 0;
    for (int kind = kFolderOfCommand; kind <= kFolderOfProgram; kind++) {
        if (ReadEntryFolder(entry, static_cast<EntryFolder>(kind), folder) >= 0)
            NoteIfNested(folder);
    }
    return 0;
}

void FindNestedInstallations(void)
{
    uninstallState.nestedCount = 0;
    VisitUninstallEntries(NoteNestedFolders, nullptr);
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
