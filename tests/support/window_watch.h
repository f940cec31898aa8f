// Watches, from a second thread, the questions that code under test asks on the test's own thread, and answers them through the UI driver.
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

#include "ui_driver.h"

// Bound of one wait of a watch, in milliseconds.
enum : DWORD { kWatchMs = 10000 };

// The windows of thread of this process, as the UI driver sees a program: every wait gives up
// once stop (when given) is set.
DrivenProgram WatchedThread(DWORD thread, const std::atomic<int>* stop = nullptr);

// Registers className with procedure and makes a hidden popup window of it on this thread, for
// the code under test to own or to post to. Returns it, or 0.
HWND CreateTestWindow(const char* className, WNDPROC procedure, int width, int height);

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

// Runs call on this thread while watch(tested) runs on a second thread, tested being this
// thread as the driver sees it; once call returns, stops the watch and waits for it to end.
// Returns what call returns.
template <typename Watch, typename Call>
auto WatchWhile(Watch watch, Call call) -> decltype(call())
{
    WatchThread watcher;
    DWORD owner = GetCurrentThreadId();
    watcher.thread = std::thread([&watcher, &watch, owner] {
        watch(WatchedThread(owner, &watcher.stop));
        watcher.finished = 1;
    });
    return call();
}

// Runs call on this thread while a second thread answers its first message box with button
// and keeps it in seen (seen->window stays 0 when none came). Returns what call returns.
template <typename Call>
auto AnswerMessageBoxDuring(int button, SeenMessageBox* seen, Call call) -> decltype(call())
{
    return WatchWhile(
        [&](const DrivenProgram& tested) { AnswerMessageBox(tested, button, seen, kWatchMs); },
        call);
}

// Runs call on this thread while a second thread answers each of its message boxes with OK,
// keeping them in order in seen.
template <typename Call>
void AnswerEveryMessageBoxDuring(std::vector<SeenMessageBox>* seen, Call call)
{
    WatchWhile([&](const DrivenProgram& tested) {
        SeenMessageBox box;
        while (AnswerMessageBox(tested, IDOK, &box, kWatchMs) == 0) seen->push_back(box);
    }, call);
}
