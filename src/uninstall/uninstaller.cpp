// The whole uninstallation, from the command line to the final report.
#include "uninstall/uninstaller.h"

#include "base/run_log.h"
#include "text/bounded_text.h"
#include "uninstall/file_removal.h"
#include "uninstall/purgax_ids.h"
#include "uninstall/quiet_switches.h"
#include "uninstall/removal_report.h"
#include "uninstall/script_copy.h"
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
// person agrees to it, in a question that names it.
static void RemoveUnknownFiles(void)
{
    UninstallState& u = uninstallState;
    DWORD attributes = GetFileAttributesA(u.target);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        int answer = ShowUninstallMessage(IDS_NO_SCRIPT_COPY, u.target,
                                          MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
        if (answer == IDYES)
            RemoveWholeTarget();
        else
            AddLeftItem(u.target, IDS_REASON_KEPT, 1);
    }
    ListUnknownShortcuts();
}

// Purgax.exe cannot delete itself while it runs: it goes at the next restart, unless another
// installation still needs it.
static void ScheduleUninstallerRemoval(void)
{
    UninstallState& u = uninstallState;
    if (JoinPath(u.path, kPathCapacity, u.windowsDir, "Purgax.exe") < 0 ||
        GetFileAttributesA(u.path) == INVALID_FILE_ATTRIBUTES || IsNamedByAnotherEntry(u.path))
        return;
    if (!MoveFileExA(u.path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        AddLeftItem(u.path, IDS_REASON_FAILED, 0);
}

// Removes what the installation made; the script copy, Purgax.exe and the uninstall entry
// only when nothing is left that a later run could still remove, so that it can run again.
static void RemoveInstallation(void)
{
    UninstallState& u = uninstallState;
    int trusted = LoadTrustedScript() == 0;
    if (trusted) {
        RemoveScriptFiles();
        RemoveShortcuts();
    } else {
        RemoveUnknownFiles();
    }
    RemoveAppPath();
    RestoreTextCommands();
    if (trusted) {
        if (u.copyListed && !u.retryNeeded && JoinPath(u.path, kPathCapacity, u.target,
                                                       kScriptCopyName) >= 0)
            RemoveOneFile(u.path);
        RemoveEmptyFolders();
    }
    ReleaseTrustedScript();
    if (u.retryNeeded)
        return;
    if (u.uninstallerListed)
        ScheduleUninstallerRemoval();
    RemoveUninstallEntry();
}

// Everything from the target to the final report; the exit status.
static int Uninstall(const char* arguments)
{
    UninstallState& u = uninstallState;
    if (AcceptTarget(arguments) != 0)
        return kNothingDoneStatus;
    if (FindUninstallEntry() != 0) {
        ShowUninstallMessage(IDS_NO_ENTRY, u.target, MB_ICONINFORMATION);
        return kNothingDoneStatus;
    }
    NameCaption();
    // A quiet run was asked for by whoever started it: it confirms.
    if (ShowUninstallMessage(IDS_CONFIRM, u.applicationName, MB_YESNO | MB_ICONQUESTION,
                             IDYES) != IDYES)
        return kNothingDoneStatus;
    RemoveInstallation();
    return ShowFinalReport();
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
