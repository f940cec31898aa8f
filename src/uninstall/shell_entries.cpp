// The installation's places outside its folder: its shortcuts, its App Paths entry and the text-file commands that point at it.
#include "base/run_log.h"
#include "base/system_libraries.h"
#include "uninstall/shell_entries.h"

#include <windows.h>
#include <shlobj.h>

#include "base/canonical_folder.h"
#include "base/install_scope.h"
#include "base/key_paths.h"
#include "base/product_names.h"
#include "script/script_scan.h"
#include "system/suffix_walk.h"
#include "text/bounded_text.h"
#include "uninstall/file_removal.h"
#include "uninstall/purgax_ids.h"
#include "uninstall/removal_report.h"
#include "uninstall/uninstall_paths.h"
#include "uninstall/uninstall_state.h"


struct TextCommand {
    const char* key;
    const char* defaultCommand;
};

// The commands the system has for text files before any editor takes them over.
static const TextCommand kTextCommands[] = {
    {kOpenCommandKey, "%SystemRoot%\\system32\\NOTEPAD.EXE %1"},
    {kPrintCommandKey, "%SystemRoot%\\system32\\NOTEPAD.EXE /p %1"},
};

typedef void(WINAPI* NotifyShell)(LONG event, UINT flags, const void* first, const void* second);

// What FindGroupFolder found.
enum GroupFolder {
    kGroupUnknown = -1,   // the programs folder is unknown or the application name not plain
    kGroupFound = 0,      // folder holds the group folder's path
    kGroupCut = 1,        // the path does not fit the installer's 127 characters: folder holds
                          // the cut path, a folder that the installer may have made and that is
                          // not this application's name
};

// Reads what the uninstall entry records under `value` into text (kTextCapacity bytes): where
// the installation made its shortcuts, the suffixes it bound. 0, or -1 for an installation
// made before the entry recorded it (or that made none).
static int ReadRecordedText(const char* value, char* text)
{
    UninstallState& u = uninstallState;
    return ReadKeyPathValue(ScopeRoot(u.scope), u.entryPath, value, REG_SZ, text,
                            kTextCapacity) == 0 && text[0] != '\0' ? 0 : -1;
}

// The group folder below the Start menu's programs folder, as the installer made it, into
// folder (kTextCapacity bytes): as the entry records it, or else below the running user's
// programs folder.
static GroupFolder FindGroupFolder(char* folder)
{
    const char* name = uninstallState.applicationName;
    char programs[kPathCapacity];
    // A recorded folder whose last name is not the application's was cut short by the
    // installer: it may be another program's.
    if (ReadRecordedText(kGroupFolderValue, folder) == 0) {
        int length = TextLength(folder) - TextLength(name);
        return length > 0 && folder[length - 1] == '\\' && lstrcmpiA(folder + length, name) == 0
                   ? kGroupFound
                   : kGroupCut;
    }
    if (!IsPlainName(name, TextLength(name)) ||
        ReadKeyPathValue(HKEY_CURRENT_USER, kShellFoldersKey, kProgramsFolderValue, REG_SZ, programs,
                         kPathCapacity) != 0)
        return kGroupUnknown;
    return JoinPath(folder, kTextCapacity, programs, name) < 0 ? kGroupCut : kGroupFound;
}

// Nonzero when the command names exactly this installation's editor: its folder, in canonical
// form, is the target. Another installation's editor, even one inside the target, is not ours.
static int NamesOurEditor(const char* command)
{
    UninstallState& u = uninstallState;
    char text[kPathCapacity];
    char folder[kPathCapacity];
    int length = 0;
    const char* start = FindProgramFolder(command, kEditorFileName, &length);
    if (start == nullptr || length >= kPathCapacity)
        return 0;
    CopyBounded(text, kPathCapacity, start, length);
    return CanonicalFolder(text, folder) == u.targetLength &&
           CompareFolded(folder, u.target, u.targetLength) == 0;
}

// Removes the shortcut name (a plain file name) from folder.
static void RemoveShortcut(const char* folder, const char* name)
{
    char path[kPathCapacity];
    int fits = JoinPath(path, kPathCapacity, folder, name) >= 0;
    if (!IsPlainName(name, TextLength(name)))
        AddLeftItem(path, IDS_REASON_OUTSIDE, 0);
    else if (fits)
        RemoveOneFile(path);
    else
        AddLeftItem(path, IDS_REASON_FAILED, 0);
}

void RemoveShortcuts(void)
{
    UninstallState& u = uninstallState;
    char group[kTextCapacity];
    int cursor = 0;
    if (ScanForSection(u.scriptText, u.groupSection, &cursor) != 0)
        return;
    GroupFolder groupFound = FindGroupFolder(group);
    if (groupFound == kGroupCut && GetFileAttributesA(group) != INVALID_FILE_ATTRIBUTES)
        AddLeftItem(group, IDS_REASON_CUT, 0);
    char desktop[kTextCapacity];
    int first = ReadRecordedText(kDesktopShortcutsValue, desktop) == 0 ||
                ReadKeyPathValue(HKEY_CURRENT_USER, kShellFoldersKey, kDesktopFolderValue, REG_SZ,
                                 desktop, kTextCapacity) == 0;
    for (;;) {
        int keyLength = 0;
        int valueLength = 0;
        const char* valueStart = nullptr;
        const char* line = u.scriptText + cursor;
        int lineLength = ParseEntry(line, &keyLength, &valueStart, &valueLength);
        // The installer's list ends at the first line without key and value, as here.
        if (lineLength == 0 || (keyLength == 0 && valueLength == 0))
            break;
        cursor += lineLength;
        CopyBounded(u.entryKey, kTextCapacity, line, keyLength);
        if (groupFound == kGroupFound)
            RemoveShortcut(group, u.entryKey);
        if (first)
            RemoveShortcut(desktop, u.entryKey);
        first = 0;
    }
    if (groupFound == kGroupFound)
        RemoveEmptyFolder(group);
}

void ListUnknownShortcuts(void)
{
    char group[kTextCapacity];
    if (FindGroupFolder(group) != kGroupUnknown && GetFileAttributesA(group) != INVALID_FILE_ATTRIBUTES)
        AddLeftItem(group, IDS_REASON_UNKNOWN, 0);
}

void RemoveAppPath(void)
{
    char path[kPathCapacity];
    InstallScope scope = uninstallState.scope;
    HKEY root = ScopeRoot(scope);
    if (ReadKeyPathValue(root, kAppPathsKey, "", REG_SZ, path, kPathCapacity) != 0 ||
        !NamesOurEditor(path))
        return;
    LONG status = RegDeleteKeyA(root, kAppPathsKey);
    JoinPath(path, kPathCapacity, ScopeRootName(scope), kAppPathsKey);
    if (status != ERROR_SUCCESS)
        AddLeftItem(path, IDS_REASON_FAILED, 1);
    else
        LogLine("Removed %s", path);
}

// Tells the shell that the text-file commands changed, so that it drops what it cached. The
// shell's library comes from the system directory, as every library this program loads.
static void NotifyAssociationChange(void)
{
    NotifyShell notify = reinterpret_cast<NotifyShell>(
        reinterpret_cast<void*>(FindSystemProcedure("shell32.dll", "SHChangeNotify")));
    if (notify != nullptr)
        notify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

// Removes the key at path below root, then each key above it that is left empty, down to the
// first keptLength characters of path. 0, or -1 when the key itself stays.
static int DeleteEmptiedKeys(HKEY root, char* path, int keptLength)
{
    for (int removed = 0;; removed = 1) {
        if (RegDeleteKeyA(root, path) != ERROR_SUCCESS)
            return removed ? 0 : -1;
        char* cut = FindLastChar(path, '\\');
        if (cut == nullptr || cut < path + keptLength)
            return 0;
        *cut = '\0';
    }
}

// The suffixes that a user's own installation bound to txtfile go, each while it still is
// bound to it; the machine's bindings show again. Returns nonzero when one went.
static int UnbindUserSuffixes(void)
{
    int removed = 0;
    char suffixes[kTextCapacity];
    char suffix[kTextCapacity + 1];
    char key[kPathCapacity];
    char type[kTextCapacity];
    if (ReadRecordedText(kBoundSuffixesValue, suffixes) != 0)
        return 0;
    const char* cursor = suffixes;
    while (NextSuffixKey(&cursor, suffix, sizeof suffix) > 0) {
        HKEY root = ScopeClassesKey(kScopeCurrentUser, suffix, key);
        if (ReadKeyPathValue(root, key, "", REG_SZ, type, kTextCapacity) == 0 &&
            lstrcmpA(type, kTextFileType) == 0 && RegDeleteKeyA(root, key) == ERROR_SUCCESS) {
            LogLine("Removed HKEY_CURRENT_USER\\%s", key);
            removed = 1;
        }
    }
    return removed;
}

void RestoreTextCommands(void)
{
    UninstallState& u = uninstallState;
    char command[kPathCapacity];
    int restored = 0;
    char key[kPathCapacity];
    for (const TextCommand& text : kTextCommands) {
        HKEY classes = ScopeClassesKey(u.scope, text.key, key);
        if (ReadKeyPathValue(classes, key, "", REG_SZ, command, kPathCapacity) != 0 ||
            !NamesOurEditor(command))
            continue;
        // A user's own commands go, and the machine's show again; the machine's are set back to
        // the system's, stored with the terminating zero, as the system stores its own
        // expandable texts.
        LONG status = u.scope == kScopeCurrentUser
                          ? DeleteEmptiedKeys(classes, key, kUserClassesLength)
                          : WriteKeyPathValue(classes, key, "", REG_EXPAND_SZ,
                                              text.defaultCommand,
                                              TextLength(text.defaultCommand) + 1);
        if (status == 0) {
            restored = 1;
        } else {
            JoinPath(command, kPathCapacity,
                     u.scope == kScopeAllUsers ? "HKEY_CLASSES_ROOT" : ScopeRootName(u.scope), key);
            AddLeftItem(command, IDS_REASON_FAILED, 1);
        }
    }
    if (u.scope == kScopeCurrentUser && UnbindUserSuffixes())
        restored = 1;
    if (restored)
        NotifyAssociationChange();
}
