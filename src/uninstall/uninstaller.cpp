// The whole uninstallation, from the command line to the final report.
#include "uninstall/uninstaller.h"

#include "base/exit_statuses.h"
#include "base/folder_text.h"
#include "base/key_paths.h"
#include "base/locked_blocks.h"
#include "base/product_names.h"
#include "base/run_log.h"
#include "base/run_mutex.h"
#include "base/run_record.h"
#include "base/script_copy.h"
#include "text/bounded_text.h"
#include "text/uninstall_command.h"
#include "uninstall/file_removal.h"
#include "uninstall/held_folders.h"
#include "uninstall/purgax_ids.h"
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
    CopyText(u.caption, kTextCapacity, caption);
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
    AddLeftItem(u.windowsDir, IDS_REASON_UNKNOWN, 0);
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

// The entry's value that says the shared counts are down (see countsReleased).
static const char kCountsReleasedValue[] = "CountsReleased";

// Removes what the installation made; the script copy, the shared counts that others hold,
// Purgax.exe and the uninstall entry only when nothing is left that a later run could still
// remove, so that it can run again. trusted tells whether the script copy is held;
// wholeFolder whether the person agreed to the removal of the whole folder without it.
static void RemoveInstallation(int trusted, int wholeFolder)
{
    UninstallState& u = uninstallState;
    if (trusted) {
        RemoveScriptFiles();
        RemoveShortcuts();
    } else if (u.countsReleased) {
        // A run killed after it had removed the copy: only the folder, Purgax.exe and the
        // entry were left.
    } else if (wholeFolder) {
        RemoveWholeTarget();
        ListUnknownPlaces();
    } else {
        AddLeftItem(u.target, IDS_REASON_KEPT, 1);
        ListUnknownPlaces();
    }
    // While the editor stays, so does its registration.
    if (JoinPath(u.path, kPathCapacity, u.target, kEditorFileName) >= 0 &&
        GetFileAttributesA(u.path) == INVALID_FILE_ATTRIBUTES) {
        RemoveAppPath();
        RestoreTextCommands();
    }
    if (trusted)
        RemoveEmptyFolders();
    ReleaseTargetChain();
    if (u.retryNeeded)
        return;
    if (trusted && !u.countsReleased) {
        u.countsDue = 1;
        RemoveScriptFiles();
        // Said in the entry before the copy goes: a run killed from here on is finished by the
        // next one without the copy, and no count goes down twice.
        static const DWORD kReleased = 1;
        WriteKeyPathValue(HKEY_LOCAL_MACHINE, u.entryPath, kCountsReleasedValue, REG_DWORD,
                          &kReleased, sizeof kReleased);
    }
    // The whole folder's removal took the target already.
    if (trusted || u.countsReleased)
        RemoveCopyAndTarget();
    // Without the copy the entry's own uninstaller is the one the installation put there.
    if (u.uninstallerListed || !trusted)
        ScheduleUninstallerRemoval();
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
    CopyText(entryPath, kPathCapacity, u.entryPath);
    if (FindUninstallEntry() != 0)
        return kNothingDoneStatus;
    if (lstrcmpiA(entryPath, u.entryPath) != 0) {
        ShowUninstallMessage(IDS_NO_ENTRY, u.target, MB_ICONINFORMATION);
        return kNothingDoneStatus;
    }
    if (HoldTarget() != 0)
        return kNothingDoneStatus;
    DWORD released = 0;
    u.countsReleased = ReadKeyPathValue(HKEY_LOCAL_MACHINE, u.entryPath, kCountsReleasedValue,
                                        REG_DWORD, reinterpret_cast<char*>(&released),
                                        sizeof released) == 0;
    int loaded = LoadTrustedScriptCopy(u.entryPath, u.target, &u.scriptMemory, &u.scriptText);
    if (loaded == kScriptInUse) {
        ReleaseTargetChain();
        ShowUninstallMessage(IDS_TRY_LATER, u.target, MB_ICONWARNING);
        return kNothingDoneStatus;
    }
    int wholeFolder = 0;
    if (loaded != 0 && !u.countsReleased) {
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
static int Uninstall(const UninstallCommand& command)
{
    UninstallState& u = uninstallState;
    char lockPath[kPathCapacity];
    RunLock lock = TakeRunMutex(kRunForAllUsers, lockPath);
    if (lock != kRunLockTaken) {
        ShowUninstallMessage(lock == kRunLockHeld ? IDS_ANOTHER_RUN : IDS_NO_RUN_LOCK, lockPath,
                             MB_ICONERROR);
        return lock == kRunLockHeld ? static_cast<int>(kExitAnotherRun) : kNothingDoneStatus;
    }
    // A setup run that was killed (maybe one that had just written this very program) is
    // undone before anything is read or asked: the installation is then the one it replaced.
    if (UndoKilledRun() == kRecordUndoLeft) {
        ShowUninstallMessage(IDS_UNDO_LEFT, "", MB_ICONERROR);
        return kExitAnotherRun;
    }
    if (AcceptTarget(command.target, command.targetLength) != 0 || FindUninstallEntry() != 0)
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
    // /S anywhere on the line: no box is shown, whatever else the line holds.
    UninstallCommand command;
    ReadUninstallCommand(commandLine, &command);
    runLog.quiet = command.quiet;
    logPath[0] = '\0';
    if (command.log != nullptr && command.logLength < kPathCapacity)
        CopyBounded(logPath, kPathCapacity, command.log, command.logLength);
    OpenRunLog(logPath, "Purgax");
    int status = Uninstall(command);
    LogLine("Exit status %d", status);
    CloseRunLog();
    return status;
}
