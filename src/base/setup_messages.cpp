// The setup program's message boxes: the string table's texts of its own module.
#include "base/setup_messages.h"

#include "base/message_boxes.h"
#include "base/setup_state.h"

int ShowSetupMessage(const char* caption, HWND owner, UINT id, const char* argument, UINT type)
{
    return ShowFormattedMessage(setupState.instance, caption, owner, id, argument, type);
}

void ShowRefusal(const char* caption, HWND owner, UINT id, const char* argument)
{
    SetLastError(0);
    ShowSetupMessage(caption, owner, id, argument, MB_OK | MB_ICONERROR);
}
