// The private messages of the installation sequence; each is posted to the main window with
// both parameters 0 and handled by MainWindowProc, one step per message. Start-up posts the
// first; after that each step returns the message of the step that follows, and
// MainWindowProc posts it, so that exactly one step message waits in the queue.
#pragma once

#include <windows.h>

enum : UINT {
    UM_START = WM_USER,       // from start-up: ask for the directory, open the progress dialog
    UM_NEXT_FILE = 0x0401,    // from the copy steps: take the next Files entry
    UM_COPY_CHUNK = 0x0402,   // from the copy steps: copy the next chunk of the open file
    UM_COPY_DONE = 0x0403,    // from the copy steps: close the progress dialog
    UM_SHORTCUTS = 0x0404,    // from the end of copying: group folder and shortcuts
    UM_REGISTER = 0x0405,     // from the shortcut step: registry entries and the question
    UM_FINISH = 0x0406,       // when the installation ends: the final report
};
