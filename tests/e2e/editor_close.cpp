// End-to-end tests of the editor asked to close as the system asks at log-off (and an installer through the restart manager): a changed text is never lost.
#include <windows.h>

#include <future>

#include "setup_run.h"

namespace {

const DWORD kEditorWaitMs = 30000;

// What the editor answers WM_QUERYENDSESSION (sent from another thread, since the editor may
// ask its own question before it answers), with the close-application flag that an installer's
// request carries.
std::future<LRESULT> AskToEndSession(HWND window)
{
    return std::async(std::launch::async, [window] {
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP,
                                 SMTO_ABORTIFHUNG, kEditorWaitMs, &answer))
            return (LRESULT)-1;
        return (LRESULT)answer;
    });
}

class EditorClose : public ::testing::Test {
protected:
    void SetUp() override { SetDriverFailureReporter(ReportToTest); }
    void TearDown() override { CloseProgram(&program); }

    DrivenProgram program = {};
    TempFolder scratch;
};

// Cancel in the editor's own question keeps it open; Yes saves the text, agrees, and the end of
// the session closes it with status 0.
TEST_F(EditorClose, AChangedTextIsOfferedForSavingAndCancelKeepsTheEditorOpen)
{
    const std::string file = scratch.path + "\\note.txt";
    ASSERT_EQ(0, WriteFileBytes(file, "kept\r\n"));
    const std::string exe = ProgramFolder() + "\\Quillor.exe";
    ASSERT_EQ(0, StartProgramWithArguments(exe.c_str(), "\"" + file + "\"", nullptr, &program));
    HWND window = WaitForWindow(program, "Quillor", ("Quillor - " + file).c_str(), 0);
    ASSERT_NE(window, (HWND)0);
    HWND edit = FindWindowExA(window, nullptr, "Edit", nullptr);
    ASSERT_NE(edit, (HWND)0);
    SendMessageA(edit, WM_SETTEXT, 0, (LPARAM) "changed");
    SendMessageA(edit, EM_SETMODIFY, TRUE, 0);

    std::future<LRESULT> first = AskToEndSession(window);
    SeenMessageBox seen;
    ASSERT_EQ(0, AnswerMessageBox(program, IDCANCEL, &seen));
    EXPECT_EQ("Save the changes to \"" + file + "\" ?", seen.text);
    EXPECT_EQ(FALSE, first.get());
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ("kept\r\n", ReadWholeFile(file));

    std::future<LRESULT> second = AskToEndSession(window);
    ASSERT_EQ(0, AnswerMessageBox(program, IDYES, &seen));
    EXPECT_EQ(TRUE, second.get());
    EXPECT_EQ("changed", ReadWholeFile(file));
    PostMessageA(window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    DWORD exitCode = 999;
    ASSERT_EQ(0, WaitForExit(program, &exitCode));
    EXPECT_EQ(0u, exitCode);
}

}  // namespace
