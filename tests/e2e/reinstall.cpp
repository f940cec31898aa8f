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

}  // namespace
