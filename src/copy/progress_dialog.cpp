// The modeless progress dialog: the entry label, two bars, two percentages and Cancel.
#include "copy/progress_dialog.h"

#include "base/format_text.h"
#include "base/message_boxes.h"
#include "base/private_messages.h"
#include "base/setup_state.h"
#include "copy/progress_bands.h"
#include "resources/resource_ids.h"

// "100 %" and its terminator fit.
enum { kPercentCapacity = 8 };

// The four percentage displays; each command draws only the ones whose percentage changed.
// The progress command arrives once per chunk, and under Wine a text change (an immediate
// repaint) or a bar drawing costs about as much as copying the chunk, so unchanged displays are
// not drawn again. The controls are looked up once: under Wine each GetDlgItem and each
// window-slot access is a round trip to the server, several per small file.
enum ShownDisplay { kFileText, kOverallText, kFileBar, kOverallBar, kDisplayCount };

static const int kDisplayIds[kDisplayCount] = {IDC_COPY_FILE_TEXT, IDC_COPY_OVERALL_TEXT,
                                               IDC_COPY_FILE_BAR, IDC_COPY_OVERALL_BAR};

static void PaintProgressBar(HWND control, int percent);

// Shows percent on a display, as a text or a bar; 1 when it drew it, 0 when it already showed
// percent.
static int ShowPercent(ShownDisplay display, int percent)
{
    SetupState& s = setupState;
    if (s.progressShown[display] == percent)
        return 0;
    HWND control = s.progressDisplays[display];
    if (display >= kFileBar) {
        PaintProgressBar(control, percent);
    } else {
        char text[kPercentCapacity];
        FormatText(text, "%ld %%", (long)percent);
        SetWindowTextA(control, text);
    }
    s.progressShown[display] = percent;
    return 1;
}

static INT_PTR OnInitDialog(HWND dialog)
{
    SetupState& s = setupState;
    CenterDialog(GetParent(dialog), dialog);
    SetWindowTextA(dialog, s.caption);
    s.progressLabel = GetDlgItem(dialog, IDC_COPY_LABEL);
    for (int display = 0; display < kDisplayCount; display++) {
        s.progressDisplays[display] = GetDlgItem(dialog, kDisplayIds[display]);
        s.progressShown[display] = -1;
    }
    ShowPercent(kOverallText, 0);
    return TRUE;
}

// The dialog keeps no picture of its bars: once something has been painted over them, the
// next progress command draws them again even when their percentage has not changed.
static void ForgetShownBars(void)
{
    SetupState& s = setupState;
    s.progressShown[kFileBar] = -1;
    s.progressShown[kOverallBar] = -1;
}

static INT_PTR OnNewEntry(void)
{
    SetupState& s = setupState;
    FormatText(s.workBuffer, "%s : %s", s.entryValue, s.entryKey);
    SetWindowTextA(s.progressLabel, s.workBuffer);
    ShowPercent(kFileText, 0);
    return TRUE;
}

// The overall display moves only when a file's last data has been written.
static INT_PTR OnProgress(void)
{
    SetupState& s = setupState;
    int filePercent = PercentOf(s.fileCopied, s.fileSize);
    int drawn = ShowPercent(kFileBar, filePercent);
    drawn |= ShowPercent(kFileText, filePercent);
    if (filePercent == 100) {
        int overallPercent = PercentOf(s.copiedBytes, s.totalBytes);
        drawn |= ShowPercent(kOverallBar, overallPercent);
        drawn |= ShowPercent(kOverallText, overallPercent);
    }
    // Under Wine what a program draws reaches the screen in pieces, whenever the program happens
    // to look at its queue, and the copy keeps the queue full: the screen can show a bar without
    // the text drawn with it. Looking at the queue's state once both are drawn hands them over
    // together. On Windows it is a cheap query.
    if (drawn)
        GetQueueStatus(QS_ALLINPUT);
    return TRUE;
}

// Escape and the close box arrive as IDCANCEL, which is left unhandled: only the Cancel
// button (or Enter, its default) stops the copy, at the next chunk.
INT_PTR CALLBACK CopyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    SetupState& s = setupState;
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_PAINT:
        ForgetShownBars();
        return FALSE;  // painted by the dialog manager
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case CMD_COPY_NEW_ENTRY: return OnNewEntry();
        case CMD_COPY_PROGRESS:  return OnProgress();
        case IDC_COPY_CANCEL:
            s.cancelled = 1;
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

void DrawProgressBar(HWND dialog, int id, int percent)
{
    PaintProgressBar(GetDlgItem(dialog, id), percent);
}

// Without the control GetDC would hand out the whole screen, so a missing one paints nothing.
static void PaintProgressBar(HWND control, int percent)
{
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

