// Watches, from a second thread, the questions that code under test asks on the test's own thread, and answers them through the UI driver.
#include "window_watch.h"

namespace {

const DWORD kDismissPollMs = 50;

BOOL CALLBACK CloseDialog(HWND window, LPARAM)
{
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, DIALOG_CLASS) != 0)
        return TRUE;
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(window, WM_COMMAND, IDNO, 0);
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

}  // namespace

DrivenProgram WatchedThread(DWORD thread, const std::atomic<int>* stop)
{
    DrivenProgram tested = {};
    tested.process.dwProcessId = GetCurrentProcessId();
    tested.onlyThread = thread;
    tested.stop = stop;
    return tested;
}

HWND CreateTestWindow(const char* className, WNDPROC procedure, int width, int height)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    return CreateWindowA(className, className, WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                         windowClass.hInstance, nullptr);
}

void DismissDialogs(DWORD thread, const std::atomic<int>& stop)
{
    while (!stop) {
        EnumThreadWindows(thread, CloseDialog, 0);
        Sleep(kDismissPollMs);
    }
}

WatchThread::~WatchThread()
{
    stop = 1;
    MSG message;
    while (!finished) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_SENDMESSAGE);
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    thread.join();
}
