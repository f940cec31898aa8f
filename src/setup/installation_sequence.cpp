// The main window procedure: the installation as a chain of private messages.
#include "setup/installation_sequence.h"

#include "background/background_bitmap.h"
#include "base/exit_statuses.h"
#include "base/message_boxes.h"
#include "base/private_messages.h"
#include "base/run_log.h"
#include "base/setup_state.h"
#include "copy/copy_engine.h"
#include "copy/previous_files.h"
#include "base/run_record.h"
#include "copy/source_checks.h"
#include "dialogs/directory_dialog.h"
#include "resources/resource_ids.h"
#include "system/registration.h"
#include "system/shortcuts.h"

namespace {

// The window messages below each return 1 when they are handled (the window procedure then
// returns 0), or 0 when the default handling follows.
int OnCreate(HWND window)
{
    // A run without any window shows no picture either.
    if (setupState.runMode != kRunWithoutWindow)
        LoadBackground(window);
    return 0;
}

// The closing steps of the window's life, also run after the final report: the program ends
// with exitStatus.
void EndProgram(void)
{
    DeleteBackground();
    PostQuitMessage(setupState.exitStatus);
}

int OnDestroy(void)
{
    // A window gone before the final report leaves nothing of the run behind: its files and
    // its registry values are undone, and the run ends as abandoned. A step still inside a box
    // then finds the run cancelled and changes nothing more.
    if (setupState.underWay) {
        setupState.cancelled = 1;
        setupState.exitStatus = kExitAbandoned;
    }
    // What cannot be undone now stays in the record for the next run: try again later.
    if (EndRunRecord(1) == kRecordUndoLeft)
        setupState.exitStatus = kExitAnotherRun;
    EndProgram();
    return 1;
}

// Closing the window once the copy has started acts as the progress dialog's Cancel: the copy
// stops at its next step, removes the file it cut short, the steps after it are skipped, and
// the run is undone before the abandonment report. Ending the program at once would leave
// that file half-written and report nothing.
int OnClose(void)
{
    if (setupState.underWay)
        setupState.cancelled = 1;
    return setupState.underWay;
}

int OnSize(LPARAM lParam)
{
    KeepClientSize(lParam);
    return 0;
}

int OnPaint(HWND window)
{
    if (setupState.backgroundBitmap == 0)
        return 0;
    PaintBackground(window);
    return 1;
}

int OnEraseBackground(void)
{
    // The tiles cover the whole client area: the class background is never painted under them.
    return setupState.backgroundBitmap != 0;
}

// UM_START: the question before an older version replaces a newer one, the directory dialog,
// then the copy; No or Cancel ends the program without a report.
UINT StartInstallation(HWND window)
{
    ReadPreviousInstallation();
    INT_PTR answer = IDC_DIRECTORY_CANCEL;
    ExitStatus status = kExitDowngrade;
    if (!DeclineDowngrade()) {
        answer = RunDirectoryDialog();
        status = answer == IDC_DIRECTORY_CANCEL ? kExitDirectoryCancelled : kExitInvalidSwitch;
    }
    if (answer != IDC_DIRECTORY_INSTALL) {
        if (status != kExitDowngrade)
            LogLine("Target directory: %s", answer == IDC_DIRECTORY_CANCEL ? "Cancel" : "refused");
        setupState.exitStatus = status;
        DestroyWindow(window);
        return 0;
    }
    LogLine("Target directory: %s", setupState.targetDir);
    ReadPreviousScript();
    return StartCopy();
}

// Shows report 7, 6 or 5 and sets the exit status that goes with it; then, when files in use
// are replaced at the next restart, one box that says so.
void ShowFinalReport(void)
{
    SetupState& s = setupState;
    // An abandoned run (Cancel in the progress dialog or in a destination's box, the window
    // closed) is undone before its report; otherwise the older files set aside go, and so do
    // those that only the replaced installation had.
    int undo = s.cancelled | s.abandoned;
    RecordEnd end = FinishRunRecord(undo);
    int restart = end == kRecordRestart;
    s.underWay = 0;
    UINT id = IDS_INSTALL_DONE;
    s.exitStatus = restart ? kExitRestartNeeded : kExitInstalled;
    if (s.damagedCount != 0) {
        // Undone above as a cancelled copy: nothing is installed.
        s.exitStatus = static_cast<ExitStatus>(EndMediumCheck());
        return;
    }
    if (s.cancelled != 0) {
        id = IDS_INSTALL_ABANDONED;
    } else if (s.errorCount != 0) {
        // Cancel in a destination's box reports this too: reinstalling is still the advice.
        id = IDS_INSTALL_PARTIAL;
        s.exitStatus = kExitPartial;
    }
    // An undo that could not finish (a file in use) is finished by the next run: try again
    // later.
    if (undo)
        s.exitStatus = end == kRecordUndoLeft ? kExitAnotherRun : kExitAbandoned;
    ShowFormattedMessage(s.instance, s.caption, s.mainWindow, id,
                         s.applicationName, MB_ICONINFORMATION);
    if (restart)
        ShowStringMessage(s.instance, s.caption, s.mainWindow,
                          IDS_RESTART_NEEDED, MB_ICONINFORMATION);
}

// UM_FINISH: the report, then the end of the program. The window is not destroyed here: it
// ends with the program.
UINT FinishInstallation(void)
{
    ShowFinalReport();
    EndProgram();
    return 0;
}

// UM_REGISTER: the registration always continues with the report at once. A window closed
// since the copy leaves it out.
UINT RegisterAndFinish(void)
{
    if (!setupState.cancelled)
        RegisterApplication();
    return FinishInstallation();
}

// UM_SHORTCUTS: without a readable programs folder the registration follows in this call.
UINT MakeShortcuts(void)
{
    if (setupState.cancelled)
        return UM_FINISH;
    if (CreateGroupShortcuts() == -1)
        return RegisterAndFinish();
    return UM_REGISTER;
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    int handled = 1;
    UINT next = 0;
    switch (message) {
    case WM_CREATE:      handled = OnCreate(window); break;
    case WM_DESTROY:     handled = OnDestroy(); break;
    case WM_CLOSE:       handled = OnClose(); break;
    case WM_SIZE:        handled = OnSize(lParam); break;
    case WM_PAINT:       handled = OnPaint(window); break;
    case WM_ERASEBKGND:  handled = OnEraseBackground(); break;
    // The installation: each step returns the step that follows it, posted here; 0 means none
    // (the window is going away, or the step went on with the next one itself).
    case UM_START:       next = StartInstallation(window); break;
    case UM_NEXT_FILE:   next = CopyNextEntry(); break;
    case UM_COPY_CHUNK:  next = CopyNextChunk(); break;
    case UM_COPY_DONE:   next = FinishCopy(); break;
    case UM_SHORTCUTS:   next = MakeShortcuts(); break;
    case UM_REGISTER:    next = RegisterAndFinish(); break;
    case UM_FINISH:      next = FinishInstallation(); break;
    default:             handled = 0; break;
    }
    if (next != 0)
        PostMessageA(window, next, 0, 0);
    return handled ? 0 : DefWindowProcA(window, message, wParam, lParam);
}
