// End-to-end tests of the uninstaller: SETUP.EXE installs, then Purgax.exe is started from the uninstall entry as the system starts it, and the prefix's files, links and registry values are compared.
#include "setup_run.h"
#include "unix_links.h"

#include <string.h>

#include <set>

namespace {

const char kUninstallList[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kQuillorEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillor";
const char kAppPaths[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kOpenCommand[] = "txtfile\\shell\\open\\command";
const char kPrintCommand[] = "txtfile\\shell\\print\\command";
const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";

const char kRefusalCaption[] = "Uninstall";
const char kCaptionOfQuillor[] = "Uninstall Quillor";
const char kConfirm[] = "Do you want to remove Quillor and all of its parts from this computer ?";
const char kRemoved[] = "Quillor was removed completely.";
const char kEntryStays[] =
    "Its entry stays in the list of installed programs: run the uninstaller again once these "
    "items are free.";

enum { kNothingDoneStatus = 2 };

// Files, folders and registry values of the places an installation touches, one string each,
// so that two states compare as sets and a difference names what changed.
typedef std::set<std::string> Snapshot;

void AddFolder(Snapshot* snapshot, const std::string& folder, bool deep)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        std::string path = folder + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            snapshot->insert("folder " + path);
            if (deep) AddFolder(snapshot, path, deep);
        } else {
            snapshot->insert("file " + path + " " + std::to_string(found.nFileSizeLow));
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void AddKey(Snapshot* snapshot, HKEY root, const std::string& path)
{
    HKEY key = 0;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    snapshot->insert("key " + path);
    for (DWORD index = 0;; index++) {
        char name[256];
        BYTE data[2048];
        DWORD nameLength = sizeof name;
        DWORD size = sizeof data;
        DWORD type = 0;
        if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &size) !=
            ERROR_SUCCESS)
            break;
        snapshot->insert("value " + path + "|" + name + "|" + std::to_string(type) + "|" +
                         std::string(reinterpret_cast<char*>(data), size));
    }
    for (DWORD index = 0;; index++) {
        char name[256];
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        AddKey(snapshot, root, path + "\\" + name);
    }
    RegCloseKey(key);
}

std::string ShellFolder(const char* name)
{
    std::string folder;
    ReadRegistryText(HKEY_CURRENT_USER, kShellFolders, name, &folder);
    return folder;
}

std::string Differences(const Snapshot& before, const Snapshot& after)
{
    std::string text;
    for (const std::string& line : before)
        if (!after.count(line)) text += "  gone:  " + line + "\n";
    for (const std::string& line : after)
        if (!before.count(line)) text += "  added: " + line + "\n";
    return text;
}

// How many times the system is to delete path at its next start.
int PendingRemovals(const std::string& path)
{
    HKEY key = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &key) != 0)
        return 0;
    std::string data(65536, '\0');
    DWORD size = (DWORD)data.size();
    LONG status = RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(&data[0]), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return 0;
    data.resize(size);
    // Pairs of names: the file, then an empty name for a deletion.
    std::vector<std::string> names;
    for (size_t at = 0; at < data.size(); at += names.back().size() + 1)
        names.push_back(data.c_str() + at);
    int count = 0;
    for (size_t i = 0; i + 1 < names.size(); i += 2)
        count += lstrcmpiA(names[i].c_str(), ("\\??\\" + path).c_str()) == 0 && names[i + 1].empty();
    return count;
}

// Nonzero when an uninstall entry starts the program at path.
bool IsNamedByAnEntry(const std::string& path)
{
    HKEY list = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallList, 0, KEY_READ, &list) != 0) return false;
    bool named = false;
    char name[256];
    for (DWORD i = 0, size = sizeof name;
         !named && RegEnumKeyExA(list, i, name, &size, nullptr, nullptr, nullptr, nullptr) == 0;
         i++, size = sizeof name) {
        std::string command;
        ReadRegistryText(HKEY_LOCAL_MACHINE, (std::string(kUninstallList) + "\\" + name).c_str(),
                         "UninstallString", &command);
        named = lstrcmpiA(command.substr(0, path.size() + 1).c_str(), (path + " ").c_str()) == 0;
    }
    RegCloseKey(list);
    return named;
}

std::string Dword(DWORD value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

// The system's own form of a text-file command: expandable, with its terminating zero.
void SetExpandableCommand(const char* key, const std::string& command)
{
    WriteRegistryValue(HKEY_CLASSES_ROOT, key, "", REG_EXPAND_SZ, command + '\0');
}

// Makes link a symbolic link to the folder target, as a person could have put it there. The
// prefix's files are Unix files: the link is made by the system's own ln. 0 or -1.
int MakeFolderLink(const std::string& link, const std::string& target)
{
    std::string from = UnixName(target);
    std::string to = UnixName(link);
    if (from.empty() || to.empty())
        return CreateSymbolicLinkA(link.c_str(), target.c_str(), 1) ? 0 : -1;
    return MakeUnixLink(link, target);
}

// Removes such a link itself (deleting it through the system's calls would empty its target).
void RemoveFolderLink(const std::string& link)
{
    std::string name = UnixName(link);
    if (name.empty())
        RemoveDirectoryA(link.c_str());
    else if (GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES)
        RunUnixShell("rm -f '" + name + "'");
}

const char kGroupLines[] =
    "[Group]\r\n"
    "Quillor.lnk=Quillor.exe,Quillor text editor,%Quillor.exe,0\r\n"
    "Read me.lnk=README.TXT,Notes on this version,,0\r\n";

class UninstallTest : public SetupRunTest {
protected:
    void SetUp() override
    {
        SetupRunTest::SetUp();
        places = {ShellFolder("Programs") + "\\Quillor", ShellFolder("Desktop")};
        savedOpen = ReadStoredValue(HKEY_CLASSES_ROOT, kOpenCommand, "");
        savedPrint = ReadStoredValue(HKEY_CLASSES_ROOT, kPrintCommand, "");
        RemoveEarlierInstallation();
    }

    void TearDown() override
    {
        CloseProgram(&program);
        for (const std::string& link : links) RemoveFolderLink(link);
        RemoveEarlierInstallation();
        RestoreStoredValue(HKEY_CLASSES_ROOT, kOpenCommand, "", savedOpen);
        RestoreStoredValue(HKEY_CLASSES_ROOT, kPrintCommand, "", savedPrint);
        SetupRunTest::TearDown();
    }

    // Removes what an earlier, maybe interrupted, run left: the installation and the entries
    // of other installations that these tests make (all named Quillor and more).
    void RemoveEarlierInstallation()
    {
        RemoveTree(places.group);
        RemoveTree(places.desktop + "\\Quillor.lnk");
        HKEY list = 0;
        std::vector<std::string> names;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallList, 0, KEY_READ, &list) == 0) {
            char name[256];
            for (DWORD i = 0, size = sizeof name;
                 RegEnumKeyExA(list, i, name, &size, nullptr, nullptr, nullptr, nullptr) == 0;
                 i++, size = sizeof name)
                if (strncmp(name, "Quillor", 7) == 0) names.push_back(name);
            RegCloseKey(list);
        }
        for (const std::string& name : names)
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kUninstallList) + "\\" + name).c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kAppPaths) + "\\Quillor.exe").c_str());
    }

    // Lays out a medium with the whole script, the sources and the built Purgax.exe.
    void LayOutScript(const std::string& script, const std::vector<SourceFile>& sources)
    {
        ASSERT_NO_FATAL_FAILURE(LayOut("", sources));
        ASSERT_EQ(0, WriteMediumFile(medium, "SETUP.INF", script));
        ASSERT_EQ(0, CopyProgramToMedium(medium, "Purgax.exe"));
    }

    // Runs SETUP.EXE into medium.target, answering the default-editor question as told.
    void Install(int answer)
    {
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(answer, kCaption, kQuestion));
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kCaption, kReportDone));
        ExpectExitCodeZero();
        CloseProgram(&program);
    }

    // Starts the uninstaller with a command line, as the programs list starts UninstallString.
    void StartUninstaller(const std::string& commandLine, const std::string& folder = "C:\\")
    {
        CloseProgram(&program);
        ASSERT_EQ(0, StartCommandLine(commandLine, folder.c_str(), &program));
    }

    std::string UninstallString()
    {
        std::string command;
        EXPECT_EQ(0, ReadRegistryText(HKEY_LOCAL_MACHINE, kQuillorEntry, "UninstallString",
                                      &command));
        return command;
    }

    DWORD ExitCode()
    {
        DWORD code = 99;
        EXPECT_EQ(0, WaitForExit(program, &code));
        return code;
    }

    // Runs the uninstaller of the entry and says Yes; answers the question about the whole
    // folder with folderAnswer when it is not 0. Returns the report, answered with OK.
    std::string Uninstall(int folderAnswer = 0)
    {
        StartUninstaller(UninstallString());
        ExpectMessage(IDYES, kCaptionOfQuillor, kConfirm);
        if (folderAnswer)
            ExpectMessage(folderAnswer, kCaptionOfQuillor,
                          "The installed copy of the setup script is missing or has been "
                          "changed, so the files of this installation are not known. Remove the "
                          "folder \"" + medium.target + "\" and everything in it ?");
        SeenMessageBox report;
        AnswerMessageBox(program, IDOK, &report);
        EXPECT_EQ(kCaptionOfQuillor, report.caption);
        return report.text;
    }

    // A run that finds no entry says so and touches nothing.
    void ExpectNoEntry(const std::string& commandLine)
    {
        ASSERT_NO_FATAL_FAILURE(StartUninstaller(commandLine));
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kRefusalCaption,
                                              "No installation in \"" + medium.target +
                                              "\" is listed among the installed programs. "
                                              "Nothing was removed."));
        EXPECT_EQ((DWORD)kNothingDoneStatus, ExitCode());
    }

    Snapshot TakeSnapshot()
    {
        Snapshot snapshot;
        AddFolder(&snapshot, medium.root, true);
        AddFolder(&snapshot, WindowsFolder(), false);
        AddFolder(&snapshot, ShellFolder("Programs"), true);
        AddFolder(&snapshot, places.desktop, false);
        AddKey(&snapshot, HKEY_LOCAL_MACHINE, kUninstallList);
        AddKey(&snapshot, HKEY_LOCAL_MACHINE, kAppPaths);
        AddKey(&snapshot, HKEY_CLASSES_ROOT, "txtfile");
        return snapshot;
    }

    struct {
        std::string group;
        std::string desktop;
    } places;
    // An uninstall entry of another installation, until the test ends; name begins with
    // Quillor.
    void AddEntry(const std::string& name, const std::string& command)
    {
        std::string key = std::string(kUninstallList) + "\\" + name;
        HKEY opened = 0;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                                                 KEY_SET_VALUE, nullptr, &opened, nullptr));
        RegSetValueExA(opened, "UninstallString", 0, REG_SZ, (const BYTE*)command.c_str(),
                       (DWORD)command.size() + 1);
        RegCloseKey(opened);
    }

    // Makes link point to the folder target until the test ends. 0 or -1.
    int Link(const std::string& link, const std::string& target)
    {
        links.push_back(link);
        return MakeFolderLink(link, target);
    }

    StoredValue savedOpen;
    StoredValue savedPrint;
    std::vector<std::string> links;
};

std::string ExceptFor(int count, const std::string& items, bool entryStays)
{
    return "Quillor was removed, except for these items (" + std::to_string(count) + "):" +
           items + (entryStays ? std::string("\n\n") + kEntryStays : "");
}

// Removes from a snapshot the line of the file at path, whatever its size.
void ForgetFile(Snapshot* snapshot, const std::string& path)
{
    for (auto line = snapshot->begin(); line != snapshot->end();)
        line = line->rfind("file " + path + " ", 0) == 0 ? snapshot->erase(line) : std::next(line);
}

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
    const std::string uninstaller = WindowsFolder() + "\\Purgax.exe";
    const int pending = PendingRemovals(uninstaller);
    Snapshot before = TakeSnapshot();

    ASSERT_NO_FATAL_FAILURE(Install(IDYES));
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

    EXPECT_EQ(ExceptFor(1, "\n" + medium.target + " (kept at your request)", true), Uninstall(IDNO));
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
