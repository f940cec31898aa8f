// What the shortcut and registration tests share: the setup state made ready for one step, the answers to its boxes and dialogs, and its posted messages.
#pragma once

#include <string>

#include <windows.h>
#include <shlobj.h>

#include "base/private_messages.h"
#include "base/setup_state.h"
#include "base/key_paths.h"
#include "base/run_record.h"
#include "resources/resource_ids.h"
#include "system/registration.h"
#include "unix_links.h"
#include "system/shortcuts.h"
#include "checks.h"
#include "files.h"
#include "links.h"
#include "registry.h"
#include "window_watch.h"

inline std::string ScratchName()
{
    return "QuillorSetupTests-system-" + std::to_string(GetCurrentProcessId());
}

// Answers, from another thread, the windows that the code under test opens: first a message
// box (its text is kept), then optionally the file types dialog (its edit text is kept).
struct Answerer {
    std::string caption;
    int boxAnswer = IDYES;
    int expectDialog = 0;
    int dialogAnswer = IDYES;
    std::string dialogText;    // set into the edit field before answering, when not empty
    std::string followingCaption;   // when not empty: a second box follows the first, with OK
    std::string followingText;

    std::string boxText;
    std::string editText;
    int boxSeen = 0;
    int dialogSeen = 0;
    std::string failure;

    // Runs call on this thread while answering its windows.
    template <typename Call>
    void During(Call call)
    {
        WatchWhile([&](const DrivenProgram& tested) {
            Answer(tested);
            // After a failure, closes whatever stays open so that the test ends instead of hanging.
            if (!failure.empty())
                DismissDialogs(tested.onlyThread, *tested.stop);
        }, call);
    }
    void Answer(const DrivenProgram& tested)
    {
        Question box;
        if (AnswerMessageBox(tested, boxAnswer, &box, kWatchMs) != 0) {
            failure = "no message box; on screen:" + box.onScreen;
            return;
        }
        if (box.caption != caption) {
            failure = "a message box titled \"" + box.caption + "\"";
            return;
        }
        boxText = box.text;
        boxSeen = 1;
        if (!followingCaption.empty()) {
            Question next;
            if (AnswerMessageBox(tested, IDOK, &next, kWatchMs) != 0 ||
                next.caption != followingCaption) {
                failure = "no second message box; on screen:" + next.onScreen;
                return;
            }
            followingText = next.text;
        }
        if (!expectDialog)
            return;
        Question dialog;
        if (NextQuestion(tested, &dialog, kWatchMs, kFileTypesQuestion) != 0 ||
            dialog.caption != caption) {
            failure = "no file types dialog; on screen:" + dialog.onScreen;
            return;
        }
        editText = dialog.text;
        dialogSeen = 1;
        if (!dialogText.empty())
            SetControlText(dialog.window, IDC_REGISTRATION_EDIT, dialogText.c_str());
        PressButton(dialog.window, dialogAnswer);
    }
};

inline void SetText(char* field, int capacity, const std::string& text)
{
    lstrcpynA(field, text.c_str(), capacity);
}

// A fresh state with this program's instance, the class name, the target directory and a
// window of this thread standing in for the main window.
inline void ResetSetupState()
{
    setupState = SetupState();
    setupState.instance = GetModuleHandleA(nullptr);
    setupState.mainWindow = CreateWindowExA(0, "STATIC", "Install", WS_POPUP | WS_VISIBLE, 0, 0,
                                            200, 100, nullptr, nullptr, setupState.instance,
                                            nullptr);
    SetText(setupState.className, kNameCapacity, "Install");
    SetText(setupState.targetDir, kTextCapacity, "C:\\Program Files\\Quillor");
}

inline int TakePostedMessage(HWND window, UINT message)
{
    MSG posted;
    int count = 0;
    while (PeekMessageA(&posted, window, message, message, PM_REMOVE))
        count++;
    return count;
}

const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// Wine's shell rewrites the Shell Folders values from these when it first loads in a process.
const char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
