// End-to-end tests of the uninstaller: SETUP.EXE installs, then Purgax.exe is started from the uninstall entry as the system starts it, and the prefix's files, links and registry values are compared.
#include "uninstall_fixture.h"

namespace {

TEST_F(UninstallTest, InstallThenUninstallPutsThePrefixBackAsItWas)
{
    const std::string windowsFile = "QUILLOR-E2E-" + std::to_string(GetCurrentProcessId()) + ".INI";
    const std::string script =
        "[Install]\r\nApplication=Quillor\r\nCaption=Quillor Setup\r\nPublisher=Quillor Makers\r\n"
        "Version=2.1\r\n[Files]\r\nEditor=Quillor.exe\r\nRead me=README.TXT\r\n"
        "Sample=SAMPLES\\HELLO.TXT\r\nScript=SETUP.INF\r\nUninstaller=%Purgax.exe\r\n"
        "Settings=%" + windowsFile + ";QUILLOR.INI\r\n" + kGroupLines;
    ASSERT_NO_FATAL_FAILURE(LayOutScript(script, {{"Quillor.exe", 30000, 1},
                                                  {"README.TXT", 100, 2},
                                                  {"SAMPLES\\HELLO.TXT", 50, 3},
                                                  {"QUILLOR.INI", 10, 4}}));
    // The system's own text-file commands, which the uninstaller puts back.
    SetExpandableCommand(kOpenCommand, "%SystemRoot%\\system32\\NOTEPAD.EXE %1");
    SetExpandableCommand(kPrintCommand, "%SystemRoot%\\system32\\NOTEPAD.EXE /p %1");
    Snapshot before = TakeSnapshot();

    ASSERT_NO_FATAL_FAILURE(Install(IDYES));
    // The installation takes back any deletion of the uninstaller left for the next restart.
    const int pending = PendingRemovals(uninstaller);
    EXPECT_EQ(0, pending);
    // What the programs list shows, beside the values of the installation's registration.
    const std::string editor = medium.target + "\\Quillor.exe";
    long long sources = 30000 + 100 + 50 + 10 + (long long)script.size() +
                        ReadFileSizeOnDisk(medium.folder + "\\Purgax.exe");
    const struct {
        const char* name;
        DWORD type;
        std::string data;
    } values[] = {
        {"DisplayName", REG_SZ, std::string("Quillor") + std::string(121, '\0')},
        {"UninstallString", REG_SZ, uninstaller + " /" + medium.target},
        {"InstallLocation", REG_SZ, medium.target},
        {"DisplayIcon", REG_SZ, editor},
        {"EstimatedSize", REG_DWORD, Dword(DWORD((sources + 1023) / 1024))},
        {"NoModify", REG_DWORD, Dword(1)},
        {"NoRepair", REG_DWORD, Dword(1)},
        {"Publisher", REG_SZ, "Quillor Makers"},
        {"DisplayVersion", REG_SZ, "2.1"},
    };
    for (const auto& value : values) {
        StoredValue written = ReadWrittenValue(HKEY_LOCAL_MACHINE, kQuillorEntry, value.name);
        EXPECT_EQ(value.data, written.data) << value.name;
        EXPECT_EQ(value.type, written.type) << value.name;
    }
    EXPECT_EQ(64u, ReadWrittenValue(HKEY_LOCAL_MACHINE, kQuillorEntry, "ScriptSha256").data.size());
    EXPECT_TRUE(PathExists(places.group + "\\Read me.lnk"));

    const std::string commandLine = UninstallString();
    EXPECT_EQ(kRemoved, Uninstall());
    EXPECT_EQ(0u, ExitCode());
    // The running uninstaller goes at the system's next start, unless another entry (left by
    // another program's test) still names it.
    EXPECT_EQ(pending + (IsNamedByAnEntry(uninstaller) ? 0 : 1), PendingRemovals(uninstaller));
    Snapshot after = TakeSnapshot();
    ForgetFile(&before, uninstaller);
    ForgetFile(&after, uninstaller);
    EXPECT_EQ("", Differences(before, after));
    ExpectNoEntry(commandLine);
}

TEST_F(UninstallTest, DocumentsStayAndALockedFileWaitsForASecondRun)
{
    ASSERT_NO_FATAL_FAILURE(LayOutScript(
        ScriptWithFiles("Read me=README.TXT\r\nSample=SAMPLES\\HELLO.TXT\r\nScript=SETUP.INF\r\n"
                        "Uninstaller=%Purgax.exe\r\n"),
        {{"README.TXT", 100, 1}, {"SAMPLES\\HELLO.TXT", 50, 2}}));
    ASSERT_NO_FATAL_FAILURE(Install(IDNO));
    // Another installation that needs the uninstaller too.
    const std::string uninstaller = WindowsFolder() + "\\Purgax.exe";
    ASSERT_NO_FATAL_FAILURE(AddEntry("QuillorOther", uninstaller + " /C:\\Other"));
    const int pending = PendingRemovals(uninstaller);
    EXPECT_FALSE(ReadStoredValue(HKEY_LOCAL_MACHINE, kQuillorEntry, "Publisher").valueExists);
    EXPECT_FALSE(ReadStoredValue(HKEY_LOCAL_MACHINE, kQuillorEntry, "DisplayVersion").valueExists);

    const std::string document = medium.target + "\\SAMPLES\\NOTES.TXT";
    ASSERT_EQ(0, WriteFileBytes(document, "my own notes"));
    const std::string readMe = medium.target + "\\README.TXT";
    HANDLE lock = CreateFileA(readMe.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    EXPECT_EQ(ExceptFor(1, "\n" + readMe + " (in use)", true), Uninstall());
    EXPECT_EQ(1u, ExitCode());
    CloseHandle(lock);
    EXPECT_FALSE(PathExists(medium.target + "\\SAMPLES\\HELLO.TXT"));
    EXPECT_TRUE(PathExists(medium.target + "\\SETUP.INF")) << "kept for the second run";

    EXPECT_EQ(std::string(kRemoved) + "\n\nThe folder \"" + medium.target +
                  "\" stays: it holds files that the installation did not write.",
              Uninstall());
    EXPECT_EQ(0u, ExitCode());
    ExpectContent(document, "my own notes");
    for (const char* gone : {"\\README.TXT", "\\SETUP.INF", "\\SAMPLES\\HELLO.TXT"})
        EXPECT_FALSE(PathExists(medium.target + gone)) << gone;
    std::string command;
    EXPECT_EQ(-1, ReadRegistryText(HKEY_LOCAL_MACHINE, kQuillorEntry, "UninstallString", &command));
    EXPECT_EQ(pending, PendingRemovals(uninstaller));
}

TEST_F(UninstallTest, NothingOutsideTheTargetIsRemovedEvenWhenTheScriptNamesIt)
{
    // The medium itself names places outside the target, which the installer writes.
    const std::string outside = "C:\\QUILLOR-E2E-" + std::to_string(GetCurrentProcessId()) + ".TXT";
    ASSERT_NO_FATAL_FAILURE(LayOutScript(
        ScriptWithFiles("Read me=README.TXT\r\nOut=..\\decoys\\KEEP.TXT;README.TXT\r\n"
                        "Linked=LINKED\\FILE.TXT;README.TXT\r\nWindows=%.." + outside.substr(2) +
                        ";README.TXT\r\nScript=SETUP.INF\r\n"),
        {{"README.TXT", 100, 1}}));
    const std::string decoys = medium.root + "\\decoys";
    ASSERT_EQ(0, WriteMediumFile(medium, "..\\decoys\\FILE.TXT", "decoy"));
    ASSERT_NO_FATAL_FAILURE(Install(IDNO));
    // A person's link in place of a folder of the installation.
    ASSERT_EQ(0, RemoveTree(medium.target + "\\LINKED"));
    ASSERT_EQ(0, Link(medium.target + "\\LINKED", decoys));

    std::string report = Uninstall();
    EXPECT_EQ(1u, ExitCode());
    const char* skipped = " (outside the folder of the installation, skipped)";
    EXPECT_NE(std::string::npos, report.find("\n" + medium.target + "\\..\\decoys\\KEEP.TXT" + skipped))
        << report;
    EXPECT_NE(std::string::npos, report.find("\n" + WindowsFolder() + "\\.." + outside.substr(2) + skipped))
        << report;
    EXPECT_TRUE(!PathExists(medium.target + "\\LINKED") ||
                report.find("\n" + medium.target + "\\LINKED (a link that cannot be removed here)") !=
                    std::string::npos)
        << report;
    EXPECT_FALSE(PathExists(medium.target + "\\README.TXT"));
    EXPECT_TRUE(PathExists(outside));
    ExpectContent(decoys + "\\FILE.TXT", "decoy");
    ExpectCopied(decoys + "\\KEEP.TXT", "README.TXT");
    RemoveTree(outside);
}

TEST_F(UninstallTest, WithoutTheTrustedScriptCopyOnlyAYesRemovesTheFolder)
{
    const std::string windowsFile = "QUILLOR-E2E-" + std::to_string(GetCurrentProcessId()) + ".INI";
    ASSERT_NO_FATAL_FAILURE(LayOutScript(
        ScriptWithFiles("Read me=README.TXT\r\nSample=SAMPLES\\HELLO.TXT\r\nScript=SETUP.INF\r\n"
                        "Settings=%" + windowsFile + ";README.TXT\r\n"),
        {{"README.TXT", 100, 1}, {"SAMPLES\\HELLO.TXT", 50, 2}}));
    const std::string decoys = medium.root + "\\decoys";
    ASSERT_EQ(0, WriteMediumFile(medium, "..\\decoys\\KEEP.TXT", "decoy"));
    ASSERT_NO_FATAL_FAILURE(Install(IDNO));
    // An edited copy that names a file outside the target, and a link to the same place.
    std::string copy;
    ASSERT_EQ(0, ReadFileBytes(medium.target + "\\SETUP.INF", &copy));
    ASSERT_EQ(0, WriteFileBytes(medium.target + "\\SETUP.INF", copy + "Decoy=..\\decoys\\KEEP.TXT\r\n"));
    ASSERT_EQ(0, Link(medium.target + "\\LINKED", decoys));
    Snapshot installed = TakeSnapshot();

    EXPECT_EQ(ExceptFor(2, "\n" + medium.target + " (kept at your request)\n" + WindowsFolder() +
                               " (not known without the setup script copy)", true),
              Uninstall(IDNO));
    EXPECT_EQ(1u, ExitCode());
    Snapshot kept = TakeSnapshot();
    for (const std::string& line : installed) {
        if (line.rfind("file ", 0) == 0) {
            EXPECT_TRUE(kept.count(line)) << line;
        }
    }

    std::string report = Uninstall(IDYES);
    ExitCode();
    for (const char* gone : {"\\README.TXT", "\\SETUP.INF", "\\SAMPLES"})
        EXPECT_FALSE(PathExists(medium.target + gone)) << gone;
    EXPECT_TRUE(!PathExists(medium.target + "\\LINKED") ||
                report.find(medium.target + "\\LINKED (a link that cannot be removed here)") !=
                    std::string::npos)
        << report;
    ExpectContent(decoys + "\\KEEP.TXT", "decoy");
    EXPECT_TRUE(PathExists(WindowsFolder() + "\\" + windowsFile)) << "not known without the copy";
    RemoveTree(WindowsFolder() + "\\" + windowsFile);
}

TEST_F(UninstallTest, RefusedCommandLinesTouchNothing)
{
    ASSERT_NO_FATAL_FAILURE(LayOut("", {{"decoys\\KEEP.TXT", 10, 1}, {"decoys\\SETUP.INF", 10, 2}}));
    const std::string decoys = medium.folder + "\\decoys";
    ASSERT_EQ(0, Link(medium.root + "\\linked", decoys));
    char profile[MAX_PATH] = "";
    GetEnvironmentVariableA("USERPROFILE", profile, MAX_PATH);
    std::string programFiles;
    ReadRegistryText(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
                     "ProgramFilesDir", &programFiles);
    const std::string usage =
        "Start the uninstaller from the list of installed programs: it takes the folder of an "
        "installation after a slash, as in Purgax.exe /C:\\Program Files\\Quillor. Nothing was "
        "removed.";
    const std::string profiles = std::string(profile).substr(0, std::string(profile).rfind('\\'));
    std::vector<std::string> refused = {
        "decoys", "C:\\", "C:", decoys + "\\..\\decoys", medium.folder + "/decoys",
        WindowsFolder(), WindowsFolder() + "\\system32", programFiles, profile, profiles,
        decoys + "\\\\sub", "C:\\a\"b"};
    const std::string program = "\"" + ProgramFolder() + "\\Purgax.exe\"";
    std::vector<std::pair<std::string, std::string>> rows = {
        {program, usage},
        {program + " /", usage},
        {program + " /" + medium.root + "\\linked",
         "Nothing was removed: the folder \"" + medium.root +
             "\\linked\" is reached through a link to another place."},
    };
    for (const std::string& target : refused)
        rows.push_back({program + " /" + target,
                        "Nothing was removed: \"" + target + "\" is not a folder that an "
                        "installation is removed from (a drive, the Windows folder, the program "
                        "files folder, a profile folder or a path that is not complete)."});
    // Each refused folder has an entry, so that only the refusal keeps it from being removed.
    for (size_t i = 0; i < rows.size(); i++)
        AddEntry("QuillorDecoy" + std::to_string(i),
                 WindowsFolder() + "\\Purgax.exe" + rows[i].first.substr(program.size()));
    Snapshot before = TakeSnapshot();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.first);
        ASSERT_NO_FATAL_FAILURE(StartUninstaller(row.first, medium.folder));
        ExpectMessage(IDOK, kRefusalCaption, row.second);
        EXPECT_EQ((DWORD)kNothingDoneStatus, ExitCode());
    }
    Snapshot after = TakeSnapshot();
    EXPECT_EQ("", Differences(before, after));
}

}  // namespace
