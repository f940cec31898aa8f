// The setup program against odd command lines and planted names: quiet runs that never wait, suffixes that run programs, the log's folder and names, the run lock, and a target that holds other files.
#include "unattended_fixture.h"

namespace {

const char kProgramSuffixesText[] = "These file types start programs and stay as they are: ";
const char kRunLockName[] = "Quillor Setup.lock";

class UnattendedAttackTest : public UnattendedTest {
protected:
    void LayOutEditor()
    {
        ASSERT_NO_FATAL_FAILURE(LayOutScript(
            "", "Editor=Quillor.exe\r\n[Registration]\r\nSuffixes=qtx\r\n",
            {{"Quillor.exe", 100, 1}}));
    }

    std::string TargetArgument() { return " /D=" + Quoted(medium.target); }
};

// /S after an unquoted /D=, glued to another switch, or inside a refused word: no box waits.
TEST_F(UnattendedAttackTest, QuietLookingCommandLinesNeverShowABox)
{
    ASSERT_NO_FATAL_FAILURE(LayOutScript("", "First=FIRST.TXT\r\n", {{"FIRST.TXT", 10, 1}}));
    EXPECT_EQ(DWORD(kExitInstalled), RunUnattended("/D=" + medium.target + " /S"));
    ExpectCopied(medium.target + "\\FIRST.TXT", "FIRST.TXT");
    EXPECT_EQ(DWORD(kExitInstalled), RunUnattended("/S/D=" + medium.target));
    EXPECT_EQ(DWORD(kExitInvalidSwitch), RunUnattended("/LOG=" + Quoted(LogPath()) + " /Bogus/S"));
    EXPECT_TRUE(Contains(ReadWholeFile(LogPath()), "Unknown switch \"/Bogus/S\" !"));
}

// A refusal logs no Windows error: no call failed for it.
TEST_F(UnattendedAttackTest, RefusalsLogNoWindowsError)
{
    ASSERT_NO_FATAL_FAILURE(LayOutScript("", "First=FIRST.TXT\r\n", {{"FIRST.TXT", 10, 1}}));
    const std::string rows[] = {" /X", " /D=C:\\", " /D=C:\\windows\\Quillor"};
    for (const std::string& refused : rows) {
        SCOPED_TRACE(refused);
        DeleteFileA(LogPath().c_str());
        EXPECT_EQ(DWORD(kExitInvalidSwitch),
                  RunUnattended("/S /LOG=" + Quoted(LogPath()) + refused));
        std::string log = ReadWholeFile(LogPath());
        EXPECT_TRUE(Contains(log, "Exit status 87")) << log;
        EXPECT_FALSE(Contains(log, "Windows error")) << log;
    }
}

// /REGISTER= longer than its field is refused; a suffix that runs programs is never bound,
// quietly (logged) or through the file types dialog (a box names it).
TEST_F(UnattendedAttackTest, SuffixesThatRunProgramsAreNeverBound)
{
    ASSERT_NO_FATAL_FAILURE(LayOutEditor());
    const char* const keys[] = {".exe", ".com", ".qtx", ".qty"};
    std::vector<StoredValue> saved;
    for (const char* key : keys) saved.push_back(ReadStoredValue(HKEY_CLASSES_ROOT, key, ""));

    EXPECT_EQ(DWORD(kExitInvalidSwitch),
              RunUnattended("/S /REGISTER=\"" + std::string(128, 'q') + "\"" + TargetArgument()));
    EXPECT_FALSE(PathExists(medium.target));
    EXPECT_EQ(DWORD(kExitInstalled), RunUnattended("/S /LOG=" + Quoted(LogPath()) +
                                                   " /REGISTER=\"qtx EXE\"" + TargetArgument()));
    EXPECT_TRUE(Contains(ReadWholeFile(LogPath()), kProgramSuffixesText + std::string("EXE")));

    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDYES, kCaption, kQuestion));
    HWND fileTypes = WaitForWindow(program, DIALOG_CLASS, kCaption, IDC_REGISTRATION_EDIT);
    ASSERT_TRUE(fileTypes);
    SetControlText(fileTypes, IDC_REGISTRATION_EDIT, "qty com");
    ASSERT_EQ(0, PressButton(fileTypes, IDYES));
    ASSERT_NO_FATAL_FAILURE(
        ExpectMessage(IDOK, kCaption, kProgramSuffixesText + std::string("com")));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kCaption, kReportDone));
    ExpectExitCodeZero();

    std::string type;
    EXPECT_EQ(0, ReadRegistryText(HKEY_CLASSES_ROOT, ".qtx", "", &type));
    EXPECT_EQ("txtfile", type);
    EXPECT_EQ(0, ReadRegistryText(HKEY_CLASSES_ROOT, ".qty", "", &type));
    EXPECT_EQ("txtfile", type);
    for (size_t i = 0; i < saved.size(); i++) {
        if (i < 2) {
            EXPECT_EQ(saved[i], ReadStoredValue(HKEY_CLASSES_ROOT, keys[i], "")) << keys[i];
        }
        RestoreStoredValue(HKEY_CLASSES_ROOT, keys[i], "", saved[i]);
    }
}

// /LOG= in a folder that is a link to another place writes nothing there.
TEST_F(UnattendedAttackTest, LogFolderThatIsALinkIsNotFollowed)
{
    ASSERT_NO_FATAL_FAILURE(LayOutScript("", "First=FIRST.TXT\r\n", {{"FIRST.TXT", 10, 1}}));
    const std::string elsewhere = medium.root + "\\elsewhere";
    const std::string logs = medium.root + "\\logs";
    ASSERT_EQ(0, MakeDirectories(elsewhere));
    links.push_back(logs);
    ASSERT_EQ(0, MakeUnixLink(logs, elsewhere));
    EXPECT_EQ(DWORD(kExitInstalled),
              RunUnattended("/S /LOG=" + Quoted(logs + "\\run.log") + TargetArgument()));
    EXPECT_FALSE(PathExists(elsewhere + "\\run.log"));
}

// When the first numbered log names are all taken, the log gets a name nobody could guess.
TEST_F(UnattendedAttackTest, TakenLogNamesLeadToAnUnpredictableName)
{
    const std::string stem = LayOutNamedApplication("QuillorTaken");
    const std::string temp = stem.substr(0, stem.rfind('\\') + 1);
    const std::string application = stem.substr(temp.size(), stem.size() - temp.size() - 1);
    std::vector<std::string> taken;
    for (int number = 1; number <= 9; number++) {
        taken.push_back(stem + std::to_string(number) + ".log");
        ASSERT_EQ(0, WriteFileBytes(taken.back(), "taken"));
    }
    EXPECT_EQ(DWORD(kExitInstalled), RunUnattended("/S" + TargetArgument()));
    EXPECT_FALSE(PathExists(stem + "10.log"));
    std::vector<std::string> found;
    for (const ListedFile& file : ListFolder(temp)) {
        // "<application>-" and eight hexadecimal digits, ".log".
        if (file.name.rfind(application + "-", 0) == 0 &&
            file.name.size() == application.size() + 13)
            found.push_back(temp + file.name);
    }
    ASSERT_EQ(1u, found.size());
    EXPECT_TRUE(Contains(ReadWholeFile(found[0]), "Exit status 0\r\n"));
    for (const std::string& path : taken) DeleteFileA(path.c_str());
    for (const std::string& path : found) DeleteFileA(path.c_str());
}

// The old run mutex, made and held by anybody, holds no run; a lock that cannot be taken ends
// either program's run before anything is changed.
TEST_F(UnattendedAttackTest, OnlyTheAdministratorsLockHoldsARun)
{
    ASSERT_NO_FATAL_FAILURE(LayOutScript(
        "", "First=FIRST.TXT\r\nScript=SETUP.INF\r\nUninstaller=%Purgax.exe\r\n",
        {{"FIRST.TXT", 10, 1}}));
    ASSERT_EQ(0, CopyProgramToMedium(medium, "Purgax.exe"));
    HANDLE planted = CreateMutexA(nullptr, TRUE, "Global\\QuillorSetupAndUninstallRun");
    ASSERT_TRUE(planted != nullptr);
    EXPECT_EQ(DWORD(kExitInstalled), RunUnattended("/S" + TargetArgument()));
    CloseHandle(planted);
    std::string quiet;
    ASSERT_EQ(0, ReadRegistryText(HKEY_LOCAL_MACHINE, kEntry, "QuietUninstallString", &quiet));

    const std::string lock = WindowsFolder() + "\\" + kRunLockName;
    DeleteFileA(lock.c_str());
    ASSERT_TRUE(CreateDirectoryA(lock.c_str(), nullptr));
    const std::string other = medium.root + "\\other";
    EXPECT_EQ(DWORD(kExitEarlyEnd),
              RunUnattended("/S /LOG=" + Quoted(LogPath()) + " /D=" + Quoted(other)));
    ASSERT_EQ(0, StartCommandLine(quiet, "C:\\", &program));
    const DWORD uninstalled = WaitWithoutQuestions(nullptr);
    RemoveDirectoryA(lock.c_str());
    EXPECT_FALSE(PathExists(other));
    EXPECT_TRUE(Contains(ReadWholeFile(LogPath()), CannotOpen(lock)));
    EXPECT_EQ(2u, uninstalled);   // nothing done
    EXPECT_TRUE(PathExists(medium.target + "\\FIRST.TXT"));
    EXPECT_TRUE(EntryExists());
}

// A target that holds other files is asked about, No by default; a quiet run given it goes on.
TEST_F(UnattendedAttackTest, ATargetHoldingOtherFilesIsAskedAbout)
{
    ASSERT_NO_FATAL_FAILURE(LayOutScript("", "First=FIRST.TXT\r\n", {{"FIRST.TXT", 10, 1}}));
    ASSERT_EQ(0, MakeDirectories(medium.target));
    ASSERT_EQ(0, WriteFileBytes(medium.target + "\\mine.txt", "mine"));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    Question box = WaitForQuestion(kMessageBoxQuestion);
    ASSERT_TRUE(box.window);
    EXPECT_EQ(FolderNotEmpty(medium.target), box.text);
    const LONG noStyle = GetWindowLongA(GetDlgItem(box.window, IDNO), GWL_STYLE);
    EXPECT_EQ(BS_DEFPUSHBUTTON, noStyle & BS_TYPEMASK);
    ASSERT_EQ(0, AnswerQuestion(program, box, IDNO));
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDYES, kCaption, FolderNotEmpty(medium.target)));
    ASSERT_NO_FATAL_FAILURE(ExpectSuccessfulEnd());
    ExpectContent(medium.target + "\\mine.txt", "mine");

    const std::string other = medium.root + "\\other";
    ASSERT_EQ(0, MakeDirectories(other));
    ASSERT_EQ(0, WriteFileBytes(other + "\\mine.txt", "mine"));
    EXPECT_EQ(DWORD(kExitInstalled),
              RunUnattended("/S /LOG=" + Quoted(LogPath()) + " /D=" + Quoted(other)));
    EXPECT_TRUE(Contains(ReadWholeFile(LogPath()), FolderNotEmpty(other)));
    ExpectCopied(other + "\\FIRST.TXT", "FIRST.TXT");
}

}  // namespace
