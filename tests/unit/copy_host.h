// The copy engine driven by a window of the test, shared by the engine's and the progress dialog's tests.
#pragma once

#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "copy/copy_engine.h"
#include "copy/progress_dialog.h"
#include "base/run_record.h"
#include "resources/resource_ids.h"
#include "base/private_messages.h"
#include "base/setup_state.h"
#include "files.h"
#include "window_watch.h"
#include <gtest/gtest.h>

// A time stamp at ten in the morning of a day.
inline FILETIME TimeOf(int year, int month, int day)
{
    return MakeFileTime(year, month, day, 10, 0, 0);
}

// ---- the engine driven by a window of the test -------------------------------------------

// What the host window saw while the engine ran.
struct EngineRun {
    int nextFileSteps = 0;
    int chunkSteps = 0;
    UINT endMessage = 0;               // UM_SHORTCUTS or UM_FINISH
    std::vector<std::string> fileTexts;     // file percentage after each step
    std::vector<std::string> overallTexts;  // overall percentage after each step
    std::vector<std::string> labels;
    int cancelAtChunk = 0;             // presses Cancel before this chunk step (1 = first)
};

inline EngineRun* currentRun = nullptr;

inline std::string DialogText(int id)
{
    char text[256] = "";
    if (setupState.progressDialog)
        GetDlgItemTextA(setupState.progressDialog, id, text, sizeof text);
    return text;
}

inline void RecordTexts(EngineRun* run)
{
    std::string file = DialogText(IDC_COPY_FILE_TEXT);
    std::string overall = DialogText(IDC_COPY_OVERALL_TEXT);
    std::string label = DialogText(IDC_COPY_LABEL);
    if (run->fileTexts.empty() || run->fileTexts.back() != file ||
        run->overallTexts.back() != overall) {
        run->fileTexts.push_back(file);
        run->overallTexts.push_back(overall);
    }
    if (run->labels.empty() || run->labels.back() != label)
        run->labels.push_back(label);
}

// Posts the step that a step returned, as the main window does.
inline void PostStep(UINT next)
{
    if (next != 0)
        PostMessageA(setupState.mainWindow, next, 0, 0);
}

inline LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    EngineRun* run = currentRun;
    switch (message) {
    case UM_NEXT_FILE:
        run->nextFileSteps++;
        PostStep(CopyNextEntry());
        RecordTexts(run);
        return 0;
    case UM_COPY_CHUNK:
        run->chunkSteps++;
        if (run->chunkSteps == run->cancelAtChunk)
            SendDlgItemMessageA(setupState.progressDialog, IDC_COPY_CANCEL, BM_CLICK, 0, 0);
        PostStep(CopyNextChunk());
        RecordTexts(run);
        return 0;
    case UM_COPY_DONE:
        PostStep(FinishCopy());
        return 0;
    case UM_SHORTCUTS:
    case UM_FINISH:
        run->endMessage = message;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Serves the queue until the engine has posted its last step, bounded.
inline void PumpUntilEnd(EngineRun* run)
{
    DWORD start = GetTickCount();
    MSG message;
    while (run->endMessage == 0 && GetTickCount() - start < kWatchMs) {
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_ALLINPUT);
            continue;
        }
        if (setupState.progressDialog && IsDialogMessageA(setupState.progressDialog, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

class CopyEngineTest : public testing::Test {
protected:
    void SetUp() override
    {
        memset(&setupState, 0, sizeof setupState);
        setupState.instance = GetModuleHandleA(nullptr);
        LoadStringA(setupState.instance, IDS_CLASS_NAME, setupState.className, kNameCapacity);
        LoadStringA(setupState.instance, IDS_FILES_SECTION, setupState.filesSection,
                    kNameCapacity);
        lstrcpyA(setupState.caption, "Quillor setup");
        setupState.barBrush = CreateSolidBrush(RGB(0, 0, 255));
        setupState.grayBrush = CreateSolidBrush(RGB(192, 192, 192));
        setupState.mainWindow = CreateTestWindow("H3CopyTestHost", HostWindowProc, 640, 480);
        ASSERT_NE(nullptr, setupState.mainWindow);
        currentRun = &run;

        root = MakeTempDirectory("quillor-copy");
        source = root + "\\medium";
        target = root + "\\target";
        CreateDirectoryA(source.c_str(), nullptr);
        std::string sourcePrefix = source + "\\";
        lstrcpyA(setupState.modulePath, sourcePrefix.c_str());
        setupState.dirLength = static_cast<int>(sourcePrefix.size());
        lstrcpyA(setupState.targetDir, target.c_str());
    }

    void TearDown() override
    {
        if (setupState.progressDialog)
            DestroyWindow(setupState.progressDialog);
        DestroyWindow(setupState.mainWindow);
        DeleteObject(setupState.barBrush);
        DeleteObject(setupState.grayBrush);
        // Drop what the run left in the queue, so that no step reaches the next test.
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        currentRun = nullptr;
        memset(&setupState, 0, sizeof setupState);
        // The run's record ends with it: nothing is left for the next setup program to undo.
        EndRunRecord(0);
        RemoveTree(root);
    }

    // Copies with the given Files section; totalBytes as start-up would have summed it.
    void RunCopy(const std::string& filesSection, long long totalBytes)
    {
        script = "[Install]\r\nApplication=Quillor\r\n[Files]\r\n" + filesSection +
                 "[Group]\r\nQuillor=Quillor.exe\r\n";
        setupState.scriptText = script.c_str();
        setupState.totalBytes = totalBytes;
        PostStep(StartCopy());
        PumpUntilEnd(&run);
        ASSERT_NE(0u, run.endMessage) << "the engine did not end within " << kWatchMs << " ms";
    }

    std::string root;
    std::string source;
    std::string target;
    std::string script;
    EngineRun run;
};
