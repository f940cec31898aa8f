// The files of the installation that a run replaces in its own folder, as its own copy of its script lists them.
#include "copy/previous_files.h"

#include "base/install_scope.h"
#include "base/folder_text.h"
#include "base/product_names.h"
#include "base/run_log.h"
#include "base/run_record.h"
#include "base/safe_paths.h"
#include "base/script_copy.h"
#include "base/setup_state.h"
#include "base/shared_files.h"
#include "script/files_value.h"
#include "script/script_scan.h"
#include "text/bounded_text.h"

void ReadPreviousScript(void)
{
    SetupState& s = setupState;
    char entryPath[kPathCapacity];
    HGLOBAL memory = 0;
    const char* text = 0;
    // The block stays with the process, as the script's own does, until it ends.
    if (s.previousDir[0] != '\0' && lstrcmpiA(s.previousDir, s.targetDir) == 0 &&
        JoinPath(entryPath, kPathCapacity, kUninstallKey, s.applicationName) >= 0 &&
        LoadTrustedScriptCopy(ScopeRoot(s.scope), entryPath, s.targetDir, &memory, &text) == 0) {
        s.previousScript = text;
        LogLine("Earlier script: %s\\%s", s.targetDir, kScriptCopyName);
    }
}

// Reads the next destination of text's Files section into entry (kTextCapacity bytes, the name
// ended), split as the copy splits it; *cursor -1 starts at the section's header. 0 at the end
// of the section, or without one.
static int NextDestination(const char* text, int* cursor, char* entry, int* toWindows)
{
    if (*cursor < 0 && (text == 0 || ScanForSection(text, setupState.filesSection, cursor) != 0))
        return 0;
    for (;;) {
        int keyLength = 0;
        int valueLength = 0;
        const char* value = 0;
        int length = ParseEntry(text + *cursor, &keyLength, &value, &valueLength);
        if (length == 0)
            return 0;
        *cursor += length;
        FilesValue split = SplitFilesValue(value, valueLength, entry, kTextCapacity);
        entry[split.nameLength] = '\0';
        // As the copy places it.
        *toWindows = UsesWindowsDirectory(setupState.scope, split.toWindows);
        if (split.nameLength != 0)
            return 1;
    }
}

// Nonzero when text's Files section names the destination.
static int NamesDestination(const char* text, int toWindows, const char* name)
{
    char entry[kTextCapacity];
    int cursor = -1;
    int windows = 0;
    while (NextDestination(text, &cursor, entry, &windows)) {
        if (windows == toWindows && lstrcmpiA(entry, name) == 0)
            return 1;
    }
    return 0;
}

int InstalledBefore(int toWindows, const char* name)
{
    return NamesDestination(setupState.previousScript, toWindows, name);
}

// Sets aside in the record each destination of the previous script that this script does not
// name. Like the uninstaller, nothing of the target's is taken outside its tree.
static void DropFiles(void)
{
    SetupState& s = setupState;
    char name[kTextCapacity];
    int cursor = -1;
    int toWindows = 0;
    while (NextDestination(s.previousScript, &cursor, name, &toWindows)) {
        int length = TextLength(name);
        if (NamesDestination(s.scriptText, toWindows, name) ||
            !(toWindows ? IsPlainName(name, length) : StaysInside(name, length)))
            continue;
        // A Windows-directory file is not checked against links (nobody else can write there)
        // and leaves no folder.
        PathCheck check = kNoCheck;
        int keptLength = 0;
        if (!toWindows) {
            check = kWholePath;
            keptLength = TextLength(s.targetDir);
        }
        char path[kPathCapacity];
        // The uninstaller stays while any entry names it; a Windows-directory file stays while
        // another installation counts it, or when it has no count (it was there before).
        if (toWindows ? lstrcmpiA(name, kUninstallerFileName) == 0 ||
                            JoinWindowsPath(path, name) != 0 ||
                            ReleaseSharedFile(path) != kSharedLast
                      : JoinPath(path, kPathCapacity, s.targetDir, name) < 0)
            continue;
        SetAsideResult aside = SetAsideRecorded(path, check, keptLength);
        if (aside == kAsideMoved && toWindows)
            WriteSharedCount(path, 0);
        if (aside != kAsideNothing)
            LogLine(aside == kAsideMoved ? "Removed %s" : "Not removed: %s", path);
    }
}

int FinishRunRecord(int undo)
{
    SetupState& s = setupState;
    // The same script again drops nothing: its walk, one pass over the new script per entry,
    // is spared.
    if (!undo && s.previousScript != 0 &&
        CompareCounted(s.previousScript, s.scriptText, TextLength(s.scriptText) + 1) != 0)
        DropFiles();
    return EndRunRecord(undo);
}
