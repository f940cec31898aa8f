// End-to-end tests of running the setup program again: the previous installation's folder, versions.
#include "setup_run.h"

namespace {

const char kEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillor";

// Runs without an entry of the application in the programs list, and leaves none behind.
class ReinstallTest : public SetupRunTest {
protected:
    void SetUp() override
    {
        SetupRunTest::SetUp();
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEntry);
    }

    void TearDown() override
    {
        SetupRunTest::TearDown();
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEntry);
    }

    // Lays out a medium whose script installs README.TXT as version, over an entry of the
    // installed version in the existing target.
    void LayOutOver(const char* installed, const char* version)
    {
        ASSERT_EQ(0, CreateMedium("quillor-e2e",
                                  "[Install]\r\nApplication=Quillor\r\nCaption=Quillor Setup\r\n"
                                  "Version=" + std::string(version) +
                                      "\r\n\r\n[Files]\r\nReadme=README.TXT\r\n",
                                  &medium));
        ASSERT_EQ(0, WriteMediumFile(medium, "README.TXT", PatternBytes(100, 1)));
        ASSERT_EQ(0, MakeDirectories(medium.target));
        ASSERT_EQ(0, WriteRegistryText(HKEY_LOCAL_MACHINE, kEntry, "InstallLocation",
                                       medium.target));
        ASSERT_EQ(0, WriteRegistryText(HKEY_LOCAL_MACHINE, kEntry, "DisplayVersion", installed));
    }

    // Starts the program and returns the text that its directory dialog proposes.
    std::string StartAndReadProposal()
    {
        Start();
        HWND dialog = WaitForDirectoryDialog();
        return dialog ? ReadControlText(dialog, IDC_DIRECTORY_EDIT) : "<no dialog>";
    }
};

TEST_F(ReinstallTest, TheFolderOfThePreviousInstallationIsProposed)
{
    ASSERT_NO_FATAL_FAILURE(LayOut("Readme=README.TXT\r\n", {{"README.TXT", 100, 1}}));
    const std::string elsewhere = medium.target + "\\Elsewhere";
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(elsewhere));
    ASSERT_NO_FATAL_FAILURE(ExpectSuccessfulEnd());
    CloseProgram(&program);

    EXPECT_EQ(elsewhere, StartAndReadProposal());
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(elsewhere));
    ASSERT_NO_FATAL_FAILURE(ExpectSuccessfulEnd());
    std::string location;
    EXPECT_EQ(0, ReadRegistryText(HKEY_LOCAL_MACHINE, kEntry, "InstallLocation", &location));
    EXPECT_EQ(elsewhere, location);
    ExpectCopied(elsewhere + "\\README.TXT", "README.TXT");
}

TEST_F(ReinstallTest, AnEntryWhoseFolderIsGoneProposesTheProgramFilesFolder)
{
    ASSERT_NO_FATAL_FAILURE(LayOut("Readme=README.TXT\r\n", {{"README.TXT", 100, 1}}));
    ASSERT_EQ(0, WriteRegistryText(HKEY_LOCAL_MACHINE, kEntry, "InstallLocation",
                                   medium.target + "\\Gone"));
    std::string programFiles;
    ASSERT_EQ(0, ReadRegistryText(HKEY_LOCAL_MACHINE,
                                  "Software\\Microsoft\\Windows\\CurrentVersion",
                                  "ProgramFilesDir", &programFiles));
    EXPECT_EQ(programFiles + "\\Quillor", StartAndReadProposal());
}

TEST_F(ReinstallTest, AnOlderVersionAsksWithNoAsDefaultAndNoLeavesTheNewerOne)
{
    ASSERT_NO_FATAL_FAILURE(LayOutOver("2.10", "2.9"));
    ASSERT_NO_FATAL_FAILURE(Start());
    Question box = WaitForQuestion(kMessageBoxQuestion);
    ASSERT_TRUE(box.window);
    EXPECT_EQ(kCaption, box.caption);
    EXPECT_EQ("Version 2.10, newer than this one, is installed. Replace it?", box.text);
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(box.window, IDNO), GWL_STYLE) & BS_DEFPUSHBUTTON)
        << "No is not the default button";
    ASSERT_EQ(0, AnswerQuestion(program, box, IDNO));
    ExpectExitStatus(kExitDowngrade);
    EXPECT_FALSE(PathExists(medium.target + "\\README.TXT"));
}

TEST_F(ReinstallTest, YesToAnOlderVersionGoesOnToTheDirectoryDialog)
{
    ASSERT_NO_FATAL_FAILURE(LayOutOver("3", "2.99"));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(
        IDYES, kCaption, "Version 3, newer than this one, is installed. Replace it?"));
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    ASSERT_NO_FATAL_FAILURE(ExpectSuccessfulEnd());
    ExpectCopied(medium.target + "\\README.TXT", "README.TXT");
}

// A script without a version is of an unknown one: asked like an older one, and its entry then
// names no version rather than the one it replaced.
TEST_F(ReinstallTest, AnEmptyVersionOverAKnownOneAsksAndLeavesNoVersionInTheEntry)
{
    ASSERT_NO_FATAL_FAILURE(LayOutOver("2.0", ""));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(
        IDYES, kCaption, "Version 2.0, newer than this one, is installed. Replace it?"));
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    ASSERT_NO_FATAL_FAILURE(ExpectSuccessfulEnd());
    EXPECT_FALSE(ReadStoredValue(HKEY_LOCAL_MACHINE, kEntry, "DisplayVersion").valueExists);
}

TEST_F(ReinstallTest, TheSameOrANewerVersionAsksNothing)
{
    const char* const versions[][2] = {{"2.10", "2.10"}, {"2.10", "2.10.1"}, {"1.9", "1.10"}};
    for (const auto& row : versions) {
        SCOPED_TRACE(std::string(row[0]) + " -> " + row[1]);
        ASSERT_NO_FATAL_FAILURE(LayOutOver(row[0], row[1]));
        ASSERT_NO_FATAL_FAILURE(Start());
        Question first = WaitForQuestion();
        EXPECT_EQ(first.window, WaitForDirectoryDialog()) << first.onScreen;
        ASSERT_EQ(0, PressButton(first.window, IDC_DIRECTORY_CANCEL));
        ExpectExitStatus(kExitDirectoryCancelled);
        CloseProgram(&program);
        RemoveMedium(&medium);
    }
}

}  // namespace
