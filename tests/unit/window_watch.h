// Watches, from a second thread, the message boxes and dialogs that the code under test shows on the test's thread: finds them, reads them and answers them.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

// Bound of one wait of a watch and its polling interval, in milliseconds.
enum : DWORD { kWatchMs = 10000, kWatchPollMs = 10 };

// The dialogs ("#32770") a watch looks for: visible, of thread (0: any thread of this process),
// titled title (nullptr: any title), with control withControl and without control
// withoutControl (0: no condition).
struct WatchedDialog {
    DWORD thread;
    const char* title;
    int withControl;
    int withoutControl;
};

// A message box of thread titled title (nullptr: any): it has the text control 0xFFFF and not
// the control 257 that each of the setup program's own dialogs has.
WatchedDialog MessageBoxOf(DWORD thread, const char* title = nullptr);

// Registers className with procedure and makes a hidden popup window of it on this thread, for
// the code under test to own or to post to. Returns it, or 0.
HWND CreateTestWindow(const char* className, WNDPROC procedure, int width, int height);

// The title as the window stores it, read without sending a message: a watching thread must
// never wait on a test thread that is not serving its queue.
std::string StoredTitle(HWND window);

// The text of control id of dialog (sent: the dialog's thread must be serving its queue).
std::string ItemText(HWND dialog, int id);

// Posts to dialog the command that a click on its button id sends.
void ClickButton(HWND dialog, int id);

// The first window as watched, or 0. listing, when given, receives every window looked at.
HWND FindWatchedDialog(const WatchedDialog& watched, std::string* listing = nullptr);

// Polls for a window as watched until it shows, stop is set or the bound passes. Returns it,
// or 0 with the windows then on screen in onScreen.
HWND WaitForWatchedDialog(const WatchedDialog& watched, const std::atomic<int>& stop,
                          std::string* onScreen);

// Until stop is set, closes every dialog of thread, so that a modal call of a failed test
// returns instead of hanging.
void DismissDialogs(DWORD thread, const std::atomic<int>& stop);

// A second thread that runs a watch; its destructor sets stop and waits for the watch to end,
// serving meanwhile the messages that the watch sends to this thread.
struct WatchThread {
    std::atomic<int> stop{0};
    std::atomic<int> finished{0};
    std::thread thread;
    ~WatchThread();
};

// Runs call on this thread while watch(stop) runs on a second thread; once call returns, sets
// stop and waits for watch to end. Returns what call returns.
template <typename Watch, typename Call>
auto WatchWhile(Watch watch, Call call) -> decltype(call())
{
    WatchThread watcher;
    watcher.thread = std::thread([&] {
        watch(watcher.stop);
        watcher.finished = 1;
    });
    return call();
}

// A message box as a watch saw it.
struct MessageBoxSeen {
    int found = 0;
    std::string caption;
    std::string text;
    HICON icon = 0;
    std::string onScreen;   // the watched thread's windows, when no box came
};

// Waits for a message box as watched, records it into seen, presses button and waits
// (bounded) until the box is gone. Returns 0, or -1 when no box came.
int AnswerMessageBox(const WatchedDialog& watched, int button, const std::atomic<int>& stop,
                     MessageBoxSeen* seen);

// Runs call on this thread while a second thread answers its first message box with button.
// Returns what call returns.
template <typename Call>
auto AnswerMessageBoxDuring(int button, MessageBoxSeen* seen, Call call) -> decltype(call())
{
    WatchedDialog box = MessageBoxOf(GetCurrentThreadId());
    return WatchWhile(
        [&](const std::atomic<int>& stop) { AnswerMessageBox(box, button, stop, seen); }, call);
}
