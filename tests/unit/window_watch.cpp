// Watches, from a second thread, the message boxes and dialogs that the code under test shows on the test's thread.
#ifdef _WIN32
#include "window_watch.h"

namespace {

const DWORD kDismissPollMs = 50;

struct DialogSearch {
    const WatchedDialog* watched;
    std::string* listing;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM parameter)
{
    DialogSearch* search = reinterpret_cast<DialogSearch*>(parameter);
    const WatchedDialog& watched = *search->watched;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId())
        return TRUE;
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    std::string title = StoredTitle(window);
    if (search->listing)
        *search->listing += std::string(" [") + className + " \"" + title + "\"]";
    if (lstrcmpA(className, "#32770") == 0 && IsWindowVisible(window)
        && (watched.title == nullptr || title == watched.title)
        && (watched.withControl == 0 || GetDlgItem(window, watched.withControl) != nullptr)
        && (watched.withoutControl == 0 || GetDlgItem(window, watched.withoutControl) == nullptr)
        && search->found == nullptr)
        search->found = window;
    return search->found == nullptr || search->listing != nullptr;
}

BOOL CALLBACK FindIconControl(HWND window, LPARAM parameter)
{
    if ((GetWindowLongA(window, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HICON*>(parameter) =
            reinterpret_cast<HICON>(SendMessageA(window, STM_GETICON, 0, 0));
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CloseDialog(HWND window, LPARAM)
{
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32770") != 0)
        return TRUE;
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(window, WM_COMMAND, IDNO, 0);
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

}  // namespace

WatchedDialog MessageBoxOf(DWORD thread, const char* title)
{
    return WatchedDialog{thread, title, 0xFFFF, 257};
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

std::string StoredTitle(HWND window)
{
    WCHAR wide[256] = L"";
    InternalGetWindowText(window, wide, 256);
    char title[512] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, title, sizeof title, nullptr, nullptr);
    return title;
}

std::string ItemText(HWND dialog, int id)
{
    char text[1024] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void ClickButton(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

HWND FindWatchedDialog(const WatchedDialog& watched, std::string* listing)
{
    DialogSearch search = {&watched, listing, nullptr};
    if (watched.thread != 0)
        EnumThreadWindows(watched.thread, MatchDialog, reinterpret_cast<LPARAM>(&search));
    else
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWatchedDialog(const WatchedDialog& watched, const std::atomic<int>& stop,
                          std::string* onScreen)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND found = FindWatchedDialog(watched);
        if (found != nullptr)
            return found;
        if (stop || GetTickCount() - start > kWatchMs)
            break;
        Sleep(kWatchPollMs);
    }
    onScreen->clear();
    FindWatchedDialog(watched, onScreen);
    return nullptr;
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
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kWatchPollMs, QS_SENDMESSAGE);
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    thread.join();
}

int AnswerMessageBox(const WatchedDialog& watched, int button, const std::atomic<int>& stop,
                     MessageBoxSeen* seen)
{
    HWND box = WaitForWatchedDialog(watched, stop, &seen->onScreen);
    if (box == nullptr)
        return -1;
    // The box's modal loop serves these requests on the watched thread.
    seen->found = 1;
    seen->caption = StoredTitle(box);
    seen->text = ItemText(box, 0xFFFF);
    EnumChildWindows(box, FindIconControl, reinterpret_cast<LPARAM>(&seen->icon));
    ClickButton(box, button);
    DWORD start = GetTickCount();
    while (IsWindow(box) && IsWindowVisible(box) && GetTickCount() - start < kWatchMs)
        Sleep(kWatchPollMs);
    return 0;
}
#endif
