// Message boxes whose texts come from the string table, and dialog placement.
#include "base/message_boxes.h"

#include "base/centering.h"
#include "text/bounded_text.h"

enum {
    kFormatCapacity = 256,    // a message's format as loaded from the string table
    kMessageCapacity = 512,   // the formatted text of a message box
};

int ShowStringMessage(HINSTANCE instance, const char* caption, HWND owner, UINT id, UINT type)
{
    char text[kMessageCapacity];
    text[0] = '\0';
    LoadStringA(instance, id, text, kMessageCapacity);
    return MessageBoxA(owner, text, caption, type);
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
                         const char* argument, UINT type)
{
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
    CopyBounded(bounded, room + 1, argument, TextLength(argument));
    wsprintfA(text, format, bounded);
    return MessageBoxA(owner, text, caption, type);
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
