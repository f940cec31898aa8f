// The files of the installation that a run replaces in its own folder, as its own copy of its script lists them.
#include "copy/previous_files.h"

#include "base/key_paths.h"
#include "base/locked_blocks.h"
#include "base/run_log.h"
#include "base/safe_paths.h"
#include "base/script_hash.h"
#include "base/setup_state.h"
#include "base/uninstall_entries.h"
#include "copy/copy_engine.h"
#include "copy/installed_files.h"
#include "copy/run_record.h"
#include "script/files_value.h"
#include "script/script_reader.h"
#include "text/bounded_text.h"

void ReadPreviousScript(void)
{
    SetupState& s = setupState;
    char path[kPathCapacity];
    char recorded[kHashTextCapacity];
    char found[kHashTextCapacity];
    HGLOBAL memory = 0;
    const char* text = 0;
    if (s.previousDir[0] == '\0' || lstrcmpiA(s.previousDir, s.targetDir) != 0 ||
        JoinPath(path, kPathCapacity, kUninstallKey, s.applicationName) < 0 ||
        ReadKeyPathValue(HKEY_LOCAL_MACHINE, path, kScriptHashValue, REG_SZ, recorded,
                         kHashTextCapacity) != 0 ||
        JoinPath(path, kPathCapacity, s.targetDir, kScriptCopyName) < 0 ||
        LoadScript(s.instance, 0, 0, path, &memory, &text) != 0)
        return;
    // Whatever the copy is (even a link to elsewhere), only the very text that the entry's
    // hash vouches for is taken. The hash, like the reader, ends at the first zero byte; the
    // terminators are compared too, so that only a whole recorded hash matches.
    if (HashText(text, TextLength(text), found) == 0 &&
        CompareCounted(found, recorded, kHashTextCapacity) == 0) {
        s.previousScript = text;
        LogLine("Earlier script: %s", path);
    } else {
        ReleaseLockedBlock(memory);
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
        *toWindows = split.toWindows;
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
        if (NamesDestination(s.scriptText, toWindows, name) || LeavesTarget(name))
            continue;
        // A Windows-directory file is not checked against links (nobody else can write there)
        // and leaves no folder.
        PathCheck check = kNoCheck;
        int keptLength = 0;
        if (!toWindows) {
            check = kWholePath;
            keptLength = TextLength(s.targetDir);
        }
        if (toWindows ? ReleaseSharedCount(name) != 0
                      : JoinPath(s.destPath, kPathCapacity, s.targetDir, name) < 0)
            continue;
        SetAsideResult aside = SetAsideRecorded(s.destPath, check, keptLength);
        if (aside == kAsideMoved && toWindows)
            ForgetSharedCount();
        if (aside != kAsideNothing)
            LogLine(aside == kAsideMoved ? "Removed %s" : "Not removed: %s", s.destPath);
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
