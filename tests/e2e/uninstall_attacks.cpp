// End-to-end tests of what another user or another program can do to the uninstaller: links swapped in while a question waits, refused folders written another way, two runs at once, an entry gone, a locked script copy, device names, and the honest report.
#include "uninstall_attack_fixture.h"

namespace {

// While the question waits, the target is renamed away and a link to another folder put in
// its place: the answer Yes must not reach that folder, in either way of removing.
TEST_F(UninstallAttackTest, ALinkSwappedInWhileAQuestionWaitsIsNotFollowed)
{
    ASSERT_NO_FATAL_FAILURE(InstallQuillor());
    const std::string decoys = MakeDecoys(medium.root + "\\decoys");
    const std::string away = medium.root + "\\away";
    for (bool whole : {false, true}) {
        SCOPED_TRACE(whole ? "whole folder" : "trusted script");
        if (whole) {
            ASSERT_EQ(0, RemoveTree(medium.target + "\\SETUP.INF"));
        }
        StartUninstaller(UninstallString());
        if (whole) ExpectMessage(IDYES, kCaptionOfQuillor, kConfirm);
        // The question that waits last, then the swap.
        Question last = WaitForQuestion(kMessageBoxQuestion);
        ASSERT_TRUE(last.window);
        EXPECT_EQ(whole ? Formatted(kWholeFolderFormat, medium.target) : kConfirm, last.text);
        ASSERT_TRUE(MoveFileA(medium.target.c_str(), away.c_str()));
        ASSERT_EQ(0, Link(medium.target, decoys));
        ASSERT_EQ(0, AnswerQuestion(program, last, IDYES));
        ExpectMessage(IDOK, kCaptionOfQuillor, Formatted(kLinkedFormat, medium.target));
        EXPECT_EQ((DWORD)kNothingDoneStatus, ExitCode());
        ExpectDecoys(decoys);
        RemoveFolderLink(medium.target);
        links.pop_back();
        ASSERT_TRUE(MoveFileA(away.c_str(), medium.target.c_str()));
    }
    EXPECT_TRUE(PathExists(medium.target + "\\README.TXT"));
}

// The refused folders written the ways the system resolves to them: a trailing dot or blank,
// an administrative share, and another user's documents.
TEST_F(UninstallAttackTest, RefusedFoldersAreRecognisedInEveryForm)
{
    std::string programFiles;
    ASSERT_EQ(0, ReadRegistryText(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
                                  "ProgramFilesDir", &programFiles));
    const std::string decoys = MakeDecoys(programFiles + "\\QuillorDecoy");
    ASSERT_NO_FATAL_FAILURE(LayOut("Read me=README.TXT\r\n", {{"README.TXT", 10, 1}}));
    // A user whose profile lies outside the profiles folder.
    const std::string profileList = "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
    const std::string movedUser = profileList + "\\S-1-5-21-0-0-0-QUILLOR-E2E";
    const std::string moved = MakeDecoys(medium.root + "\\moved-profile\\Documents");
    ASSERT_EQ(0, WriteRegistryText(HKEY_LOCAL_MACHINE, movedUser, "ProfileImagePath",
                                   medium.root + "\\moved-profile"));
    std::string profiles;
    ReadRegistryText(HKEY_LOCAL_MACHINE, profileList.c_str(), "ProfilesDirectory", &profiles);
    char expanded[MAX_PATH] = "";
    ExpandEnvironmentStringsA(profiles.c_str(), expanded, MAX_PATH);
    const std::string share = "\\\\localhost\\" + programFiles.substr(0, 1) + "$";
    const std::vector<std::string> refused = {
        programFiles + ".", programFiles + " ", programFiles + ". .", WindowsFolder() + " ",
        share + WindowsFolder().substr(2), share + programFiles.substr(2),
        std::string(expanded) + "\\somebody-else\\Documents", moved};
    for (size_t i = 0; i < refused.size(); i++)
        AddEntry("QuillorDecoy" + std::to_string(i), uninstaller + " /" + refused[i]);
    const std::string built = "\"" + ProgramFolder() + "\\Purgax.exe\" /";
    for (const std::string& target : refused) {
        SCOPED_TRACE(target);
        ASSERT_NO_FATAL_FAILURE(StartUninstaller(built + target));
        ExpectMessage(IDOK, kRefusalCaption,
                      "Nothing was removed: \"" + target + "\" is not a folder that an "
                      "installation is removed from (a drive, the Windows folder, the program "
                      "files folder, a profile folder or a path that is not complete).");
        EXPECT_EQ((DWORD)kNothingDoneStatus, ExitCode());
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, movedUser.c_str());
    ExpectDecoys(decoys);
    ExpectDecoys(moved);
    RemoveTree(decoys);

    // The installer takes neither such a folder nor a folder of another installation.
    AddEntry("QuillorNested", uninstaller + " /" + medium.target + "\\B");
    WriteRegistryText(HKEY_LOCAL_MACHINE, std::string(kUninstallList) + "\\QuillorNested",
                      "InstallLocation", medium.target + "\\B");
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::string nearby = "another program is installed there.";
    const std::pair<std::string, std::string> rows[] = {
        {programFiles + ".", "a drive, system or profile folder."},
        {"C:", "a drive, system or profile folder."},
        {medium.target, nearby},
        {medium.target + "\\B\\C", nearby},
        {medium.root + "\\" + std::string(127 - medium.root.size(), 'x'),
         "longer than 127 characters."},
    };
    for (const auto& row : rows) {
        ASSERT_EQ(0, ChooseTargetDirectory(program, kCaption, row.first.c_str()));
        ExpectMessage(IDOK, kCaption, "Cannot install into \"" + row.first + "\": " + row.second);
    }
    ASSERT_EQ(0, PressButton(WaitForDirectoryDialog(), IDC_DIRECTORY_CANCEL));
    ExpectExitStatus(kExitDirectoryCancelled);
    EXPECT_FALSE(PathExists(medium.target));
}

// Without the script copy, what the installation put elsewhere is listed; the uninstaller
// still goes at the restart. A group name that the installer cut is listed, not guessed.
TEST_F(UninstallAttackTest, WhatStaysIsListedAndTheStatusSaysSo)
{
    ASSERT_NO_FATAL_FAILURE(InstallQuillor());
    ASSERT_EQ(0, RemoveTree(medium.target + "\\SETUP.INF"));
    std::string report = Uninstall(IDYES);
    EXPECT_EQ(ExceptFor(1, "\n" + WindowsFolder() + " (not known without the setup script copy)",
                        false),
              report);
    EXPECT_EQ(1u, ExitCode());
    EXPECT_FALSE(PathExists(medium.target));
    // Unless an entry left by another program's test still names it.
    EXPECT_EQ(IsNamedByAnEntry(uninstaller) ? 0 : 1, PendingRemovals(uninstaller));

    // A name that the group folder's path of 127 characters cuts by a few.
    const std::string programs = ShortcutFolder(true, false);
    const std::string name = "Quillor" + std::string(127 - programs.size() - 3, 'q');
    ASSERT_EQ(0, WriteMediumFile(medium, "SETUP.INF",
                                 "[Install]\r\nApplication=" + name +
                                     "\r\nCaption=Quillor Setup\r\n[Files]\r\n" + kFiles +
                                     kGroupLines));
    ASSERT_NO_FATAL_FAILURE(InstallThroughReports());
    const std::string group = (programs + "\\" + name).substr(0, 127);
    std::string command;
    ASSERT_EQ(0, ReadRegistryText(HKEY_LOCAL_MACHINE, (std::string(kUninstallList) + "\\" + name).c_str(),
                                  "UninstallString", &command));
    StartUninstaller(command);
    const std::string caption = "Uninstall " + name;
    ExpectMessage(IDYES, caption.c_str(),
                  "Do you want to remove " + name + " and all of its parts from this computer ?");
    SeenMessageBox seen;
    AnswerMessageBox(program, IDOK, &seen);
    EXPECT_NE(std::string::npos,
              seen.text.find("\n" + group + " (a name cut short by the installer, skipped)"))
        << seen.text;
    EXPECT_EQ(1u, ExitCode());
    RemoveTree(group);
}

// The entry is read again after Yes: one that went while the question waited stops the run.
TEST_F(UninstallAttackTest, AnEntryGoneWhileTheQuestionWaitsStopsTheRun)
{
    ASSERT_NO_FATAL_FAILURE(InstallQuillor());
    StartUninstaller(UninstallString());
    Question confirm = WaitForQuestion(kMessageBoxQuestion);
    ASSERT_EQ(kConfirm, confirm.text);
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_LOCAL_MACHINE, kQuillorEntry));
    ASSERT_EQ(0, AnswerQuestion(program, confirm, IDYES));
    ExpectMessage(IDOK, kCaptionOfQuillor,
                  "No installation in \"" + medium.target +
                      "\" is listed among the installed programs. Nothing was removed.");
    EXPECT_EQ((DWORD)kNothingDoneStatus, ExitCode());
    EXPECT_TRUE(PathExists(medium.target + "\\README.TXT"));
}

// One run at a time: a second uninstaller, or the installer, ends at once and says why.
TEST_F(UninstallAttackTest, ASecondRunEndsAtOnce)
{
    ASSERT_NO_FATAL_FAILURE(InstallQuillor());
    const std::string document = medium.target + "\\NOTES.TXT";
    ASSERT_EQ(0, WriteFileBytes(document, "my own notes"));
    StartUninstaller(UninstallString());
    Question first = WaitForQuestion(kMessageBoxQuestion);
    ASSERT_EQ(kConfirm, first.text);

    ASSERT_EQ(0, StartCommandLine(UninstallString(), "C:\\", &second));
    SeenMessageBox refused;
    ASSERT_EQ(0, AnswerMessageBox(second, IDOK, &refused));
    EXPECT_EQ(kAnotherRun, refused.text);
    DWORD code = 0;
    ASSERT_EQ(0, WaitForExit(second, &code));
    EXPECT_EQ((DWORD)kExitAnotherRun, code);
    CloseProgram(&second);

    const std::string setup = "\"" + medium.folder + "\\SETUP.EXE\"";
    ASSERT_EQ(0, StartCommandLine(setup, medium.folder.c_str(), &second));
    ASSERT_EQ(0, AnswerMessageBox(second, IDOK, &refused));
    EXPECT_EQ("Another setup or uninstall is running.",
              refused.text);
    ASSERT_EQ(0, WaitForExit(second, &code));
    EXPECT_EQ((DWORD)kExitAnotherRun, code);

    ASSERT_EQ(0, AnswerQuestion(program, first, IDYES));
    SeenMessageBox report;
    AnswerMessageBox(program, IDOK, &report);
    EXPECT_EQ(0u, ExitCode());
    ExpectContent(document, "my own notes");
}

// A script copy that another program holds open is not a changed copy: nothing is touched.
TEST_F(UninstallAttackTest, ALockedScriptCopyChangesNothing)
{
    ASSERT_NO_FATAL_FAILURE(InstallQuillor("", IDYES));
    Snapshot before = TakeSnapshot();
    const std::string copy = medium.target + "\\SETUP.INF";
    HANDLE lock = CreateFileA(copy.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    StartUninstaller(UninstallString());
    ExpectMessage(IDYES, kCaptionOfQuillor, kConfirm);
    ExpectMessage(IDOK, kCaptionOfQuillor,
                  "Nothing was removed: the installed copy of the setup script is in use by "
                  "another program. Close it and try again later.");
    EXPECT_EQ((DWORD)kNothingDoneStatus, ExitCode());
    CloseHandle(lock);
    EXPECT_EQ("", Differences(before, TakeSnapshot()));
}

// Device names among the destinations are listed once and skipped, never retried.
TEST_F(UninstallAttackTest, DeviceNamesAreSkippedAndListed)
{
    ASSERT_NO_FATAL_FAILURE(LayOutScript(
        ScriptWithFiles(kFiles + "Null=NUL;README.TXT\r\nAux=SUB\\AUX.TXT;README.TXT\r\n"
                                 "Console=%CON;README.TXT\r\n"),
        {{"Quillor.exe", 3000, 1}, {"README.TXT", 100, 2}}));
    ASSERT_NO_FATAL_FAILURE(InstallThroughReports());
    std::string report = Uninstall();
    EXPECT_EQ(ExceptFor(3,
                        "\n" + medium.target + "\\NUL (a device name, skipped)\n" + medium.target +
                            "\\SUB\\AUX.TXT (a device name, skipped)\n" + WindowsFolder() +
                            "\\CON (a device name, skipped)",
                        false) +
                  "\n\nThe folder \"" + medium.target +
                  "\" stays: it holds files that the installation did not write.",
              report);
    EXPECT_EQ(1u, ExitCode());
    std::string command;
    EXPECT_EQ(-1, ReadRegistryText(HKEY_LOCAL_MACHINE, kQuillorEntry, "UninstallString", &command))
        << "the entry goes: nothing is left for another run";
}

}  // namespace
