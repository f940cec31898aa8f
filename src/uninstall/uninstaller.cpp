// The whole uninstallation, from the command line to the final report.
#include "uninstall/uninstaller.h"

#include "base/exit_statuses.h"
#include "base/canonical_folder.h"
#include "base/folder_text.h"
#include "base/install_scope.h"
#include "base/locked_blocks.h"
#include "base/product_names.h"
#include "base/run_log.h"
#include "base/run_mutex.h"
#include "base/run_record.h"
#include "base/script_copy.h"
#include "text/bounded_text.h"
#include "uninstall/file_removal.h"
#include "uninstall/held_folders.h"
#include "uninstall/purgax_ids.h"
#include "uninstall/quiet_switches.h"
#include "uninstall/removal_report.h"
#include "uninstall/shell_entries.h"
#include "uninstall/target_check.h"
#include "uninstall/uninstall_entry.h"
#include "uninstall/uninstall_state.h"

UninstallState uninstallState;

static void LoadNames(void)
{
    UninstallState& u = uninstallState;
    LoadStringA(u.instance, IDS_UNINSTALL_CAPTION, u.caption, kTextCapacity);
    LoadStringA(u.instance, IDS_FILES_SECTION, u.filesSection, kNameCapacity);
    LoadStringA(u.instance, IDS_GROUP_SECTION, u.groupSection, kNameCapacity);
    UINT length = GetWindowsDirectoryA(u.windowsDir, kPathCapacity);
    if (length == 0 || length >= static_cast<UINT>(kPathCapacity))
        u.windowsDir[0] = '\0';
}

// "Uninstall" followed by the application's name.
static void NameCaption(void)
{
    UninstallState& u = uninstallState;
    char format[kTextCapacity];
    char caption[kPathCapacity];
    LoadStringA(u.instance, IDS_CAPTION_FORMAT, format, kTextCapacity);
    wsprintfA(caption, format, u.applicationName);
    CopyBounded(u.caption, kTextCapacity, caption, TextLength(caption));
}

// Without a trusted script copy the files are not known: the whole folder goes only when the
// person agrees to it, in a question that names it. Returns the answer (IDNO when the folder
// is not there).
static int AskForWholeFolder(void)
{
    UninstallState& u = uninstallState;
    if (GetFileAttributesA(u.target) == INVALID_FILE_ATTRIBUTES)
        return IDNO;
    return ShowUninstallMessage(IDS_NO_SCRIPT_COPY, u.target,
                                MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
}

// What the installation may have put elsewhere cannot be told without the copy: the places
// are listed, so that the report never calls such a removal complete.
static void ListUnknownPlaces(void)
{
    UninstallState& u = uninstallState;
    ListUnknownShortcuts();
    // A user's own installation put nothing there.
    if (u.scope == kScopeAllUsers)
        AddLeftItem(u.windowsDir, IDS_REASON_UNKNOWN, 0);
}

// The scope of the installation: a user's own when this program runs from the target folder,
// where only such an installation puts it (an installation for all users puts it into the
// Windows directory).
static InstallScope FindScope(void)
{
    UninstallState& u = uninstallState;
    char own[kPathCapacity];
    char folder[kPathCapacity];
    DWORD length = GetModuleFileNameA(nullptr, own, kPathCapacity);
    char* name = length != 0 && length < kPathCapacity ? FindLastChar(own, '\\') : nullptr;
    if (name == nullptr)
        return kScopeAllUsers;
    *name = '\0';
    return CanonicalFolder(own, folder) == u.targetLength &&
                   CompareFolded(folder, u.target, u.targetLength) == 0
               ? kScopeCurrentUser
               : kScopeAllUsers;
}

// A user's own installation keeps this program in its folder, where a running program cannot
// be deleted but can be renamed: it moves into the user's temp folder before the files go, so
// that the folder can go too, and is deleted there when the system allows it (at most that one
// file is left, and the next uninstall replaces it).
static void MoveSelfOut(void)
{
    UninstallState& u = uninstallState;
    char own[kPathCapacity];
    char temp[kPathCapacity];
    DWORD length = GetModuleFileNameA(nullptr, own, kPathCapacity);
    DWORD tempLength = GetTempPathA(kPathCapacity, temp);
    if (length == 0 || length >= kPathCapacity || tempLength == 0 || tempLength >= kPathCapacity ||
        JoinPath(u.selfAside, kPathCapacity, temp, "Purgax-removed.tmp") < 0 ||
        !MoveFileExA(own, u.selfAside, MOVEFILE_REPLACE_EXISTING)) {
        u.selfAside[0] = '\0';
        return;
    }
    LogLine("Moved %s to %s", own, u.selfAside);
}

// Puts this program back into the folder when the entry stays for a later run.
static void MoveSelfBack(void)
{
    UninstallState& u = uninstallState;
    char own[kPathCapacity];
    DWORD length = GetModuleFileNameA(nullptr, own, kPathCapacity);
    if (u.selfAside[0] == '\0' || length == 0 || length >= kPathCapacity)
        return;
    if (MoveFileExA(u.selfAside, own, 0))
        u.selfAside[0] = '\0';
    else
        AddLeftItem(own, IDS_REASON_FAILED, 0);
}

// Purgax.exe cannot delete itself while it runs: it goes at the next restart, unless another
// installation still names it. The entries, not a shared count, tell who needs it.
static void ScheduleUninstallerRemoval(void)
{
    UninstallState& u = uninstallState;
    if (JoinPath(u.path, kPathCapacity, u.windowsDir, kUninstallerFileName) < 0 ||
        GetFileAttributesA(u.path) == INVALID_FILE_ATTRIBUTES || IsNamedByAnotherEntry(u.path))
        return;
    if (!MoveFileExA(u.path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        AddLeftItem(u.path, IDS_REASON_FAILED, 0);
}

// Removes what the installation made; the script copy, Purgax.exe and the uninstall entry
// only when nothing is left that a later run could still remove, so that it can run again.
// trusted tells whether the script copy is held; wholeFolder whether the person agreed to
// the removal of the whole folder without it.
static void RemoveInstallation(int trusted, int wholeFolder)
{
    UninstallState& u = uninstallState;
    if (u.scope == kScopeCurrentUser && (trusted || wholeFolder))
        MoveSelfOut();
    if (trusted) {
        RemoveScriptFiles();
        RemoveShortcuts();
    } else if (wholeFolder) {
        RemoveWholeTarget();
        ListUnknownPlaces();
    } else {
        AddLeftItem(u.target, IDS_REASON_KEPT, 1);
        ListUnknownPlaces();
    }
    RemoveAppPath();
    RestoreTextCommands();
    if (trusted) {
        if (u.copyListed && !u.retryNeeded && JoinPath(u.path, kPathCapacity, u.target,
                                                       kScriptCopyName) >= 0)
            RemoveOneFile(u.path);
        RemoveEmptyFolders();
    }
    ReleaseTargetChain();
    if (u.retryNeeded) {
        MoveSelfBack();
        return;
    }
    // Without the copy the entry's own uninstaller is the one the installation put there. A
    // user's own installation's copy has left its folder already: where the system allows a
    // running program's file to go, it goes now.
    if (u.scope == kScopeCurrentUser) {
        if (u.selfAside[0] != '\0')
            DeleteFileA(u.selfAside);
    } else if (u.uninstallerListed || !trusted) {
        ScheduleUninstallerRemoval();
    }
    RemoveUninstallEntry();
}

// Holds the target and the folders above it, unless the target is gone already. 0, or -1
// after saying that a link has taken the place of one of them (nothing is held then).
static int HoldTarget(void)
{
    UninstallState& u = uninstallState;
    if (GetFileAttributesA(u.target) == INVALID_FILE_ATTRIBUTES || HoldTargetChain() == 0)
        return 0;
    ShowUninstallMessage(IDS_LINKED_FOLDER, u.target, MB_ICONERROR);
    return -1;
}

// After the first question: the entry is read again (another program may have changed it
// while the question waited), the folders are held and the script copy read through them. A
// question about the whole folder lets them go while it waits, and holds them again after it:
// a link put in place of the target or a folder above it while a question waited is found,
// and none can be put there while the removal runs. Returns the exit status.
static int RemoveAfterQuestions(void)
{
    UninstallState& u = uninstallState;
    char entryPath[kPathCapacity];
    CopyBounded(entryPath, kPathCapacity, u.entryPath, TextLength(u.entryPath));
    if (FindUninstallEntry() != 0)
        return kNothingDoneStatus;
    if (lstrcmpiA(entryPath, u.entryPath) != 0) {
        ShowUninstallMessage(IDS_NO_ENTRY, u.target, MB_ICONINFORMATION);
        return kNothingDoneStatus;
    }
    if (HoldTarget() != 0)
        return kNothingDoneStatus;
    int loaded = LoadTrustedScriptCopy(ScopeRoot(u.scope), u.entryPath, u.target,
                                       &u.scriptMemory, &u.scriptText);
    if (loaded == kScriptInUse) {
        ReleaseTargetChain();
        ShowUninstallMessage(IDS_TRY_LATER, u.target, MB_ICONWARNING);
        return kNothingDoneStatus;
    }
    int wholeFolder = 0;
    if (loaded != 0) {
        ReleaseTargetChain();
        wholeFolder = AskForWholeFolder() == IDYES;
        if (HoldTarget() != 0)
            return kNothingDoneStatus;
    }
    FindNestedInstallations();
    RemoveInstallation(loaded == 0, wholeFolder);
    ReleaseLockedBlock(u.scriptMemory);
    return ShowFinalReport();
}

// Everything from the target to the final report; the exit status.
static int Uninstall(const char* arguments)
{
    UninstallState& u = uninstallState;
    // The target is read first: it tells the scope, and with it the run to wait for.
    if (AcceptTarget(arguments) != 0)
        return kNothingDoneStatus;
    u.scope = FindScope();
    LogLine("Scope: %s", u.scope == kScopeAllUsers ? "all users" : "current user");
    if (TakeRunMutex(u.scope == kScopeCurrentUser) != 0) {
        ShowUninstallMessage(IDS_ANOTHER_RUN, "", MB_ICONERROR);
        return kExitAnotherRun;
    }
    // A setup run that was killed (maybe one that had just written this very program) is
    // undone before anything is read or asked: the installation is then the one it replaced.
    UseRunRecordOf(u.scope);
    UndoKilledRun();
    if (FindUninstallEntry() != 0)
        return kNothingDoneStatus;
    NameCaption();
    // A quiet run was asked for by whoever started it: it confirms.
    if (ShowUninstallMessage(IDS_CONFIRM, u.applicationName, MB_YESNO | MB_ICONQUESTION,
                             IDYES) != IDYES)
        return kNothingDoneStatus;
    return RemoveAfterQuestions();
}

int RunUninstaller(HINSTANCE instance, const char* commandLine)
{
    UninstallState& u = uninstallState;
    char logPath[kPathCapacity];
    u.instance = instance;
    LoadNames();
    LogStart(commandLine);
    const char* arguments = ReadUninstallSwitches(commandLine, logPath);
    OpenRunLog(logPath, "Purgax");
    int status = Uninstall(arguments);
    LogLine("Exit status %d", status);
    CloseRunLog();
    return status;
}
