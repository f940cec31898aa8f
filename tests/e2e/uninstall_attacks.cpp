// End-to-end tests of what another user or another program can do to the uninstaller: links swapped in while a question waits, refused folders written another way, shared things of two installations, two runs at once, a locked script copy, device names.
#include "uninstall_fixture.h"

#include "resources/resource_ids.h"

namespace {

const char kLinkedFormat[] = "Nothing was removed: the folder \"%s\" is reached through a link to another place.";
const char kWholeFolderFormat[] =
    "The installed copy of the setup script is missing or has been changed, so the files of "
    "this installation are not known. Remove the folder \"%s\" and everything in it ?";
const char kAnotherRun[] =
    "Another installation or uninstallation is running. Nothing was removed: let it finish, then "
    "start the uninstaller again.";

std::string Formatted(const char* format, const std::string& argument)
{
    std::string text = format;
    return text.replace(text.find("%s"), 2, argument);
}

const std::string kFiles =
    "Editor=Quillor.exe\r\nRead me=README.TXT\r\nScript=SETUP.INF\r\nUninstaller=%Purgax.exe\r\n";

class UninstallAttackTest : public UninstallTest {
protected:
    void TearDown() override
    {
        CloseProgram(&second);
        UninstallTest::TearDown();
    }

    // Installs the script with the editor, a read-me and the uninstaller into medium.target.
    void InstallQuillor(const std::string& moreFiles = "", int editorAnswer = IDNO)
    {
        ASSERT_NO_FATAL_FAILURE(LayOutScript(ScriptWithFiles(kFiles + moreFiles),
                                             {{"Quillor.exe", 3000, 1}, {"README.TXT", 100, 2}}));
        ASSERT_NO_FATAL_FAILURE(Install(editorAnswer));
    }

    // Runs SETUP.EXE into medium.target through whatever it reports (a device it cannot
    // write, another application's name): OK to each box, No to the default-editor question.
    void InstallThroughReports()
    {
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
        for (int boxes = 0; boxes < 8; boxes++) {
            Question box;
            if (NextQuestion(program, &box, kWindowWaitMs, kMessageBoxQuestion) != 0) break;
            bool question = box.text == kQuestion;
            ASSERT_EQ(0, AnswerQuestion(program, box, question ? IDNO : IDOK));
            if (box.text.rfind("Installation", 0) == 0) break;
        }
        DWORD code = 99;
        ASSERT_EQ(0, WaitForExit(program, &code));
        CloseProgram(&program);
    }

    // A folder of decoy files that no uninstallation may touch.
    std::string MakeDecoys(const std::string& folder)
    {
        EXPECT_EQ(0, MakeDirectories(folder));
        EXPECT_EQ(0, WriteFileBytes(folder + "\\README.TXT", "decoy read-me"));
        EXPECT_EQ(0, WriteFileBytes(folder + "\\KEEP.TXT", "decoy"));
        return folder;
    }

    void ExpectDecoys(const std::string& folder)
    {
        ExpectContent(folder + "\\README.TXT", "decoy read-me");
        ExpectContent(folder + "\\KEEP.TXT", "decoy");
    }

    DrivenProgram second = {};
};

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
    const std::string nearby = "another program is installed in, inside or around it.";
    const std::pair<std::string, std::string> rows[] = {
        {programFiles + ".", "a drive, system or profile folder, or one that holds it."},
        {"C:", "a drive, system or profile folder, or one that holds it."},
        {medium.target, nearby},
        {medium.target + "\\B\\C", nearby},
        {medium.root + "\\" + std::string(127 - medium.root.size(), 'x'),
         "its full path is longer than 127 characters."},
    };
    for (const auto& row : rows) {
        ASSERT_EQ(0, ChooseTargetDirectory(program, kCaption, row.first.c_str()));
        ExpectMessage(IDOK, kCaption, "Cannot install into \"" + row.first + "\": " + row.second);
    }
    ASSERT_EQ(0, PressButton(WaitForDirectoryDialog(), IDC_DIRECTORY_CANCEL));
    ExpectExitStatus(kExitDirectoryCancelled);
    EXPECT_FALSE(PathExists(medium.target));
}

// A second installation inside the first keeps its App Paths entry, its text-file commands
// and the Windows-directory file that both count.
TEST_F(UninstallAttackTest, AnotherInstallationsSharedThingsStay)
{
    const std::string shared = "QUILLOR-E2E-" + std::to_string(GetCurrentProcessId()) + ".INI";
    const std::string sharedPath = WindowsFolder() + "\\" + shared;
    ASSERT_NO_FATAL_FAILURE(InstallQuillor("Settings=%" + shared + ";README.TXT\r\n", IDYES));
    // What the second installation in target\B wrote, as an installer of its own would.
    const std::string other = medium.target + "\\B";
    ASSERT_EQ(0, MakeDirectories(other));
    ASSERT_EQ(0, WriteFileBytes(other + "\\Quillor.exe", "the other editor"));
    AddEntry("QuillorB", uninstaller + " /" + other);
    WriteRegistryText(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "\\Quillor.exe", "",
                      other + "\\Quillor.exe");
    SetExpandableCommand(kOpenCommand, "\"" + other + "\\Quillor.exe\" \"%1\"");
    SetExpandableCommand(kPrintCommand, "\"" + other + "\\Quillor.exe\" /p \"%1\"");
    ASSERT_EQ(0, WriteRegistryValue(HKEY_LOCAL_MACHINE, kSharedFiles, sharedPath.c_str(),
                                    REG_DWORD, Dword(2)));
    Snapshot before;
    AddKey(&before, HKEY_LOCAL_MACHINE, kAppPaths);
    AddKey(&before, HKEY_CLASSES_ROOT, "txtfile");

    EXPECT_EQ(std::string(kRemoved) + "\n\nThe folder \"" + medium.target +
                  "\" stays: it holds files that the installation did not write.",
              Uninstall());
    EXPECT_EQ(0u, ExitCode());
    Snapshot after;
    AddKey(&after, HKEY_LOCAL_MACHINE, kAppPaths);
    AddKey(&after, HKEY_CLASSES_ROOT, "txtfile");
    EXPECT_EQ("", Differences(before, after));
    EXPECT_TRUE(PathExists(sharedPath));
    EXPECT_EQ(Dword(1), ReadStoredValue(HKEY_LOCAL_MACHINE, kSharedFiles, sharedPath.c_str()).data);
    ExpectContent(other + "\\Quillor.exe", "the other editor");
    EXPECT_FALSE(PathExists(medium.target + "\\Quillor.exe"));
    RemoveTree(sharedPath);
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, kSharedFiles, sharedPath.c_str());
}

// A Windows-directory file that was there before the first installation is counted twice:
// the uninstaller keeps it. One that lost its count is kept and listed.
TEST_F(UninstallAttackTest, AWindowsFileThatWasThereBeforeStays)
{
    const std::string shared = "QUILLOR-E2E-" + std::to_string(GetCurrentProcessId()) + ".INI";
    const std::string sharedPath = WindowsFolder() + "\\" + shared;
    ASSERT_EQ(0, WriteFileBytes(sharedPath, "the system's own"));
    ASSERT_NO_FATAL_FAILURE(InstallQuillor("Settings=%" + shared + ";README.TXT\r\n"));
    EXPECT_EQ(Dword(2), ReadStoredValue(HKEY_LOCAL_MACHINE, kSharedFiles, sharedPath.c_str()).data);
    EXPECT_EQ(kRemoved, Uninstall());
    EXPECT_TRUE(PathExists(sharedPath));
    EXPECT_EQ(Dword(1), ReadStoredValue(HKEY_LOCAL_MACHINE, kSharedFiles, sharedPath.c_str()).data);

    ASSERT_NO_FATAL_FAILURE(Install(IDNO));
    ASSERT_EQ(0, DeleteRegistryValue(HKEY_LOCAL_MACHINE, kSharedFiles, sharedPath.c_str()));
    EXPECT_EQ(ExceptFor(1, "\n" + sharedPath + " (there before the installation, kept)", false),
              Uninstall());
    EXPECT_EQ(1u, ExitCode());
    EXPECT_TRUE(PathExists(sharedPath));
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

    const std::string name = "Quillor" + std::string(58, 'q');
    ASSERT_EQ(0, WriteMediumFile(medium, "SETUP.INF",
                                 "[Install]\r\nApplication=" + name +
                                     "\r\nCaption=Quillor Setup\r\n[Files]\r\n" + kFiles +
                                     kGroupLines));
    ASSERT_NO_FATAL_FAILURE(InstallThroughReports());
    const std::string group = (ShellFolder("Programs") + "\\" + name).substr(0, 127);
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
    EXPECT_EQ((DWORD)kNothingDoneStatus, code);
    CloseProgram(&second);

    const std::string setup = "\"" + medium.folder + "\\SETUP.EXE\"";
    ASSERT_EQ(0, StartCommandLine(setup, medium.folder.c_str(), &second));
    ASSERT_EQ(0, AnswerMessageBox(second, IDOK, &refused));
    EXPECT_EQ("Another setup or uninstall is running. Start this one again when it has finished.",
              refused.text);
    ASSERT_EQ(0, WaitForExit(second, &code));
    EXPECT_EQ((DWORD)kExitAnotherRun, code);

    ASSERT_EQ(0, AnswerQuestion(program, first, IDYES));
    SeenMessageBox report;
    AnswerMessageBox(program, IDOK, &report);
    EXPECT_EQ(0u, ExitCode());
    ExpectContent(document, "my own notes");
}

// Two entries that name one folder: their files cannot be told apart, so nothing is done.
TEST_F(UninstallAttackTest, TwoEntriesForOneFolderAreRefusedAndListed)
{
    ASSERT_NO_FATAL_FAILURE(InstallQuillor());
    for (const char* other : {"QuillorTwin", "QuillorWithLocation"}) {
        SCOPED_TRACE(other);
        // The same uninstall command, or the same folder as the other's InstallLocation.
        if (other[7] == 'T') {
            AddEntry(other, UninstallString());
        } else {
            AddEntry(other, uninstaller + " /C:\\Elsewhere");
            WriteRegistryText(HKEY_LOCAL_MACHINE, std::string(kUninstallList) + "\\" + other,
                              "InstallLocation", medium.target + ".");
        }
        Snapshot before = TakeSnapshot();
        StartUninstaller(UninstallString());
        ExpectMessage(IDOK, kRefusalCaption,
                      "Nothing was removed: more than one installed program names the folder of "
                      "this installation, so its files cannot be told apart. The entries are:"
                      "\nQuillor\n" + std::string(other));
        EXPECT_EQ((DWORD)kNothingDoneStatus, ExitCode());
        EXPECT_EQ("", Differences(before, TakeSnapshot()));
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kUninstallList) + "\\" + other).c_str());
    }
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

// An uninstallation leaves Purgax.exe to the next restart; an installation before it takes
// that back. An entry that names Purgax.exe another way still counts as needing it.
TEST_F(UninstallAttackTest, AReinstallBeforeTheRestartKeepsTheUninstaller)
{
    ASSERT_NO_FATAL_FAILURE(InstallQuillor());
    AddEntry("QuillorOther", "%SystemRoot%\\PURGAX.EXE /C:\\Other");
    EXPECT_EQ(kRemoved, Uninstall());
    EXPECT_EQ(0, PendingRemovals(uninstaller)) << "named by another entry";
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kUninstallList) + "\\QuillorOther").c_str());

    ASSERT_NO_FATAL_FAILURE(Install(IDNO));
    EXPECT_EQ(kRemoved, Uninstall());
    EXPECT_EQ(IsNamedByAnEntry(uninstaller) ? 0 : 1, PendingRemovals(uninstaller));
    // As the uninstallation of another installation that was the last to name it would leave it.
    if (PendingRemovals(uninstaller) == 0) {
        ASSERT_TRUE(MoveFileExA(uninstaller.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    }
    ASSERT_NO_FATAL_FAILURE(Install(IDNO));
    EXPECT_EQ(0, PendingRemovals(uninstaller));
    EXPECT_TRUE(PathExists(uninstaller));
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
