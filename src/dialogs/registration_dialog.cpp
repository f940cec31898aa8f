// The modal REGISTRATION dialog: the suffix list to bind to text files.
#include "dialogs/registration_dialog.h"

#include "base/message_boxes.h"
#include "base/setup_state.h"
#include "resources/resource_ids.h"

static INT_PTR OnInitDialog(HWND dialog)
{
    CenterDialog(GetParent(dialog), dialog);
    SetWindowTextA(dialog, setupState.caption);
    SendDlgItemMessageA(dialog, IDC_REGISTRATION_EDIT, EM_LIMITTEXT, kTextCapacity, 0);
    SetDlgItemTextA(dialog, IDC_REGISTRATION_EDIT, setupState.suffixList);
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
