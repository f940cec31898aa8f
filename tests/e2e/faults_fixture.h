// The fixture of the end-to-end fault tests: a medium whose copy meets full drives, protected or uncreatable destinations and changing sources.
#pragma once
#include <stdio.h>

#include "setup_run.h"

inline const char kMainClass[] = "Install";

// The small drive that the test scripts map to a 1 MiB tmpfs when they run as root.
inline const char kSmallDriveRoot[] = "T:\\";
inline const unsigned long long kSmallDriveMaxBytes = 2ull << 20;
inline const size_t kOverflowFileSize = 3u << 20;

// Large enough that the main window is closed while this one file is copied.
inline const size_t kLongFileSize = 48u << 20;

// Entries of the large script; each names the same small source.
inline const int kManyEntries = 10000;
inline const int kEntriesPerFolder = 100;
inline const DWORD kManyEntriesWaitMs = 120000;

inline std::string CannotCreate(const std::string& path)
{
    return "Cannot create \"" + path + "\" !";
}

inline std::string CannotWrite(const std::string& path)
{
    return "Cannot write \"" + path + "\" !";
}

// A drive letter from Q on that names no drive, or 0.
inline char FindMissingDrive()
{
    for (char letter = 'Q'; letter <= 'Z'; letter++) {
        if (letter == kSmallDriveRoot[0]) continue;
        char root[] = {letter, ':', '\\', '\0'};
        if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR) return letter;
    }
    return 0;
}

// A medium and the setup program, and a file that the test may hold open without sharing.
class FaultTest : public SetupRunTest {
protected:
    void TearDown() override
    {
        CloseProgram(&program);
        ReleaseHeldFile();
        SetupRunTest::TearDown();
    }

    void ReleaseHeldFile()
    {
        if (heldFile != INVALID_HANDLE_VALUE) CloseHandle(heldFile);
        heldFile = INVALID_HANDLE_VALUE;
    }

    // Makes the target with a folder BLOCKED where an entry's file should go.
    void LayOutBlockedTarget()
    {
        ASSERT_TRUE(CreateDirectoryA(medium.target.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA((medium.target + "\\BLOCKED").c_str(), nullptr));
        targetHoldsFiles = true;
    }

    // Starts on that target, presses the progress dialog's Cancel while the "Cannot open" box
    // of BLOCKED is up, then OK in it.
    void CancelDuringTheBlockedBox()
    {
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
        ASSERT_TRUE(WaitForQuestion().window);
        // The box does not own the progress dialog, which takes the click meanwhile.
        HWND progress = FindProgressDialog();
        ASSERT_TRUE(progress) << DescribeScreen(program.process.dwProcessId);
        ASSERT_EQ(0, PressButton(progress, IDC_COPY_CANCEL));
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(
            IDOK, kErrorCaption, CannotOpen(medium.target + "\\BLOCKED"), 1));
    }

    HANDLE heldFile = INVALID_HANDLE_VALUE;  // a file the test holds open without sharing
};
