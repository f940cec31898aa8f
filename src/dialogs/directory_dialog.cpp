// The modal DIRECTORY dialog: proposes the target directory and completes what is typed.
#include "dialogs/directory_dialog.h"

#include "base/canonical_folder.h"
#include "base/format_text.h"
#include "base/install_scope.h"
#include "base/key_paths.h"
#include "base/message_boxes.h"
#include "base/refused_folders.h"
#include "base/setup_messages.h"
#include "base/setup_state.h"
#include "base/uninstall_entries.h"
#include "dialogs/target_path.h"
#include "resources/resource_ids.h"
#include "text/bounded_text.h"


static void ProposeTargetDirectory(void);

INT_PTR RunDirectoryDialog(void)
{
    SetupState& s = setupState;
    // Without anyone to ask, the proposal (or the command line's target) is the target, under
    // the same checks as a typed one; a refusal is only logged.
    if (s.runMode != kRunWithWindows) {
        ProposeTargetDirectory();
        UINT refusal = TakeTargetDirectory(s.targetDir);
        if (refusal == 0)
            return IDC_DIRECTORY_INSTALL;
        ShowSetupMessage(s.caption, NULL, refusal, s.targetDir, MB_OK | MB_ICONERROR);
        return kDirectoryRefused;
    }
    return DialogBoxParamA(s.instance, "Directory", s.mainWindow, DirectoryDialogProc, 0);
}

// The folder of the previous installation; else the scope's folder of programs (the program
// files directory, or the user's own) followed by the application's name; without it (or with
// an empty one, which would make the proposal relative to the current directory) targetDir
// keeps the script's Directory setting.
// A target from the command line stays.
static void ProposeTargetDirectory(void)
{
    SetupState& s = setupState;
    char value[kTextCapacity];
    if (s.targetGiven)
        return;
    if (s.previousDir[0] != '\0') {
        CopyBounded(s.targetDir, kTextCapacity, s.previousDir, TextLength(s.previousDir));
        return;
    }
    if (ReadProgramsBase(s.scope, value) != 0)
        return;
    JoinPath(s.targetDir, kTextCapacity, value, s.applicationName);
}

// The size line: totalBytes in units of 1024 bytes, rounded up.
static void ShowRequiredSize(HWND dialog)
{
    SetupState& s = setupState;
    long long kilobytes = s.totalBytes > 0 ? (s.totalBytes + 1023) / 1024 : 0;
    if (kilobytes > 0x7FFFFFFF)
        kilobytes = 0x7FFFFFFF;
    FormatText(s.workBuffer, s.sizeFormat, (long)kilobytes);
    SetDlgItemTextA(dialog, IDC_DIRECTORY_SIZE, s.workBuffer);
}

static INT_PTR OnInitDialog(HWND dialog)
{
    CenterDialog(GetParent(dialog), dialog);
    SetWindowTextA(dialog, setupState.caption);
    SendDlgItemMessageA(dialog, IDC_DIRECTORY_EDIT, EM_LIMITTEXT, kTextCapacity - 1, 0);
    SetDlgItemTextA(dialog, IDC_DIRECTORY_PROMPT, setupState.directoryPrompt);
    ProposeTargetDirectory();
    SetDlgItemTextA(dialog, IDC_DIRECTORY_EDIT, setupState.targetDir);
    ShowRequiredSize(dialog);
    return TRUE;
}

UINT TakeTargetDirectory(const char* path)
{
    char target[kPathCapacity];
    int length = CanonicalFolder(path, target);
    if (length < 0 || length >= kTextCapacity)
        return IDS_TARGET_TOO_LONG;
    if (IsRefusedFolder(target))
        return IDS_REFUSED_TARGET;
    if (IsOutsideScope(setupState.scope, target))
        return IDS_OUTSIDE_PROFILE;
    if (IsNearAnotherInstallation(target, setupState.applicationName))
        return IDS_NEAR_INSTALLATION;
    CopyBounded(setupState.targetDir, kTextCapacity, target, length);
    return 0;
}

static INT_PTR OnInstall(HWND dialog)
{
    char edited[kPathCapacity];
    char current[kPathCapacity];
    GetDlgItemTextA(dialog, IDC_DIRECTORY_EDIT, edited, kPathCapacity);
    // A failed or overlong query leaves the current directory unknown (empty); the canonical
    // form then completes the text against the process's own idea of it.
    DWORD length = GetCurrentDirectoryA(kPathCapacity, current);
    if (length == 0 || length >= kPathCapacity)
        current[0] = '\0';
    CompleteTargetPath(edited, current, DriveNumberOf(current), setupState.workBuffer,
                       kPathCapacity);
    UINT refusal = TakeTargetDirectory(setupState.workBuffer);
    if (refusal != 0) {
        ShowSetupMessage(setupState.caption, dialog, refusal, edited, MB_OK | MB_ICONERROR);
        return TRUE;
    }
    EndDialog(dialog, IDC_DIRECTORY_INSTALL);
    return TRUE;
}

INT_PTR CALLBACK DirectoryDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_DIRECTORY_INSTALL:
            return OnInstall(dialog);
        case IDC_DIRECTORY_CANCEL:
        case IDCANCEL:
            EndDialog(dialog, IDC_DIRECTORY_CANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
