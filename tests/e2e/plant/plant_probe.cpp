// A program without the setup program's library protection: it leaves "<its path>.ran", then
// uses shell32 and ole32 through ordinary imports, as the setup program once did.
#include <shlobj.h>

#include "leave_mark.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showState)
{
    LeaveMark(nullptr);
    char programs[MAX_PATH];
    CoInitialize(nullptr);
    SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs);
    CoUninitialize();
    return 0;
}
