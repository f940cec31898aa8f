// Formatting a text into a buffer, as wsprintfA does.
#include "base/format_text.h"

#include <windows.h>

int FormatText(char* buffer, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    int length = wvsprintfA(buffer, format, arguments);
    va_end(arguments);
    return length;
}
