// The modeless progress dialog: the entry label, two bars, two percentages and Cancel.
#include "copy/progress_dialog.h"

#include "copy/progress_bands.h"
#include "resources/resource_ids.h"
#include "setup/message_boxes.h"
#include "setup/private_messages.h"
#include "setup/setup_state.h"

// "100 %" and its terminator fit.
enum { kPercentCapacity = 8 };

// What the dialog shows is remembered in its DWLP_USER slot, one byte per display: 0 for
// nothing drawn yet, else the percentage + 1. The progress command arrives once per chunk,
// and under Wine a text change (an immediate repaint) or a bar drawing costs about as much
// as copying the chunk, so unchanged displays are not drawn again.
enum ShownDisplay { kFileText, kOverallText, kFileBar, kOverallBar };

static int ShownPercent(HWND dialog, int display)
{
    LONG_PTR shown = GetWindowLongPtrA(dialog, DWLP_USER);
    return (int)((shown >> (8 * display)) & 0xFF) - 1;
}

static void RememberShown(HWND dialog, int display, int percent)
{
    LONG_PTR shown = GetWindowLongPtrA(dialog, DWLP_USER);
    shown &= ~((LONG_PTR)0xFF << (8 * display));
    shown |= (LONG_PTR)((percent + 1) & 0xFF) << (8 * display);
    SetWindowLongPtrA(dialog, DWLP_USER, shown);
}

static void ShowPercentText(HWND dialog, int id, int display, int percent)
{
    if (ShownPercent(dialog, display) == percent)
        return;
    char text[kPercentCapacity];
    wsprintfA(text, "%ld %%", (long)percent);
    SetDlgItemTextA(dialog, id, text);
    RememberShown(dialog, display, percent);
}

static void ShowPercentBar(HWND dialog, int id, int display, int percent)
{
    if (ShownPercent(dialog, display) == percent)
        return;
    DrawProgressBar(dialog, id, percent);
    RememberShown(dialog, display, percent);
}

// The dialog keeps no picture of its bars: once something has been painted over them, the
// next progress command draws them again even when their percentage has not changed.
static void ForgetShownBars(HWND dialog)
{
    RememberShown(dialog, kFileBar, -1);
    RememberShown(dialog, kOverallBar, -1);
}

static INT_PTR OnInitDialog(HWND dialog)
{
    CenterDialog(GetParent(dialog), dialog);
    SetWindowTextA(dialog, setupState.caption);
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
    ShowPercentText(dialog, IDC_COPY_OVERALL_TEXT, kOverallText, 0);
    return TRUE;
}

static INT_PTR OnNewEntry(HWND dialog)
{
    wsprintfA(setupState.workBuffer, "%s : %s", setupState.entryValue, setupState.entryKey);
    SetDlgItemTextA(dialog, IDC_COPY_LABEL, setupState.workBuffer);
    ShowPercentText(dialog, IDC_COPY_FILE_TEXT, kFileText, 0);
    return TRUE;
}

// The overall display moves only when a file's last data has been written.
static INT_PTR OnProgress(HWND dialog)
{
    int filePercent = PercentOf(setupState.fileCopied, setupState.fileSize);
    ShowPercentBar(dialog, IDC_COPY_FILE_BAR, kFileBar, filePercent);
    ShowPercentText(dialog, IDC_COPY_FILE_TEXT, kFileText, filePercent);
    if (filePercent == 100) {
        int overallPercent = PercentOf(setupState.copiedBytes, setupState.totalBytes);
        ShowPercentBar(dialog, IDC_COPY_OVERALL_BAR, kOverallBar, overallPercent);
        ShowPercentText(dialog, IDC_COPY_OVERALL_TEXT, kOverallText, overallPercent);
    }
    return TRUE;
}

// Escape and the close box arrive as IDCANCEL, which is left unhandled: only the Cancel
// button (or Enter, its default) stops the copy, at the next chunk.
INT_PTR CALLBACK CopyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_PAINT:
        ForgetShownBars(dialog);
        return FALSE;  // painted by the dialog manager
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case CMD_COPY_NEW_ENTRY: return OnNewEntry(dialog);
        case CMD_COPY_PROGRESS:  return OnProgress(dialog);
        case IDC_COPY_CANCEL:
            setupState.cancelled = 1;
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

void DrawProgressBar(HWND dialog, int id, int percent)
{
    HWND control = GetDlgItem(dialog, id);
    // Without the control GetDC would hand out the whole screen.
    if (control == 0)
        return;
    RECT client;
    GetClientRect(control, &client);
    BarBands bands = ComputeBarBands(client.right, percent);
    int height = client.bottom;
    HDC dc = GetDC(control);
    if (dc != 0) {
        HGDIOBJ oldBrush = SelectObject(dc, setupState.barBrush);
        if (bands.doneWidth > 0)
            PatBlt(dc, 0, 0, bands.doneWidth, height, PATCOPY);
        if (bands.blackWidth > 0)
            PatBlt(dc, bands.doneWidth, 0, 1, height, BLACKNESS);
        SelectObject(dc, setupState.grayBrush);
        if (bands.grayWidth > 0)
            PatBlt(dc, bands.doneWidth + 1, 0, bands.grayWidth, height, PATCOPY);
        if (bands.whiteWidth > 0)
            PatBlt(dc, bands.whiteStart, 0, bands.whiteWidth, height, WHITENESS);
        SelectObject(dc, oldBrush);
        ReleaseDC(control, dc);
    }
}

void FinishCopy(void)
{
    if (setupState.progressDialog != 0)
        DestroyWindow(setupState.progressDialog);
    setupState.progressDialog = 0;
    PostMessageA(setupState.mainWindow, setupState.cancelled ? UM_FINISH : UM_SHORTCUTS, 0, 0);
}
