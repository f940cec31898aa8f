// Message boxes whose texts come from the string table, and dialog placement.
#include "base/message_boxes.h"

#include "base/centering.h"
#include "base/format_text.h"
#include "base/run_log.h"
#include "text/bounded_text.h"

enum {
    kFormatCapacity = 256,    // a message's format as loaded from the string table
    kMessageCapacity = 512,   // the formatted text of a message box
};

// The buttons' names by result, IDOK (1) to IDNO (7); kept in place rather than pointed to,
// so that the shipped program needs no relocation for them.
static const char kAnswerNames[][8] = {"none", "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes",
                                       "No"};

int AskOrAnswer(HWND owner, const char* text, const char* caption, UINT type, int silentAnswer)
{
    // Taken first: the failure that a box reports is the last thing that failed.
    DWORD error = (type & MB_ICONMASK) == MB_ICONERROR ? GetLastError() : 0;
    int quiet = runLog.quiet;
    int answer = silentAnswer;
    if (answer == kAnswerByType)
        answer = (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
    if (!quiet)
        answer = MessageBoxA(owner, text, caption, type);
    LogLine("%s: %s", caption, text);
    if (error != 0)
        LogLine("  Windows error %lu", error);
    LogLine("  Answer: %s%s", kAnswerNames[answer >= 0 && answer <= IDNO ? answer : 0],
            quiet ? " (silent default)" : "");
    return answer;
}

int ShowStringMessage(HINSTANCE instance, const char* caption, HWND owner, UINT id, UINT type,
                      int silentAnswer)
{
    char text[kMessageCapacity];
    text[0] = '\0';
    LoadStringA(instance, id, text, kMessageCapacity);
    return AskOrAnswer(owner, text, caption, type, silentAnswer);
}

// Number of "%s" in a format; each is replaced by the whole argument.
static int CountTextConversions(const char* format)
{
    int count = 0;
    for (int i = 0; format[i] != '\0'; i++) {
        if (format[i] == '%' && format[i + 1] == 's') {
            count++;
            i++;
        }
    }
    return count;
}

int ShowFormattedMessage(HINSTANCE instance, const char* caption, HWND owner, UINT id,
                         const char* argument, UINT type, int silentAnswer)
{
    DWORD error = GetLastError();
    char format[kFormatCapacity];
    char bounded[kMessageCapacity];
    char text[kMessageCapacity];
    format[0] = '\0';
    LoadStringA(instance, id, format, kFormatCapacity);
    if (argument == 0)
        argument = "";
    // wsprintfA writes up to 1024 bytes: the argument is cut so that the formatted text
    // always fits its buffer, whatever the caller passes.
    int conversions = CountTextConversions(format);
    int room = kMessageCapacity - 1 - TextLength(format);
    if (conversions > 1)
        room /= conversions;
    CopyText(bounded, room + 1, argument);
    FormatText(text, format, bounded);
    SetLastError(error);
    return AskOrAnswer(owner, text, caption, type, silentAnswer);
}

void CenterDialog(HWND parent, HWND dialog)
{
    // Zeroed first: a rectangle that cannot be read leaves a defined value.
    RECT parentRect = {0, 0, 0, 0};
    RECT dialogRect = {0, 0, 0, 0};
    GetWindowRect(parent, &parentRect);
    GetWindowRect(dialog, &dialogRect);
    int width = dialogRect.right - dialogRect.left;
    int height = dialogRect.bottom - dialogRect.top;
    int x = CenteredOrigin(parentRect.left, parentRect.right, width,
                           GetSystemMetrics(SM_CXSCREEN));
    int y = CenteredOrigin(parentRect.top, parentRect.bottom, height,
                           GetSystemMetrics(SM_CYSCREEN));
    MoveWindow(dialog, x, y, width, height, TRUE);
}

// Through the control's window: the programs then import one call for a text rather than two.
void SetDialogText(HWND dialog, int id, const char* text)
{
    SetWindowTextA(GetDlgItem(dialog, id), text);
}

void SetEditField(HWND dialog, int id, int capacity, const char* text)
{
    HWND field = GetDlgItem(dialog, id);
    SendMessageA(field, EM_LIMITTEXT, capacity, 0);
    SetWindowTextA(field, text);
}
