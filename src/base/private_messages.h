// The private messages of the installation sequence; each is posted to the main window with
// both parameters 0 and handled by MainWindowProc, one step per message.
#pragma once

#include <windows.h>

enum : UINT {
    UM_START = WM_USER,       // posted by start-up once the main window shows: ask for the directory, open the progress dialog
    UM_NEXT_FILE = 0x0401,    // posted by the copy engine: take the next Files entry
    UM_COPY_CHUNK = 0x0402,   // posted by the copy engine: copy the next chunk of the open file
    UM_COPY_DONE = 0x0403,    // posted by the copy engine: close the progress dialog
    UM_SHORTCUTS = 0x0404,    // posted after copying: group folder and shortcuts
    UM_REGISTER = 0x0405,     // posted by the shortcut step: registry entries and the question
    UM_FINISH = 0x0406,       // posted when the installation ends: the final report
};
