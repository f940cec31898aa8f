// End-to-end tests of installations that share things: App Paths, text-file commands and Windows-directory files of two installations, one folder named by two entries, another installation inside the target, and a reinstallation before the restart.
#include "uninstall_attack_fixture.h"

namespace {

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

// An uninstall killed after it had counted the shared files down and removed the script copy
// leaves its entry saying so: the next one removes what is left (the folder, the entry) without
// the copy, and counts nothing down a second time.
TEST_F(UninstallAttackTest, AnUninstallKilledAfterTheCopyWentIsFinishedByTheNextOne)
{
    const std::string shared = "QUILLOR-E2E-" + std::to_string(GetCurrentProcessId()) + ".INI";
    const std::string sharedPath = WindowsFolder() + "\\" + shared;
    ASSERT_EQ(0, WriteFileBytes(sharedPath, "another program's"));
    ASSERT_NO_FATAL_FAILURE(InstallQuillor("Settings=%" + shared + ";README.TXT\r\n"));
    // What the killed run had done: every file gone, the count down to the other program's.
    ASSERT_EQ(0, RemoveTree(medium.target));
    ASSERT_EQ(0, MakeDirectories(medium.target));
    ASSERT_EQ(0, WriteRegistryValue(HKEY_LOCAL_MACHINE, kSharedFiles, sharedPath.c_str(),
                                    REG_DWORD, Dword(1)));
    const std::string entry = std::string(kUninstallList) + "\\Quillor";
    ASSERT_EQ(0, WriteRegistryValue(HKEY_LOCAL_MACHINE, entry, "CountsReleased", REG_DWORD,
                                    Dword(1)));

    EXPECT_EQ(kRemoved, Uninstall());
    EXPECT_EQ(0u, ExitCode());
    EXPECT_EQ(-1, SubkeyCount(HKEY_LOCAL_MACHINE, entry)) << "the entry is gone";
    EXPECT_FALSE(PathExists(medium.target));
    EXPECT_TRUE(PathExists(sharedPath)) << "the other program still counts it";
    EXPECT_EQ(Dword(1), ReadStoredValue(HKEY_LOCAL_MACHINE, kSharedFiles, sharedPath.c_str()).data);
    RemoveTree(sharedPath);
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, kSharedFiles, sharedPath.c_str());
}

// The whole-folder removal never enters the folder of another installation inside the target.
TEST_F(UninstallAttackTest, TheWholeFolderKeepsAnotherInstallationsFolder)
{
    ASSERT_NO_FATAL_FAILURE(InstallQuillor());
    ASSERT_EQ(0, RemoveTree(medium.target + "\\SETUP.INF"));
    const std::string other = medium.target + "\\B";
    ASSERT_EQ(0, MakeDirectories(other));
    ASSERT_EQ(0, WriteFileBytes(other + "\\Quillor.exe", "the other editor"));
    AddEntry("QuillorB", uninstaller + " /C:\\Elsewhere");
    WriteRegistryText(HKEY_LOCAL_MACHINE, std::string(kUninstallList) + "\\QuillorB",
                      "InstallLocation", other);
    EXPECT_EQ(ExceptFor(3,
                        "\n" + other + " (the folder of another installed program, kept)\n" +
                            medium.target + " (cannot be removed)\n" + WindowsFolder() +
                            " (not known without the setup script copy)",
                        false),
              Uninstall(IDYES));
    EXPECT_EQ(1u, ExitCode());
    ExpectContent(other + "\\Quillor.exe", "the other editor");
    EXPECT_FALSE(PathExists(medium.target + "\\README.TXT"));
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

}  // namespace
