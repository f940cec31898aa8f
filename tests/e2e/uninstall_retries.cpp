// End-to-end tests of quiet uninstallations run again after items were held, of quiet command lines written the ways tools write them, and of other vendors' entries: the other registry view, expandable or quoted locations, entries with only an uninstall command, and entries that name a whole drive.
#include "uninstall_attack_fixture.h"

namespace {

const char kOtherView[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillor64";

class UninstallRetryTest : public UninstallAttackTest {
protected:
    void SetUp() override
    {
        UninstallAttackTest::SetUp();
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kOtherView, KEY_WOW64_64KEY, 0);
    }

    void TearDown() override
    {
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kOtherView, KEY_WOW64_64KEY, 0);
        UninstallAttackTest::TearDown();
    }

    std::string QuietCommand() { return "\"" + uninstaller + "\" /S /" + medium.target; }

    // Runs a quiet uninstallation; no box may wait. Its exit status.
    DWORD UninstallQuietly(const std::string& commandLine)
    {
        EXPECT_EQ(0, StartCommandLine(commandLine, "C:\\", &program));
        return WaitWithoutQuestions(nullptr);
    }

    void SetLocation(const std::string& entry, DWORD type, const std::string& location)
    {
        ASSERT_EQ(0, WriteRegistryValue(HKEY_LOCAL_MACHINE, std::string(kUninstallList) + "\\" +
                                                                entry,
                                        "InstallLocation", type, location + '\0'));
    }
};

// A held file makes the run end with 1; only the run that removes the entry lowers the count
// of a file that another installation still uses.
TEST_F(UninstallRetryTest, ARetriedRunCountsASharedFileDownOnce)
{
    const std::string shared = "QUILLOR-E2E-" + std::to_string(GetCurrentProcessId()) + ".INI";
    const std::string sharedPath = WindowsFolder() + "\\" + shared;
    ASSERT_NO_FATAL_FAILURE(InstallQuillor("Settings=%" + shared + ";README.TXT\r\n"));
    ASSERT_EQ(0, WriteRegistryValue(HKEY_LOCAL_MACHINE, kSharedFiles, sharedPath.c_str(),
                                    REG_DWORD, Dword(2)));
    HANDLE held = CreateFileA((medium.target + "\\README.TXT").c_str(), GENERIC_READ,
                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(1u, UninstallQuietly(QuietCommand()));
    EXPECT_EQ(Dword(2), ReadStoredValue(HKEY_LOCAL_MACHINE, kSharedFiles, sharedPath.c_str()).data);
    CloseHandle(held);
    EXPECT_EQ(0u, UninstallQuietly(QuietCommand()));
    EXPECT_EQ(Dword(1), ReadStoredValue(HKEY_LOCAL_MACHINE, kSharedFiles, sharedPath.c_str()).data);
    EXPECT_TRUE(PathExists(sharedPath));
    RemoveTree(sharedPath);
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, kSharedFiles, sharedPath.c_str());
}

// Folders held open (as a console's current folder holds them): the script copy stays for the
// retry, which then finishes.
TEST_F(UninstallRetryTest, HeldFoldersKeepTheScriptCopyForTheRetry)
{
    ASSERT_NO_FATAL_FAILURE(InstallQuillor("Notes=SUB\\NOTES.TXT;README.TXT\r\n"));
    HANDLE held[2];
    const std::string folders[2] = {medium.target + "\\SUB", medium.target};
    for (int i = 0; i < 2; i++) {
        held[i] = CreateFileA(folders[i].c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held[i]);
    }
    EXPECT_EQ(1u, UninstallQuietly(QuietCommand()));
    EXPECT_TRUE(PathExists(medium.target + "\\SETUP.INF"));
    EXPECT_FALSE(PathExists(medium.target + "\\SUB\\NOTES.TXT"));
    CloseHandle(held[0]);
    CloseHandle(held[1]);
    EXPECT_EQ(0u, UninstallQuietly(QuietCommand()));
    EXPECT_FALSE(PathExists(medium.target));
    std::string command;
    EXPECT_EQ(-1, ReadRegistryText(HKEY_LOCAL_MACHINE, kQuillorEntry, "UninstallString", &command));
}

// A hard link in the target to a read-only file elsewhere: that file keeps its mark.
TEST_F(UninstallRetryTest, AHardLinkToAReadOnlyFileLeavesThatFileAlone)
{
    ASSERT_NO_FATAL_FAILURE(InstallQuillor());
    const std::string outside = MakeDecoys(medium.root + "\\outside") + "\\KEEP.TXT";
    ASSERT_TRUE(SetFileAttributesA(outside.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string link = medium.target + "\\README.TXT";
    ASSERT_TRUE(DeleteFileA(link.c_str()));
    ASSERT_TRUE(CreateHardLinkA(link.c_str(), outside.c_str(), nullptr));
    EXPECT_EQ(1u, UninstallQuietly(QuietCommand()));
    EXPECT_EQ((DWORD)FILE_ATTRIBUTE_READONLY,
              GetFileAttributesA(outside.c_str()) & FILE_ATTRIBUTE_READONLY);
    ExpectContent(outside, "decoy");
    SetFileAttributesA(outside.c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA(link.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The whole folder kept by a quiet run: the editor stays, and so do its registrations.
TEST_F(UninstallRetryTest, AKeptEditorKeepsItsRegistrations)
{
    ASSERT_NO_FATAL_FAILURE(InstallQuillor("", IDYES));
    ASSERT_EQ(0, RemoveTree(medium.target + "\\SETUP.INF"));
    Snapshot before;
    AddKey(&before, HKEY_LOCAL_MACHINE, kAppPaths);
    AddKey(&before, HKEY_CLASSES_ROOT, "txtfile");
    EXPECT_EQ(1u, UninstallQuietly(QuietCommand()));
    Snapshot after;
    AddKey(&after, HKEY_LOCAL_MACHINE, kAppPaths);
    AddKey(&after, HKEY_CLASSES_ROOT, "txtfile");
    EXPECT_EQ("", Differences(before, after));
    EXPECT_TRUE(PathExists(medium.target + "\\Quillor.exe"));
}

// Quiet switches written as tools write them: quoted one by one, glued to the target, after
// it, and a log whose path holds a blank. None shows a box; each reads the target whole.
TEST_F(UninstallRetryTest, QuietSwitchesAreReadInEveryForm)
{
    ASSERT_NO_FATAL_FAILURE(LayOut("Read me=README.TXT\r\n", {{"README.TXT", 10, 1}}));
    const std::string log = medium.root + "\\my logs\\un.log";
    ASSERT_EQ(0, MakeDirectories(medium.root + "\\my logs"));
    const std::string purgax = "\"" + ProgramFolder() + "\\Purgax.exe\" ";
    const std::string target = medium.target;
    const std::string rows[] = {
        "\"/S\" \"/LOG=" + log + "\" \"/" + target + "\"",
        "/S/" + target + " \"/LOG=" + log + "\"",
        "/" + target + " /S /LOG=\"" + log + "\"",
        "-s \"/LOG=" + log + "\" /" + target,
    };
    for (const std::string& row : rows) {
        SCOPED_TRACE(row);
        DeleteFileA(log.c_str());
        EXPECT_EQ((DWORD)kNothingDoneStatus, UninstallQuietly(purgax + row));
        std::string text = ReadWholeFile(log);
        EXPECT_NE(std::string::npos, text.find("No installation in \"" + target + "\""))
            << text;
    }
    // A line that holds /S anywhere shows no box, whatever else it holds.
    for (const char* row : {"/Q /S", "/S /Q", "/S"}) {
        SCOPED_TRACE(row);
        EXPECT_EQ((DWORD)kNothingDoneStatus, UninstallQuietly(purgax + row));
    }
}

// Other vendors' installations inside the target: an entry of the other registry view, an
// expandable and a quoted InstallLocation, and an entry with only an uninstall command. The
// whole-folder removal keeps each of their folders.
TEST_F(UninstallRetryTest, OtherVendorsEntriesInEveryFormAreSeen)
{
    ASSERT_NO_FATAL_FAILURE(InstallQuillor());
    ASSERT_EQ(0, RemoveTree(medium.target + "\\SETUP.INF"));
    const std::string other = medium.target + "\\";
    for (const char* folder : {"B", "C", "D", "E"}) {
        ASSERT_EQ(0, MakeDirectories(other + folder));
        ASSERT_EQ(0, WriteFileBytes(other + folder + "\\unins000.exe", "another vendor's"));
    }
    HKEY key = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kOtherView, 0, nullptr, 0,
                                             KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key,
                                             nullptr));
    const std::string location = other + "B";
    RegSetValueExA(key, "InstallLocation", 0, REG_SZ, (const BYTE*)location.c_str(),
                   (DWORD)location.size() + 1);
    RegCloseKey(key);
    char drive[] = "%SystemDrive%";
    ASSERT_EQ(0, _strnicmp(other.c_str(), "C:", 2));
    AddEntry("QuillorC", "C:\\Elsewhere\\unins000.exe");
    SetLocation("QuillorC", REG_EXPAND_SZ, drive + other.substr(2) + "C");
    AddEntry("QuillorD", "C:\\Elsewhere\\unins000.exe");
    SetLocation("QuillorD", REG_SZ, "\"" + other + "D\"");
    AddEntry("QuillorE", "\"" + other + "E\\unins000.exe\" /SILENT");
    std::string report = Uninstall(IDYES);
    for (const char* folder : {"B", "C", "D", "E"}) {
        SCOPED_TRACE(folder);
        EXPECT_NE(std::string::npos, report.find("\n" + other + folder +
                                                 " (the folder of another installed program, kept)"))
            << report;
        ExpectContent(other + folder + "\\unins000.exe", "another vendor's");
    }
    EXPECT_FALSE(PathExists(medium.target + "\\README.TXT"));
}

// The other view's entry for the same folder is a second entry for it.
TEST_F(UninstallRetryTest, AnEntryOfTheOtherViewForTheSameFolderIsRefused)
{
    ASSERT_NO_FATAL_FAILURE(InstallQuillor());
    HKEY key = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kOtherView, 0, nullptr, 0,
                                             KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key,
                                             nullptr));
    const std::string command = "\"" + medium.target + "\\unins000.exe\"";
    RegSetValueExA(key, "UninstallString", 0, REG_SZ, (const BYTE*)command.c_str(),
                   (DWORD)command.size() + 1);
    RegCloseKey(key);
    StartUninstaller(UninstallString());
    ExpectMessage(IDOK, kRefusalCaption,
                  "Nothing was removed: more than one installed program names the folder of "
                  "this installation, so its files cannot be told apart. The entries are:"
                  "\nQuillor\nQuillor64");
    EXPECT_EQ((DWORD)kNothingDoneStatus, ExitCode());
    EXPECT_TRUE(PathExists(medium.target + "\\README.TXT"));
}

// An entry whose InstallLocation is a whole drive or a system folder names no installation:
// the installer takes a folder below it, and the uninstaller removes that installation.
TEST_F(UninstallRetryTest, AnEntryOfARefusedFolderNamesNoInstallation)
{
    AddEntry("QuillorLoose", "C:\\unins000.exe");
    SetLocation("QuillorLoose", REG_SZ, "C:\\");
    AddEntry("QuillorSystem", "C:\\Elsewhere\\unins000.exe");
    SetLocation("QuillorSystem", REG_EXPAND_SZ, "%SystemRoot%");
    ASSERT_NO_FATAL_FAILURE(InstallQuillor());
    EXPECT_EQ(kRemoved, Uninstall());
    EXPECT_FALSE(PathExists(medium.target));
}

}  // namespace
