// The setup program and the uninstaller started with switches, as deployment tools start them: silent runs that never wait, exit statuses, the log, and the quiet uninstall.
#include "setup_run.h"

#include "unix_links.h"

namespace {

const char kEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillor";
const char kEditorPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Quillor.exe";
const char kOpenCommand[] = "txtfile\\shell\\open\\command";
const char kPrintCommand[] = "txtfile\\shell\\print\\command";

struct WindowSearch {
    DWORD processId;
    int found;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM context)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) search->found = 1;
    return !search->found;
}

// Nonzero when the process has a visible top-level window.
int HasVisibleWindow(DWORD processId)
{
    WindowSearch search = {processId, 0};
    EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class UnattendedTest : public SetupRunTest {
protected:
    void SetUp() override
    {
        SetupRunTest::SetUp();
        savedOpen = ReadStoredValue(HKEY_CLASSES_ROOT, kOpenCommand, "");
        savedPrint = ReadStoredValue(HKEY_CLASSES_ROOT, kPrintCommand, "");
        RemoveEntries();
    }

    void TearDown() override
    {
        CloseProgram(&program);
        for (const std::string& link : links) RemoveUnixLink(link);
        RemoveEntries();
        RestoreStoredValue(HKEY_CLASSES_ROOT, kOpenCommand, "", savedOpen);
        RestoreStoredValue(HKEY_CLASSES_ROOT, kPrintCommand, "", savedPrint);
        SetupRunTest::TearDown();
    }

    void RemoveEntries()
    {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEntry);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEditorPath);
    }

    // Lays out a medium whose script has the given Install lines besides Application and
    // Caption, the Files lines and anything after them.
    void LayOutScript(const std::string& installLines, const std::string& rest,
                      const std::vector<SourceFile>& sources)
    {
        ASSERT_NO_FATAL_FAILURE(LayOut("", sources));
        std::string script = "[Install]\r\nApplication=Quillor\r\nCaption=Quillor Setup\r\n" +
                             installLines + "[Files]\r\n" + rest;
        ASSERT_EQ(0, WriteMediumFile(medium, "SETUP.INF", script));
    }

    void StartWith(const std::string& arguments)
    {
        ASSERT_EQ(0, StartProgramWithArguments((medium.folder + "\\SETUP.EXE").c_str(),
                                               arguments, medium.folder.c_str(), &program));
    }

    // Runs SETUP.EXE with arguments to its end and returns its exit status. Any message box or
    // dialog that asks something fails the test, and so does any visible window at all when
    // windowsSeen is null; otherwise *windowsSeen says whether one was seen.
    DWORD RunUnattended(const std::string& arguments, int* windowsSeen = nullptr)
    {
        StartWith(arguments);
        return WaitWithoutQuestions(windowsSeen);
    }

    DWORD WaitWithoutQuestions(int* windowsSeen)
    {
        DWORD processId = program.process.dwProcessId;
        DWORD start = GetTickCount();
        while (WaitForSingleObject(program.process.hProcess, kPollMs) == WAIT_TIMEOUT) {
            Question asked;
            if (FindQuestion(program, &asked) == 0) {
                ADD_FAILURE() << "a question waited: " << asked.caption << ": " << asked.text;
                CloseProgram(&program);
                return 999;
            }
            int visible = HasVisibleWindow(processId);
            if (windowsSeen != nullptr)
                *windowsSeen |= visible;
            else
                EXPECT_FALSE(visible) << DescribeScreen(processId);
            if (GetTickCount() - start > kExitWaitMs) {
                ADD_FAILURE() << "no end: " << DescribeScreen(processId);
                CloseProgram(&program);
                return 999;
            }
        }
        DWORD code = 999;
        GetExitCodeProcess(program.process.hProcess, &code);
        CloseProgram(&program);
        return code;
    }

    bool EntryExists()
    {
        HKEY key = 0;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEntry, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    std::string LogPath() { return medium.root + "\\run.log"; }
    std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

    StoredValue savedOpen;
    StoredValue savedPrint;
    std::vector<std::string> links;
};

// Every box that an answered run meets: a source missing in the size pass, a destination that
// cannot be created (OK/Cancel), a destination folder that cannot be created, a bitmap that
// cannot be read, and the default-editor question.
const char kEveryBoxInstall[] = "Bitmap=MISSING.BMP\r\n";
const char kEveryBoxFiles[] =
    "First=FIRST.TXT\r\nMissing=MISSING.TXT\r\nBlocked=BLOCKED;BLOCKED.TXT\r\n"
    "Deep=BAD*DIR\\DEEP.TXT;DEEP.TXT\r\nLast=LAST.TXT\r\n";
const std::vector<SourceFile> kEveryBoxSources = {
    {"FIRST.TXT", 9000, 1}, {"BLOCKED.TXT", 10, 2}, {"DEEP.TXT", 10, 3}, {"LAST.TXT", 20, 4}};

TEST_F(UnattendedTest, VerySilentRunMeetsEveryBoxWithoutAWindowAndLogsTheAnswers)
{
    ASSERT_NO_FATAL_FAILURE(LayOutScript(kEveryBoxInstall, kEveryBoxFiles, kEveryBoxSources));
    ASSERT_EQ(0, MakeDirectories(medium.target + "\\BLOCKED"));

    EXPECT_EQ(DWORD(kExitPartial),
              RunUnattended("/S /D=" + Quoted(medium.target) + " /LOG=" + Quoted(LogPath())));

    // OK was taken for the blocked file: the copy went on with the next ones.
    ExpectCopied(medium.target + "\\FIRST.TXT", "FIRST.TXT");
    ExpectCopied(medium.target + "\\LAST.TXT", "LAST.TXT");
    std::string log = ReadWholeFile(LogPath());
    const std::string expected[] = {
             "Command line: ", "Script: " + medium.folder + "\\SETUP.INF",
             "Target directory: " + medium.target,
             CannotOpen(medium.folder + "\\MISSING.TXT") + "\r\n  Answer: OK (silent default)",
             CannotOpen(medium.target + "\\BLOCKED") + "\r\n  Windows error 5\r\n"
                                                       "  Answer: OK (silent default)",
             "Cannot create \"" + medium.target + "\\BAD*DIR\" !",
             "Copied " + medium.folder + "\\LAST.TXT -> " + medium.target + "\\LAST.TXT, 20 bytes",
             "Not copied: BLOCKED", std::string(kQuestion) + "\r\n  Answer: No (silent default)",
             "Registry HKLM\\" + std::string(kEntry) + " \"DisplayName\" = Quillor, status 0",
             std::string(kReportPartial) + "\r\n  Answer: OK (silent default)",
             "Exit status 2\r\n"};
    for (const std::string& line : expected)
        EXPECT_TRUE(Contains(log, line)) << "missing: " << line << "\nin:\n" << log;
    // Without /REGISTER the associations stay as they were.
    EXPECT_EQ(savedOpen, ReadStoredValue(HKEY_CLASSES_ROOT, kOpenCommand, ""));
    std::string quiet;
    ASSERT_EQ(0, ReadRegistryText(HKEY_LOCAL_MACHINE, kEntry, "QuietUninstallString", &quiet));
    EXPECT_EQ("\"" + WindowsFolder() + "\\Purgax.exe\" /S /" + medium.target, quiet);
}

TEST_F(UnattendedTest, PassiveRunShowsItsWindowsButAsksNothing)
{
    ASSERT_NO_FATAL_FAILURE(LayOutScript(kEveryBoxInstall, kEveryBoxFiles, kEveryBoxSources));
    ASSERT_EQ(0, MakeDirectories(medium.target + "\\BLOCKED"));
    int windowsSeen = 0;
    EXPECT_EQ(DWORD(kExitPartial),
              RunUnattended("-passive /DIR=" + Quoted(medium.target), &windowsSeen));
    EXPECT_TRUE(windowsSeen);
    ExpectCopied(medium.target + "\\LAST.TXT", "LAST.TXT");
}

TEST_F(UnattendedTest, WrongCommandLinesEndWithStatus87AndInstallNothing)
{
    ASSERT_NO_FATAL_FAILURE(LayOutScript("", "First=FIRST.TXT\r\n", {{"FIRST.TXT", 10, 1}}));
    const std::string log = " /LOG=" + Quoted(LogPath());
    const std::string rows[] = {
        "/S" + log + " /X",
        "/S" + log + " /D=relative\\folder",
        "/S" + log + " /D=C:\\",
        "/S" + log + " /D=" + Quoted(medium.target + "\\..\\elsewhere"),
        "/S" + log + " /DIR",
        "/S" + log + " /NORESTART=1",
        "/SILENT" + log + " plain",
        "/S /LOG=\"unclosed",
        // Well formed, but a folder the installer refuses, as it refuses a typed one.
        "/S" + log + " /D=C:\\windows\\Quillor",
    };
    for (const std::string& arguments : rows) {
        SCOPED_TRACE(arguments);
        DeleteFileA(LogPath().c_str());
        EXPECT_EQ(DWORD(kExitInvalidSwitch), RunUnattended(arguments));
        EXPECT_FALSE(PathExists(medium.target));
        EXPECT_FALSE(PathExists("C:\\windows\\Quillor"));
        EXPECT_FALSE(EntryExists());
        if (Contains(arguments, "run.log")) {
            EXPECT_TRUE(Contains(ReadWholeFile(LogPath()), "Exit status 87\r\n"));
        }
    }
    // With a window, a box names the switch.
    ASSERT_NO_FATAL_FAILURE(StartWith("/Bogus"));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kErrorCaption,
                                          "Unknown switch \"/Bogus\" !"));
    ExpectExitStatus(kExitInvalidSwitch);
    EXPECT_FALSE(PathExists(medium.target));
}

TEST_F(UnattendedTest, ScriptsThatCannotBeUsedEndQuietlyWithStatus1)
{
    ASSERT_NO_FATAL_FAILURE(LayOutScript("", "First=FIRST.TXT\r\n", {{"FIRST.TXT", 10, 1}}));
    // Each of these shows a box before any window in an answered run.
    const char* const scripts[] = {
        "[Files]\r\nFirst=FIRST.TXT\r\n",                                   // no [Install]
        "[Install]\r\nCaption=Quillor Setup\r\n[Files]\r\nFirst=FIRST.TXT\r\n",  // no Application
        "[Install]\r\nApplication=Quillor\r\n",                             // no [Files]
        nullptr,                                                              // no script at all
    };
    for (const char* script : scripts) {
        SCOPED_TRACE(script ? script : "no script");
        if (script)
            ASSERT_EQ(0, WriteMediumFile(medium, "SETUP.INF", script));
        else
            ASSERT_TRUE(DeleteFileA((medium.folder + "\\SETUP.INF").c_str()));
        DeleteFileA(LogPath().c_str());
        EXPECT_EQ(DWORD(kExitEarlyEnd), RunUnattended("/S /LOG=" + Quoted(LogPath())));
        EXPECT_TRUE(Contains(ReadWholeFile(LogPath()), "(silent default)\r\nExit status 1\r\n"))
            << ReadWholeFile(LogPath());
    }
    EXPECT_FALSE(PathExists(medium.target));
}

TEST_F(UnattendedTest, HelpListsTheSwitchesAndEndsWithZero)
{
    ASSERT_NO_FATAL_FAILURE(LayOutScript("", "First=FIRST.TXT\r\n", {{"FIRST.TXT", 10, 1}}));
    ASSERT_NO_FATAL_FAILURE(StartWith("/?"));
    Question box = WaitForQuestion(kMessageBoxQuestion);
    ASSERT_TRUE(box.window);
    EXPECT_EQ(0u, box.text.find("SETUP ")) << box.text;
    // Every switch the program takes, the synonyms too.
    for (const char* name : {"/S|", "/VERYSILENT", "/SILENT|", "/PASSIVE", "/D=", "/DIR=", "/LOG=",
                             "/REGISTER", "/ALLOWDOWNGRADE", "/NORESTART", "/ALLUSERS",
                             "/CURRENTUSER", "/?", "/HELP"})
        EXPECT_NE(std::string::npos, box.text.find(name)) << name << " in " << box.text;
    ASSERT_EQ(0, AnswerQuestion(program, box, IDOK));
    ExpectExitStatus(kExitInstalled);
    CloseProgram(&program);
    EXPECT_EQ(DWORD(kExitInstalled), RunUnattended("/VERYSILENT /HELP"));
    EXPECT_FALSE(PathExists(medium.target));
}

TEST_F(UnattendedTest, DirectorySwitchIsTheDialogsProposalAndSilentlyTheTarget)
{
    ASSERT_NO_FATAL_FAILURE(LayOutScript("Directory=C:\\FROM-SCRIPT\r\n", "First=FIRST.TXT\r\n",
                                         {{"FIRST.TXT", 10, 1}}));
    const std::string target = medium.root + "\\with two blanks";
    ASSERT_NO_FATAL_FAILURE(StartWith("/DIR=" + Quoted(target)));
    HWND dialog = WaitForDirectoryDialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(target, ReadControlText(dialog, IDC_DIRECTORY_EDIT));
    ASSERT_EQ(0, PressButton(dialog, IDC_DIRECTORY_CANCEL));
    ExpectExitStatus(kExitDirectoryCancelled);
    CloseProgram(&program);

    // /D= last and unquoted takes the rest of the line, blanks and all.
    EXPECT_EQ(DWORD(kExitInstalled), RunUnattended("/s /D=" + target + "\\"));
    ExpectCopied(target + "\\FIRST.TXT", "FIRST.TXT");
}

TEST_F(UnattendedTest, RegisterSwitchAnswersYesWithTheGivenSuffixes)
{
    ASSERT_NO_FATAL_FAILURE(LayOutScript(
        "", "Editor=Quillor.exe\r\n[Registration]\r\nSuffixes=qtz\r\n", {{"Quillor.exe", 100, 1}}));
    const char* const suffixes[] = {".qtx", ".qty", ".qtz"};
    for (const char* suffix : suffixes) RegDeleteKeyA(HKEY_CLASSES_ROOT, suffix);
    EXPECT_EQ(DWORD(kExitInstalled),
              RunUnattended("/S /REGISTER=\"qtx qty\" /D=" + Quoted(medium.target)));
    std::string type;
    for (const char* suffix : {".qtx", ".qty"}) {
        EXPECT_EQ(0, ReadRegistryText(HKEY_CLASSES_ROOT, suffix, "", &type)) << suffix;
        EXPECT_EQ("txtfile", type) << suffix;
    }
    // The given list replaces the script's.
    EXPECT_NE(0, ReadRegistryText(HKEY_CLASSES_ROOT, ".qtz", "", &type));
    std::string open;
    ASSERT_EQ(0, ReadRegistryText(HKEY_CLASSES_ROOT, kOpenCommand, "", &open));
    EXPECT_EQ("\"" + medium.target + "\\Quillor.exe\" \"%1\"", open);
    for (const char* suffix : suffixes) RegDeleteKeyA(HKEY_CLASSES_ROOT, suffix);
}

TEST_F(UnattendedTest, LogNamesThatAreLinksAreNeitherFollowedNorOverwritten)
{
    // An application name of this run alone, so that the numbered logs start afresh.
    const std::string application = "QuillorLog" + std::to_string(GetCurrentProcessId());
    ASSERT_NO_FATAL_FAILURE(LayOut("First=FIRST.TXT\r\n", {{"FIRST.TXT", 10, 1}}));
    ASSERT_EQ(0, WriteMediumFile(medium, "SETUP.INF",
                                 "[Install]\r\nApplication=" + application +
                                     "\r\nCaption=Quillor Setup\r\n[Files]\r\nFirst=FIRST.TXT\r\n"));
    char temp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathA(MAX_PATH, temp));
    const std::string numbered = std::string(temp) + application + "-";
    const std::string decoy = medium.root + "\\decoy.txt";
    ASSERT_EQ(0, WriteFileBytes(decoy, "decoy"));
    // A link at the name given, and one at the first numbered name, both to the decoy.
    for (const std::string& link : {LogPath(), std::string(numbered + "1.log")}) {
        links.push_back(link);
        ASSERT_EQ(0, MakeUnixLink(link, decoy)) << link;
    }
    for (int run = 2; run <= 3; run++) {
        SCOPED_TRACE(run);
        EXPECT_EQ(DWORD(kExitInstalled),
                  RunUnattended("/S /LOG=" + Quoted(LogPath()) + " /D=" + Quoted(medium.target)));
        // Each run's log is a new file beside the older ones.
        std::string log = ReadWholeFile(numbered + std::to_string(run) + ".log");
        EXPECT_TRUE(Contains(log, "Log file refused (the name is taken): " + LogPath()));
        EXPECT_TRUE(Contains(log, "Exit status 0\r\n")) << log;
    }
    EXPECT_EQ("decoy", ReadWholeFile(decoy));
    // A plain file at the name given is not overwritten either.
    RemoveUnixLink(LogPath());
    ASSERT_EQ(0, WriteFileBytes(LogPath(), "older"));
    EXPECT_EQ(DWORD(kExitInstalled), RunUnattended("/S /LOG=" + Quoted(LogPath())));
    EXPECT_EQ("older", ReadWholeFile(LogPath()));
    EXPECT_TRUE(Contains(ReadWholeFile(numbered + "4.log"), "Exit status 0\r\n"));
    for (int run = 2; run <= 4; run++) DeleteFileA((numbered + std::to_string(run) + ".log").c_str());
}

TEST_F(UnattendedTest, QuietUninstallStringRemovesTheInstallationWithoutAWindow)
{
    ASSERT_NO_FATAL_FAILURE(LayOutScript(
        "", "Editor=Quillor.exe\r\nScript=SETUP.INF\r\nUninstaller=%Purgax.exe\r\n",
        {{"Quillor.exe", 100, 1}}));
    ASSERT_EQ(0, CopyProgramToMedium(medium, "Purgax.exe"));
    ASSERT_EQ(DWORD(kExitInstalled), RunUnattended("/S /D=" + Quoted(medium.target)));
    std::string quiet;
    ASSERT_EQ(0, ReadRegistryText(HKEY_LOCAL_MACHINE, kEntry, "QuietUninstallString", &quiet));

    const std::string log = medium.root + "\\uninstall.log";
    // A switch after the target would be taken as part of it: it goes before.
    std::string withLog = quiet;
    withLog.insert(withLog.find(" /S ") + 3, " /LOG=" + Quoted(log));
    ASSERT_EQ(0, StartCommandLine(withLog, "C:\\", &program));
    EXPECT_EQ(0u, WaitWithoutQuestions(nullptr));
    EXPECT_FALSE(PathExists(medium.target + "\\Quillor.exe"));
    EXPECT_FALSE(EntryExists());
    std::string text = ReadWholeFile(log);
    EXPECT_TRUE(Contains(text, "Removed " + medium.target + "\\Quillor.exe")) << text;
    EXPECT_TRUE(Contains(text, "Answer: Yes (silent default)")) << text;
    EXPECT_TRUE(Contains(text, "Exit status 0\r\n")) << text;
}

TEST_F(UnattendedTest, QuietUninstallWithoutTheScriptCopyKeepsTheFolder)
{
    ASSERT_NO_FATAL_FAILURE(LayOutScript("", "Editor=Quillor.exe\r\nUninstaller=%Purgax.exe\r\n",
                                         {{"Quillor.exe", 100, 1}}));
    ASSERT_EQ(0, CopyProgramToMedium(medium, "Purgax.exe"));
    ASSERT_EQ(DWORD(kExitInstalled), RunUnattended("/S /D=" + Quoted(medium.target)));
    std::string quiet;
    ASSERT_EQ(0, ReadRegistryText(HKEY_LOCAL_MACHINE, kEntry, "QuietUninstallString", &quiet));
    ASSERT_EQ(0, StartCommandLine(quiet, "C:\\", &program));
    // The whole-folder question is taken as No: the files stay and the status says so.
    EXPECT_EQ(1u, WaitWithoutQuestions(nullptr));
    EXPECT_TRUE(PathExists(medium.target + "\\Quillor.exe"));
    // A refused target shows no box either: nothing is done.
    ASSERT_EQ(0, StartCommandLine("\"" + WindowsFolder() + "\\Purgax.exe\" /S /C:\\", "C:\\",
                                  &program));
    EXPECT_EQ(2u, WaitWithoutQuestions(nullptr));
}

}  // namespace
