// The size of an open file.
#include "base/file_size.h"

long long GetOpenFileSize(HANDLE file)
{
    LARGE_INTEGER zero;
    LARGE_INTEGER position;
    LARGE_INTEGER end;
    zero.QuadPart = 0;
    position.QuadPart = 0;
    end.QuadPart = 0;
    if (!SetFilePointerEx(file, zero, &position, FILE_CURRENT))
        return -1;
    BOOL atEnd = SetFilePointerEx(file, zero, &end, FILE_END);
    SetFilePointerEx(file, position, NULL, FILE_BEGIN);
    return atEnd ? end.QuadPart : -1;
}
