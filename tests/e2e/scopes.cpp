// End-to-end tests of the two scopes: an installation for the current user (in the profile and HKEY_CURRENT_USER alone, and removed without a trace), the shortcuts found again whoever uninstalls, and the refusal of an installation in the other scope.
#include <shlobj.h>

#include "uninstall_fixture.h"

namespace {

const char kUserEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillor";
const char kUserAppPath[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Quillor.exe";
const char kRecordKey[] = "Software\\Quillor Setup";
const char kUserOpenCommand[] = "Software\\Classes\\txtfile\\shell\\open\\command";

std::string OtherScopeRefusal(const std::string& folder)
{
    return "This program is already installed in \"" + folder +
           "\" in the other scope (for all users or for one user). Uninstall it first.";
}

// The sample medium, installed for the current user (Wine starts every program elevated, so
// the run asks for it with /CURRENTUSER) into the proposal, the user's own program folder.
class ScopeTest : public SetupRunTest {
protected:
    void SetUp() override
    {
        SetupRunTest::SetUp();
        char path[MAX_PATH];
        // Asking the shell for the user's folders also records them under Shell Folders.
        SHGetFolderPathA(nullptr, CSIDL_PROGRAMS | CSIDL_FLAG_CREATE, nullptr, 0, path);
        SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY | CSIDL_FLAG_CREATE, nullptr, 0, path);
        programs = ShortcutFolder(false, false);
        desktop = ShortcutFolder(false, true);
        ASSERT_NE("", programs);
        ASSERT_NE("", desktop);
        savedPrograms = ReadStoredValue(HKEY_CURRENT_USER, kShellFolders, "Programs");
        savedDesktop = ReadStoredValue(HKEY_CURRENT_USER, kShellFolders, "Desktop");
        char local[MAX_PATH];
        ASSERT_NE(0u, GetEnvironmentVariableA("LOCALAPPDATA", local, MAX_PATH));
        target = std::string(local) + "\\Programs\\Quillor";
        RemoveInstallations();
        ASSERT_EQ(0, CreateSampleMedium("quillor-scope", &medium));
        logPath = medium.root + "\\setup.log";
        uninstallLog = medium.root + "\\uninstall.log";
    }

    void TearDown() override
    {
        CloseProgram(&program);
        RestoreStoredValue(HKEY_CURRENT_USER, kShellFolders, "Programs", savedPrograms);
        RestoreStoredValue(HKEY_CURRENT_USER, kShellFolders, "Desktop", savedDesktop);
        RemoveInstallations();
        SetupRunTest::TearDown();
    }

    // What an earlier run may have left of Quillor in either scope.
    void RemoveInstallations()
    {
        RemoveTree(target);
        RemoveTree(programs + "\\Quillor");
        RemoveTree(desktop + "\\Quillor.lnk");
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            RegDeleteKeyA(root, kUserEntry);
            RegDeleteKeyA(root, kUserAppPath);
        }
    }

    // Runs SETUP.EXE of the medium with the arguments, without anyone at the screen; its exit
    // status.
    DWORD RunQuietly(const std::string& arguments)
    {
        std::string exe = medium.folder + "\\SETUP.EXE";
        CloseProgram(&program);
        EXPECT_EQ(0, StartProgramWithArguments(exe.c_str(), arguments, medium.folder.c_str(),
                                               &program));
        DWORD code = 999;
        EXPECT_EQ(0, WaitForExit(program, &code));
        return code;
    }

    void InstallForTheUser(const std::string& more = "")
    {
        ASSERT_EQ(DWORD(kExitInstalled),
                  RunQuietly("/CURRENTUSER /S /LOG=\"" + logPath + "\"" + more));
        ASSERT_TRUE(PathExists(programs + "\\Quillor\\Quillor.lnk"));
        ASSERT_TRUE(PathExists(desktop + "\\Quillor.lnk"));
    }

    // Runs the entry's QuietUninstallString, as a deployment tool does; its exit status.
    DWORD UninstallQuietly()
    {
        std::string command;
        EXPECT_EQ(0, ReadRegistryText(HKEY_CURRENT_USER, kUserEntry, "QuietUninstallString",
                                      &command));
        CloseProgram(&program);
        // Its log beside the setup program's.
        size_t quiet = command.find(" /S /");
        EXPECT_NE(std::string::npos, quiet) << command;
        if (quiet != std::string::npos)
            command.insert(quiet + 3, " /LOG=\"" + uninstallLog + "\"");
        EXPECT_EQ(0, StartCommandLine(command, "C:\\", &program));
        DWORD code = 999;
        EXPECT_EQ(0, WaitForExit(program, &code));
        return code;
    }

    // The places outside the user's profile that an installation for all users writes.
    Snapshot Outside()
    {
        Snapshot snapshot;
        AddFolder(&snapshot, WindowsFolder(), false);
        AddFolder(&snapshot, ShortcutFolder(true, false), true);
        AddFolder(&snapshot, ShortcutFolder(true, true), false);
        for (const char* key : {kUninstallList, kAppPaths, kSharedFiles, kRecordKey})
            AddKey(&snapshot, HKEY_LOCAL_MACHINE, key);
        std::string pending;
        if (ReadRegistryText(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations",
                             &pending) == 0)
            snapshot.insert("pending " + pending);
        return snapshot;
    }

    // The user's own file types that the installation may bind.
    Snapshot UserClasses()
    {
        Snapshot snapshot;
        for (const char* key : {"txtfile", ".txt", ".log", ".ini"})
            AddKey(&snapshot, HKEY_CURRENT_USER, std::string("Software\\Classes\\") + key);
        return snapshot;
    }

    std::string target;
    std::string programs;
    std::string desktop;
    std::string logPath;
    std::string uninstallLog;
    StoredValue savedPrograms;
    StoredValue savedDesktop;
};

TEST_F(ScopeTest, ForTheCurrentUserNothingGoesOutsideTheProfileAndTheUninstallLeavesNothing)
{
    Snapshot before = Outside();
    Snapshot userClasses = UserClasses();
    // Yes to the default-editor question: the user's own file types.
    ASSERT_NO_FATAL_FAILURE(InstallForTheUser(" /REGISTER"));
    std::string log = ReadWholeFile(logPath);
    EXPECT_NE(std::string::npos, log.find("Scope: current user (switch)")) << log;
    EXPECT_NE(std::string::npos, log.find("Target directory: " + target)) << log;
    // The Windows-directory entries of the script, the uninstaller among them.
    for (const char* name : {"QUILLOR.INI", "Purgax.exe"}) {
        EXPECT_TRUE(PathExists(target + "\\" + name)) << name;
        EXPECT_NE(std::string::npos,
                  log.find("Into the program folder instead of the Windows directory: " +
                           std::string(name)))
            << log;
    }
    EXPECT_TRUE(PathExists(target + "\\Quillor.exe"));
    EXPECT_TRUE(PathExists(programs + "\\Quillor\\Read me.lnk"));
    std::string command;
    ASSERT_EQ(0, ReadRegistryText(HKEY_CURRENT_USER, kUserEntry, "UninstallString", &command));
    EXPECT_EQ(target + "\\Purgax.exe /" + target, command);
    ASSERT_EQ(0, ReadRegistryText(HKEY_CURRENT_USER, kUserAppPath, "", &command));
    EXPECT_EQ(target + "\\Quillor.exe", command);
    ASSERT_EQ(0, ReadRegistryText(HKEY_CURRENT_USER, kUserOpenCommand, "", &command));
    EXPECT_EQ("\"" + target + "\\Quillor.exe\" \"%1\"", command);
    ASSERT_EQ(0, ReadRegistryText(HKEY_CURRENT_USER, "Software\\Classes\\.log", "", &command))
        << log;
    EXPECT_EQ("txtfile", command);
    EXPECT_EQ(before, Outside()) << Differences(before, Outside());

    EXPECT_EQ(0u, UninstallQuietly()) << ReadWholeFile(uninstallLog);
    EXPECT_FALSE(PathExists(target));
    EXPECT_FALSE(PathExists(programs + "\\Quillor"));
    EXPECT_FALSE(PathExists(desktop + "\\Quillor.lnk"));
    EXPECT_EQ(-1, SubkeyCount(HKEY_CURRENT_USER, kUserEntry));
    EXPECT_EQ(-1, SubkeyCount(HKEY_CURRENT_USER, kUserAppPath));
    EXPECT_EQ(-1, SubkeyCount(HKEY_CURRENT_USER, kRecordKey));
    EXPECT_EQ(before, Outside()) << Differences(before, Outside());
    EXPECT_EQ(userClasses, UserClasses()) << Differences(userClasses, UserClasses());
}

// The entry says where the shortcuts are: an uninstall that reads other shell folder values
// (as another account has them) removes them all the same.
TEST_F(ScopeTest, AnUninstallWithOtherShellFoldersStillRemovesTheShortcuts)
{
    ASSERT_NO_FATAL_FAILURE(InstallForTheUser());
    const std::string elsewhere = medium.root + "\\elsewhere";
    ASSERT_EQ(0, MakeDirectories(elsewhere));
    ASSERT_EQ(0, WriteRegistryText(HKEY_CURRENT_USER, kShellFolders, "Programs", elsewhere));
    ASSERT_EQ(0, WriteRegistryText(HKEY_CURRENT_USER, kShellFolders, "Desktop", elsewhere));

    EXPECT_EQ(0u, UninstallQuietly()) << ReadWholeFile(uninstallLog);
    EXPECT_FALSE(PathExists(programs + "\\Quillor"));
    EXPECT_FALSE(PathExists(desktop + "\\Quillor.lnk"));
    EXPECT_FALSE(PathExists(target));
}

// Two entries for one program would stand in the programs list: an installation in the other
// scope is refused before anything is written, with a box that names its folder.
TEST_F(ScopeTest, AnInstallationInTheOtherScopeIsRefused)
{
    const std::string mine = medium.root + "\\mine";
    ASSERT_EQ(0, WriteRegistryText(HKEY_CURRENT_USER, kUserEntry, "InstallLocation", mine));
    Snapshot before = Outside();
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kErrorCaption, OtherScopeRefusal(mine)));
    ExpectExitStatus(kExitOtherScope);
    EXPECT_EQ(before, Outside()) << Differences(before, Outside());
    RegDeleteKeyA(HKEY_CURRENT_USER, kUserEntry);

    // Quiet, for the current user, with the machine's installation there.
    const std::string machines = medium.root + "\\machine";
    ASSERT_EQ(0, WriteRegistryText(HKEY_LOCAL_MACHINE, kUserEntry, "InstallLocation", machines));
    EXPECT_EQ(DWORD(kExitOtherScope),
              RunQuietly("/CURRENTUSER /S /LOG=\"" + logPath + "\""));
    EXPECT_NE(std::string::npos, ReadWholeFile(logPath).find(OtherScopeRefusal(machines)));
    EXPECT_FALSE(PathExists(target));
    EXPECT_EQ(-1, SubkeyCount(HKEY_CURRENT_USER, kUserEntry));
}

}  // namespace
