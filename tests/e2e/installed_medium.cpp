// End-to-end tests of the sample medium installed as a person installs it, and of the editor it installs.
#include "integration_suite.h"

namespace {

// The sample medium of demo/medium, answered Yes and Yes with its own list of suffixes.
class SampleMedium : public InstallationSuite {
protected:
    static void SetUpTestSuite()
    {
        RemoveTree(WindowsFolder() + "\\QUILLOR.INI");
        RunPlan plan = {"quillor-e2e-sample", true, "", "", 1, nullptr, 1};
        RunSuite(plan, nullptr);
    }

    static void TearDownTestSuite()
    {
        InstallationSuite::TearDownTestSuite();
        RemoveTree(WindowsFolder() + "\\QUILLOR.INI");
    }
};

TEST_F(SampleMedium, AsksThenOffersItsSuffixesThenReportsSuccess)
{
    std::vector<std::string> expected = {QuestionShown(),
                                         std::string("dialog: ") + kCaption + " | txt log ini",
                                         ReportShown()};
    EXPECT_EQ(record.shown, expected);
    ExpectCleanEnd();
}

TEST_F(SampleMedium, CopiesEveryFileToItsPlace)
{
    struct Placed {
        std::string source;
        std::string destination;
    };
    const std::string& from = record.mediumDir;
    const std::string& to = record.targetDir;
    const Placed placed[] = {
        {from + "\\Quillor.exe", to + "\\Quillor.exe"},
        {from + "\\README.TXT", to + "\\README.TXT"},
        {from + "\\SAMPLES\\HELLO.TXT", to + "\\SAMPLES\\HELLO.TXT"},
        {from + "\\CHANGES.TXT", to + "\\HISTORY.TXT"},
        {from + "\\QUILLOR.INI", WindowsFolder() + "\\QUILLOR.INI"},
    };
    for (const Placed& file : placed) {
        std::string source = ReadWholeFile(file.source);
        ASSERT_NE(source, "<missing>") << file.source;
        EXPECT_EQ(ReadWholeFile(file.destination), source) << file.destination;
    }
}

TEST_F(SampleMedium, CreatesItsShortcuts)
{
    std::string editor = record.targetDir + "\\Quillor.exe";
    ExpectLink(places.group + "\\Quillor.lnk", editor, "Quillor text editor", editor, 0);
    ExpectLink(places.group + "\\Read me.lnk", record.targetDir + "\\README.TXT",
               "Notes on this version", editor, 0);
    ExpectLink(places.desktop + "\\Quillor.lnk", editor, "Quillor text editor", editor, 0);
}

TEST_F(SampleMedium, RegistersQuillorForItsSuffixes)
{
    ExpectAppPathAndUninstallEntry();
    ExpectEditorCommands();
    for (const char* suffix : {".txt", ".log", ".ini"}) {
        EXPECT_EQ(WrittenClass(suffix), StringWithoutTerminator("txtfile")) << suffix;
    }
}

TEST_F(SampleMedium, TheInstalledEditorOpensTheSampleText)
{
    std::string file = record.targetDir + "\\SAMPLES\\HELLO.TXT";
    DrivenProgram editor;
    HWND window = OpenThroughShell(file, "HELLO.TXT", &editor);
    ASSERT_NE(window, (HWND)0);
    EXPECT_EQ(ReadWindowTitle(window), "Quillor - " + file);
    EXPECT_EQ(CloseEditor(window, &editor), 0u);
}

// The editor itself, driven through its command line, its menu commands and its window.
class QuillorEditor : public ::testing::Test {
protected:
    void SetUp() override { SetDriverFailureReporter(ReportToTest); }

    void TearDown() override { CloseProgram(&program); }

    // Starts the built editor with a command line.
    void StartEditor(const std::string& arguments)
    {
        std::string exe = ProgramFolder() + "\\Quillor.exe";
        ASSERT_EQ(0, StartProgramWithArguments(exe.c_str(), arguments, nullptr, &program));
    }

    DrivenProgram program = {};
    TempFolder scratch;
};

TEST_F(QuillorEditor, PrintFormEndsWithStatusZeroAndNoMessage)
{
    std::string file = scratch.path + "\\to print.txt";
    ASSERT_EQ(0, WriteFileBytes(file, "One line to print.\r\n"));
    ASSERT_NO_FATAL_FAILURE(StartEditor("/p \"" + file + "\""));
    DWORD exitCode = 999;
    ASSERT_EQ(WaitForExit(program, &exitCode), 0);
    EXPECT_EQ(exitCode, 0u);
}

TEST_F(QuillorEditor, SaveWritesTheEditedTextBackToTheOpenedFile)
{
    std::string file = scratch.path + "\\draft note.txt";
    ASSERT_EQ(0, WriteFileBytes(file, "first draft\n"));
    ASSERT_NO_FATAL_FAILURE(StartEditor("\"" + file + "\""));
    HWND window = WaitForWindow(program, "Quillor", ("Quillor - " + file).c_str(), 0);
    ASSERT_NE(window, (HWND)0);
    HWND edit = FindWindowExA(window, nullptr, "Edit", nullptr);
    ASSERT_NE(edit, (HWND)0);
    // A bare line feed in the file shows as a line break, so the text reads back with CR LF.
    char text[64] = "";
    SendMessageA(edit, WM_GETTEXT, sizeof text, (LPARAM)text);
    EXPECT_STREQ(text, "first draft\r\n");

    SendMessageA(edit, WM_SETTEXT, 0, (LPARAM) "second draft\r\nwith two lines");
    // File > Save, sent so that the save has ended when the call returns: reading the file
    // while the editor writes it would make its unshared open fail.
    DWORD_PTR answer = 0;
    ASSERT_NE(SendMessageTimeoutA(window, WM_COMMAND, 102, 0, SMTO_ABORTIFHUNG, kEditorWaitMs,
                                  &answer), 0);
    EXPECT_EQ(ReadWholeFile(file), "second draft\r\nwith two lines");

    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD exitCode = 999;
    ASSERT_EQ(WaitForExit(program, &exitCode), 0);
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
