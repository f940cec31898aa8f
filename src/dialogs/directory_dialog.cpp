// The modal DIRECTORY dialog: proposes the target directory and completes what is typed.
#include "dialogs/directory_dialog.h"

#include "base/canonical_folder.h"
#include "base/format_text.h"
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
static int ConfirmExistingFolder(HWND owner);

INT_PTR RunDirectoryDialog(void)
{
    SetupState& s = setupState;
    // Without anyone to ask, the proposal (or the command line's target) is the target, under
    // the same checks as a typed one; a refusal is only logged.
    if (s.runMode != kRunWithWindows) {
        ProposeTargetDirectory();
        UINT refusal = TakeTargetDirectory(s.targetDir);
        if (refusal != 0)
            ShowRefusal(s.className, NULL, refusal, s.targetDir);
        return refusal == 0 && ConfirmExistingFolder(NULL) ? IDC_DIRECTORY_INSTALL
                                                           : kDirectoryRefused;
    }
    return DialogBoxParamA(s.instance, "Directory", s.mainWindow, DirectoryDialogProc, 0);
}

// The folder of the previous installation; else the program files directory followed by the
// application's name; without the registry value (or with an empty one, which would make the
// proposal relative to the current directory) targetDir keeps the script's Directory setting.
// A target from the command line stays.
static void ProposeTargetDirectory(void)
{
    SetupState& s = setupState;
    char value[kTextCapacity];
    if (s.targetGiven)
        return;
    if (s.previousDir[0] != '\0') {
        CopyText(s.targetDir, kTextCapacity, s.previousDir);
        return;
    }
    // The first of the program folder values: ProgramFilesDir.
    if (ReadKeyPathValue(HKEY_LOCAL_MACHINE, kCurrentVersionKey, kProgramFolderValues, REG_SZ,
                         value, kTextCapacity) != 0 ||
        value[0] == '\0')
        return;
    JoinPath(s.targetDir, kTextCapacity, value, s.applicationName);
}

// The size line: totalBytes in units of 1024 bytes, rounded up.
static void ShowRequiredSize(HWND dialog)
{
    SetupState& s = setupState;
    FormatText(s.workBuffer, s.sizeFormat, static_cast<long>(TotalKilobytes(0x7FFFFFFF)));
    SetDialogText(dialog, IDC_DIRECTORY_SIZE, s.workBuffer);
}

static INT_PTR OnInitDialog(HWND dialog)
{
    CenterDialog(GetParent(dialog), dialog);
    SetWindowTextA(dialog, setupState.caption);
    SetDialogText(dialog, IDC_DIRECTORY_PROMPT, setupState.directoryPrompt);
    ProposeTargetDirectory();
    // The field takes a whole path; a completed target longer than the state holds is
    // refused with a message when Install is pressed, never cut.
    SetEditField(dialog, IDC_DIRECTORY_EDIT, kPathCapacity, setupState.targetDir);
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
    if (IsNearAnotherInstallation(target, setupState.applicationName))
        return IDS_NEAR_INSTALLATION;
    CopyBounded(setupState.targetDir, kTextCapacity, target, length);
    return 0;
}

// Whether the target may become a folder that only administrators can change: one that is
// missing, empty, or the earlier installation of this application may; for one that holds
// other files the person is asked first (No by default), who would lose the right to change
// them. A quiet run goes on into a folder it was given, and logs it; not into one it proposed.
static int ConfirmExistingFolder(HWND owner)
{
    SetupState& s = setupState;
    char pattern[kPathCapacity];
    if (lstrcmpiA(s.previousDir, s.targetDir) == 0 ||
        JoinPath(pattern, kPathCapacity, s.targetDir, "*") < 0)
        return 1;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 1;
    int holds = 0;
    do {
        const char* name = found.cFileName;
        holds = name[0] != '.' || (name[1] != '\0' && (name[1] != '.' || name[2] != '\0'));
    } while (!holds && FindNextFileA(search, &found));
    FindClose(search);
    return !holds || ShowFormattedMessage(s.instance, s.caption, owner, IDS_FOLDER_NOT_EMPTY,
                                          s.targetDir, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2,
                                          s.targetGiven ? IDYES : IDNO) == IDYES;
}

static INT_PTR OnInstall(HWND dialog)
{
    char edited[kPathCapacity];
    char current[kPathCapacity];
    GetDlgItemTextA(dialog, IDC_DIRECTORY_EDIT, edited, kPathCapacity);
    // A failed or overlong query leaves the current directory unknown (empty); the canonical
    // form then completes the text against the process's own idea of it. The full path of "."
    // is the current directory, and its call is imported already.
    DWORD length = GetFullPathNameA(".", kPathCapacity, current, nullptr);
    if (length == 0 || length >= kPathCapacity)
        current[0] = '\0';
    CompleteTargetPath(edited, current, DriveNumberOf(current), setupState.workBuffer,
                       kPathCapacity);
    UINT refusal = TakeTargetDirectory(setupState.workBuffer);
    if (refusal != 0) {
        ShowRefusal(setupState.className, dialog, refusal, edited);
        return TRUE;
    }
    if (ConfirmExistingFolder(dialog))
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
