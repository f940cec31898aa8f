// A library planted under the name of a system library: whoever loads it gets "<its path>.ran".
#include "leave_mark.h"

// Built without the C runtime (whose own imports could be the very names it is planted as), so
// this is the library's entry point. It refuses to stay loaded, so a process that takes it
// fails early instead of running on with a library that lacks every export.
extern "C" BOOL WINAPI MarkerEntry(HINSTANCE module, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
        LeaveMark(module);
    return reason != DLL_PROCESS_ATTACH;
}
