// The modal REGISTRATION dialog: the suffix list to bind to text files.
#include "dialogs/registration_dialog.h"

#include "base/message_boxes.h"
#include "base/run_log.h"
#include "base/setup_state.h"
#include "resources/resource_ids.h"
#include "text/bounded_text.h"

INT_PTR RunRegistrationDialog(void)
{
    SetupState& s = setupState;
    INT_PTR answer = IDYES;
    if (s.runMode == kRunWithWindows)
        answer = DialogBoxParamA(s.instance, "Registration", s.mainWindow,
                                 RegistrationDialogProc, 0);
    else if (s.registerSuffixes[0] != '\0')
        CopyBounded(s.suffixList, kTextCapacity, s.registerSuffixes,
                    TextLength(s.registerSuffixes));
    LogLine("File types: %s %s", answer == IDYES ? "Yes," : "No, keeping", s.suffixList);
    return answer;
}

static INT_PTR OnInitDialog(HWND dialog)
{
    CenterDialog(GetParent(dialog), dialog);
    SetWindowTextA(dialog, setupState.caption);
    SetEditField(dialog, IDC_REGISTRATION_EDIT, kTextCapacity, setupState.suffixList);
    return TRUE;
}

// Yes takes the edited list (at most 127 characters); No, Escape and the close box keep the
// list as it was.
INT_PTR CALLBACK RegistrationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDYES:
            GetDlgItemTextA(dialog, IDC_REGISTRATION_EDIT, setupState.suffixList, kTextCapacity);
            EndDialog(dialog, IDYES);
            return TRUE;
        case IDNO:
        case IDCANCEL:
            EndDialog(dialog, IDNO);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
