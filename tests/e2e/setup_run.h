// The fixture of the end-to-end tests that lay out a medium, run SETUP.EXE on it and answer its windows one by one.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "base/exit_statuses.h"
#include "checks.h"
#include "files.h"
#include "links.h"
#include "medium.h"
#include "registry.h"
#include "resources/resource_ids.h"
#include "ui_driver.h"

// The texts that the setup program shows.
const char kCaption[] = "Quillor Setup";
const char kErrorCaption[] = "Install";
const char kQuestion[] = "Would you like Quillor to be registered as your default text editor ?";
const char kReportDone[] =
    "Installation normally terminated. An \"Quillor\" icon has been created on your desktop "
    "and a folder in your \"Start\\programs\" menu.";
const char kReportPartial[] =
    "The installation has not been totally correctly effected ! You had better reinstall after "
    "correction !";
const char kReportAbandoned[] = "Installation abandonned.";

// Turns every failure of the UI driver into a failure of the running test.
inline void ReportToTest(const std::string& failure)
{
    ADD_FAILURE() << failure;
}

inline std::string ScriptWithFiles(const std::string& files)
{
    return "[Install]\r\nApplication=Quillor\r\nCaption=Quillor Setup\r\n\r\n[Files]\r\n" + files;
}

// The question about a target that holds files of another origin.
inline std::string FolderNotEmpty(const std::string& folder)
{
    return "The folder \"" + folder +
           "\" already exists and holds other files. Install into it anyway?";
}

inline std::string CannotOpen(const std::string& path)
{
    return "Cannot open \"" + path + "\" !";
}

struct WindowSearch {
    DWORD processId;
    int found;
};

inline BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM context)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) search->found = 1;
    return !search->found;
}

// Nonzero when the process has a visible top-level window.
inline int HasVisibleWindow(DWORD processId)
{
    WindowSearch search = {processId, 0};
    EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A source file of the medium.
struct SourceFile {
    const char* name;   // below the medium folder
    size_t size;
    unsigned seed;
};

// A medium with a script of Files lines, and the setup program running on it. A test reads as
// what a person sees and answers: lay out the medium, start, choose the target, then each
// question in turn and the end of the run.
class SetupRunTest : public testing::Test {
protected:
    void SetUp() override { SetDriverFailureReporter(ReportToTest); }

    void TearDown() override
    {
        CloseProgram(&program);
        RemoveMedium(&medium);
    }

    // Lays out the medium with the given Files lines and source files.
    void LayOut(const std::string& filesLines, const std::vector<SourceFile>& sources)
    {
        ASSERT_EQ(0, CreateMedium("quillor-e2e", ScriptWithFiles(filesLines), &medium));
        for (const SourceFile& source : sources) {
            std::string bytes = PatternBytes(source.size, source.seed);
            ASSERT_EQ(0, WriteMediumFile(medium, source.name, bytes)) << source.name;
        }
    }

    // Starts SETUP.EXE of the medium in workingDir (by default the medium folder).
    void Start(const std::string& workingDir = "")
    {
        std::string exe = medium.folder + "\\SETUP.EXE";
        const std::string& folder = workingDir.empty() ? medium.folder : workingDir;
        ASSERT_EQ(0, StartProgram(exe.c_str(), folder.c_str(), &program));
    }

    HWND WaitForDirectoryDialog()
    {
        return WaitForWindow(program, DIALOG_CLASS, kCaption, IDC_DIRECTORY_EDIT);
    }

    // The progress dialog, when it is on screen.
    HWND FindProgressDialog()
    {
        return FindProgramWindow(program, DIALOG_CLASS, kCaption, IDC_COPY_CANCEL);
    }

    // The progress dialog once its label reads label; a failure (and 0) when it does not in time.
    HWND WaitForCopyLabel(const std::string& label)
    {
        HWND progress = WaitForWindow(program, DIALOG_CLASS, kCaption, IDC_COPY_CANCEL);
        DWORD start = GetTickCount();
        while (progress && ReadControlText(progress, IDC_COPY_LABEL) != label &&
               GetTickCount() - start < kWindowWaitMs) {
            Sleep(kPollMs);
        }
        if (progress && ReadControlText(progress, IDC_COPY_LABEL) == label) return progress;
        ADD_FAILURE() << "no copy of " << label << ": "
                      << DescribeScreen(program.process.dwProcessId);
        return 0;
    }

    // Starts the run into the target, presses Cancel once the copy's label reads label, and
    // expects the end of a cancelled copy.
    void CancelDuringCopyOf(const std::string& label)
    {
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
        HWND progress = WaitForCopyLabel(label);
        ASSERT_TRUE(progress);
        ASSERT_EQ(0, PressButton(progress, IDC_COPY_CANCEL));
        ASSERT_NO_FATAL_FAILURE(ExpectAbandonedEnd());
    }

    // Types path into the directory dialog and presses Install; when the test has put files of
    // its own into the target (targetHoldsFiles), answers Yes to the question about them.
    void ChooseTarget(const std::string& path)
    {
        HWND dialog = targetHoldsFiles ? WaitForDirectoryDialog() : 0;
        ASSERT_EQ(0, ChooseTargetDirectory(program, kCaption, path.c_str()));
        if (targetHoldsFiles) {
            ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDYES, kCaption, FolderNotEmpty(path)));
            // Until the dialog has closed, so that the next question is never the dialog.
            ASSERT_EQ(0, WaitForWindowGone(program, dialog));
        }
    }

    // The next question of kind (kNoQuestion: a message box or a dialog), unanswered; a
    // failure when none comes (then its window is 0).
    Question WaitForQuestion(QuestionKind kind = kNoQuestion, DWORD timeoutMs = kWindowWaitMs)
    {
        Question asked;
        if (NextQuestion(program, &asked, timeoutMs, kind) != 0) {
            ADD_FAILURE() << "no question came: " << asked.onScreen;
        }
        return asked;
    }

    // Answers the next message box with button after checking its caption, its text, and
    // whether it offers Cancel besides OK (-1: not checked).
    void ExpectMessage(int button, const char* caption, const std::string& text,
                       int offersCancel = -1, DWORD timeoutMs = kWindowWaitMs)
    {
        SCOPED_TRACE("waiting for \"" + text + "\"");
        Question box = WaitForQuestion(kMessageBoxQuestion, timeoutMs);
        ASSERT_TRUE(box.window);
        EXPECT_EQ(caption, box.caption);
        EXPECT_EQ(text, box.text);
        if (offersCancel >= 0) {
            EXPECT_TRUE(HasVisibleButton(box.window, IDOK));
            EXPECT_EQ(offersCancel, HasVisibleButton(box.window, IDCANCEL));
        }
        ASSERT_EQ(0, AnswerQuestion(program, box, button));
    }

    void ExpectExitCodeZero()
    {
        ExpectExitStatus(kExitInstalled);
    }

    // Waits for the end without any further message box; the exit status must be `status`.
    void ExpectExitStatus(DWORD status)
    {
        DWORD code = 999;
        ASSERT_EQ(0, WaitForExit(program, &code));
        EXPECT_EQ(status, code);
    }

    // The end of a run that copied everything: No to the question, the report of success and
    // a clean exit.
    void ExpectSuccessfulEnd()
    {
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDNO, kCaption, kQuestion));
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kCaption, kReportDone));
        ExpectExitCodeZero();
    }

    // The end of a run that counted failures: the question, report 6 and its exit status.
    void ExpectPartialEnd()
    {
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDNO, kCaption, kQuestion));
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kCaption, kReportPartial));
        ExpectExitStatus(kExitPartial);
    }

    // The end of a cancelled copy: no question, report 7 at once and its exit status.
    void ExpectAbandonedEnd()
    {
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kCaption, kReportAbandoned));
        ExpectExitStatus(kExitAbandoned);
    }

    void ExpectContent(const std::string& path, const std::string& bytes)
    {
        std::string found;
        ASSERT_EQ(0, ReadFileBytes(path, &found)) << path << " is missing";
        EXPECT_EQ(bytes.size(), found.size()) << path;
        EXPECT_TRUE(bytes == found) << path << " has other content";
    }

    // The destination holds exactly the bytes of the medium's source file.
    void ExpectCopied(const std::string& destination, const std::string& source)
    {
        std::string expected;
        ASSERT_EQ(0, ReadFileBytes(medium.folder + "\\" + source, &expected)) << source;
        ExpectContent(destination, expected);
    }

    // Waits (bounded) for the program to end without a question or, unless windowsSeen is
    // given to note them, any visible window. Its exit code, or 999.
    DWORD WaitWithoutQuestions(int* windowsSeen)
    {
        DWORD processId = program.process.dwProcessId;
        DWORD start = GetTickCount();
        while (WaitForSingleObject(program.process.hProcess, kPollMs) == WAIT_TIMEOUT) {
            Question asked;
            if (FindQuestion(program, &asked) == 0) {
                ADD_FAILURE() << "a question waited: " << asked.caption << ": " << asked.text;
                CloseProgram(&program);
                return 999;
            }
            int visible = HasVisibleWindow(processId);
            if (windowsSeen != nullptr)
                *windowsSeen |= visible;
            else
                EXPECT_FALSE(visible) << DescribeScreen(processId);
            if (GetTickCount() - start > kExitWaitMs) {
                ADD_FAILURE() << "no end: " << DescribeScreen(processId);
                CloseProgram(&program);
                return 999;
            }
        }
        DWORD code = 999;
        GetExitCodeProcess(program.process.hProcess, &code);
        CloseProgram(&program);
        return code;
    }

    Medium medium;
    DrivenProgram program = {};
    bool targetHoldsFiles = false;   // the test put files into the target before the run
};
