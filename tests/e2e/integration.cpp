// End-to-end tests of the system integration: shortcuts, App Paths, uninstall and text-file registrations, and the shell opening text files afterwards.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include "setup_run.h"

namespace {

const char kAppPathKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Quillor.exe";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillor";
const char kOpenCommandKey[] = "txtfile\\shell\\open\\command";
const char kPrintCommandKey[] = "txtfile\\shell\\print\\command";

// The bound of the shell's start of an editor.
const DWORD kEditorWaitMs = 30000;

// The [Group] section of the worked example: two entries, the second with a foreign icon.
const char kWorkedGroup[] =
    "[Group]\r\n"
    "Quillor.lnk=Quillor.exe,Quillor text editor,%Quillor.exe,0\r\n"
    "Read me.lnk=README.TXT,Notes on this version,C:\\WINDOWS\\NOTEPAD.EXE,0\r\n";

// The default value of a key under HKEY_CLASSES_ROOT, kept so that a test can put it back.
struct SavedClassValue {
    std::string path;
    StoredValue stored;
};

SavedClassValue SaveClassValue(const char* path)
{
    SavedClassValue saved = {path, ReadStoredValue(HKEY_CLASSES_ROOT, path, nullptr)};
    return saved;
}

// Sets the default value of a key under HKEY_CLASSES_ROOT before a run.
void SetClassValue(const char* path, const char* text)
{
    EXPECT_EQ(0, WriteRegistryText(HKEY_CLASSES_ROOT, path, nullptr, text)) << path;
}


// How one installation is to be answered.
struct RunPlan {
    std::string scratchName;     // folder under the temporary directory
    bool sampleMedium;           // the sample medium of demo/medium instead of a test script
    std::string group;           // the test script's [Group] section, or "" for none
    std::string registration;    // the test script's [Registration] section, or "" for none
    int answerYes;               // the answer to the default-editor question
    const char* editedSuffixes;  // text typed into the file types dialog, or nullptr
    int dialogYes;               // the answer in the file types dialog
};

// What the program showed, in order, and how it ended.
struct RunRecord {
    std::string scratchDir;
    std::string mediumDir;
    std::string targetDir;
    std::vector<std::string> shown;   // "box: caption | text" or "dialog: title | edit text"
    DWORD exitCode;
    bool finished;
};

std::string SetupScript(const RunPlan& plan)
{
    std::string script =
        ";Setup script of an integration test\r\n"
        "[Install]\r\n"
        "Application=Quillor\r\n"
        "Caption=Quillor Setup\r\n"
        "Directory=C:\\Quillor\r\n"
        "\r\n"
        "[Files]\r\n"
        "Quillor editor=Quillor.exe\r\n"
        "Read me=README.TXT\r\n";
    script += plan.group;
    script += plan.registration;
    return script;
}

// A question as the record keeps it: "box: caption | text" or "dialog: title | edit text".
std::string Shown(const Question& asked)
{
    return (asked.kind == kMessageBoxQuestion ? "box: " : "dialog: ") + asked.caption + " | " +
           asked.text;
}

// Lays out a medium in a fresh scratch folder: SETUP.EXE and Quillor.exe from the build, and
// either the sample medium or a test script with a small README.TXT.
void LayOutMedium(const RunPlan& plan, RunRecord* record)
{
    Medium medium;
    const char* prefix = plan.scratchName.c_str();
    ASSERT_EQ(plan.sampleMedium ? CreateSampleMedium(prefix, &medium)
                                : CreateMedium(prefix, SetupScript(plan), &medium), 0);
    record->scratchDir = medium.root;
    record->mediumDir = medium.folder;
    // A blank in the target directory, as in the usual "Program Files" proposals.
    record->targetDir = medium.root + "\\Quillor App";
    if (plan.sampleMedium) return;
    ASSERT_EQ(CopyProgramToMedium(medium, "Quillor.exe"), 0);
    ASSERT_EQ(WriteMediumFile(medium, "README.TXT", "Quillor, the test edition.\r\n"), 0);
}

// Runs SETUP.EXE on a laid-out medium into the record's target directory and answers every
// question: the default-editor question and the file types dialog as planned, any other box
// with OK.
void RunInstallation(const RunPlan& plan, RunRecord* record)
{
    record->shown.clear();
    record->exitCode = 999;
    record->finished = false;
    LayOutMedium(plan, record);
    if (::testing::Test::HasFatalFailure()) return;

    SetDriverFailureReporter(ReportToTest);
    DrivenProgram program;
    ASSERT_EQ(StartProgram((record->mediumDir + "\\SETUP.EXE").c_str(), record->mediumDir.c_str(),
                           &program), 0);
    if (ChooseTargetDirectory(program, kCaption, record->targetDir.c_str()) == 0) {
        Question asked;
        while (NextQuestion(program, &asked) == 0) {
            record->shown.push_back(Shown(asked));
            int button = IDOK;
            if (asked.kind == kFileTypesQuestion) {
                if (plan.editedSuffixes)
                    SetControlText(asked.window, IDC_REGISTRATION_EDIT, plan.editedSuffixes);
                button = plan.dialogYes ? IDYES : IDNO;
            } else if (asked.text == kQuestion) {
                button = plan.answerYes ? IDYES : IDNO;
            }
            if (AnswerQuestion(program, asked, button) != 0) break;
        }
        record->finished = WaitForExit(program, &record->exitCode) == 0;
    }
    CloseProgram(&program);
}

std::string QuestionShown()
{
    return std::string("box: ") + kCaption + " | " + kQuestion;
}

std::string ReportShown()
{
    return std::string("box: ") + kCaption + " | " + kReportDone;
}

// The Programs and Desktop shell folders, made to exist first when the prefix lacks them.
struct ShellPlaces {
    std::string programs;
    std::string desktop;
    std::string group;
};

ShellPlaces FindShellPlaces()
{
    char path[MAX_PATH];
    // Asking the shell for a folder also records it under Shell Folders. An elevated run (every
    // run under Wine) installs for all users, into the common folders.
    if (ShortcutFolder(true, false).empty())
        SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS | CSIDL_FLAG_CREATE, nullptr, 0, path);
    if (ShortcutFolder(true, true).empty())
        SHGetFolderPathA(nullptr, CSIDL_COMMON_DESKTOPDIRECTORY | CSIDL_FLAG_CREATE, nullptr, 0,
                         path);
    ShellPlaces places = {ShortcutFolder(true, false), ShortcutFolder(true, true), ""};
    places.group = places.programs + "\\Quillor";
    return places;
}

// Removes what an installation of Quillor leaves in the shell folders and under HKLM.
void RemoveEarlierInstallation(const ShellPlaces& places)
{
    RemoveTree(places.group);
    RemoveTree(places.desktop + "\\Quillor.lnk");
    RemoveTree(places.desktop + "\\Read me.lnk");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAppPathKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
}

// The classes keys that an installation may change; each suite puts them back when done.
const char* const kClassKeys[] = {kOpenCommandKey, kPrintCommandKey, ".txt", ".log", ".ini",
                                  ".qz1", ".qz2"};

// Runs one installation for a whole suite: its tests check the effects of that one run.
class InstallationSuite : public ::testing::Test {
protected:
    static void RunSuite(const RunPlan& plan, void (*prepare)())
    {
        CoInitialize(nullptr);
        places = FindShellPlaces();
        saved.clear();
        for (const char* path : kClassKeys) saved.push_back(SaveClassValue(path));
        RemoveEarlierInstallation(places);
        // The suffixes that a run may bind start out unbound.
        RegDeleteKeyA(HKEY_CLASSES_ROOT, ".txt");
        RegDeleteKeyA(HKEY_CLASSES_ROOT, ".qz1");
        RegDeleteKeyA(HKEY_CLASSES_ROOT, ".qz2");
        if (prepare) prepare();
        before.clear();
        for (const char* path : kClassKeys) before.push_back(SaveClassValue(path));
        RunInstallation(plan, &record);
    }

    static void TearDownTestSuite()
    {
        for (const SavedClassValue& value : saved)
            RestoreStoredValue(HKEY_CLASSES_ROOT, value.path, nullptr, value.stored);
        RemoveEarlierInstallation(places);
        RemoveTree(record.scratchDir);
        CoUninitialize();
    }

    // The state of a classes key just before the run.
    static StoredValue Before(const char* path)
    {
        for (const SavedClassValue& value : before) {
            if (value.path == path) return value.stored;
        }
        return StoredValue{false, false, 0, ""};
    }

    static StoredValue Now(const char* path)
    {
        return ReadStoredValue(HKEY_CLASSES_ROOT, path, nullptr);
    }

    static StoredValue WrittenClass(const char* path)
    {
        return ReadWrittenValue(HKEY_CLASSES_ROOT, path, nullptr);
    }

    void ExpectAppPathAndUninstallEntry()
    {
        EXPECT_EQ(ReadWrittenValue(HKEY_LOCAL_MACHINE, kAppPathKey, nullptr),
                  StringWithoutTerminator(record.targetDir + "\\Quillor.exe"));
        // The name, then zero bytes up to the 128 bytes of its field.
        EXPECT_EQ(ReadWrittenValue(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"),
                  StringWithoutTerminator(std::string("Quillor") + std::string(121, '\0')));
        EXPECT_EQ(ReadWrittenValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"),
                  StringWithoutTerminator(WindowsFolder() + "\\Purgax.exe /" + record.targetDir));
    }

    void ExpectEditorCommands()
    {
        std::string editor = "\"" + record.targetDir + "\\Quillor.exe\"";
        EXPECT_EQ(WrittenClass(kOpenCommandKey), StringWithoutTerminator(editor + " \"%1\""));
        EXPECT_EQ(WrittenClass(kPrintCommandKey), StringWithoutTerminator(editor + " /p \"%1\""));
    }

    void ExpectSuffixesUntouched()
    {
        for (const char* suffix : {".txt", ".log", ".ini", ".qz1", ".qz2"}) {
            EXPECT_EQ(Now(suffix), Before(suffix)) << suffix;
        }
    }

    void ExpectCleanEnd()
    {
        EXPECT_TRUE(record.finished);
        EXPECT_EQ(record.exitCode, 0u);
    }

    static ShellPlaces places;
    static RunRecord record;
    static std::vector<SavedClassValue> saved;
    static std::vector<SavedClassValue> before;
};

ShellPlaces InstallationSuite::places;
RunRecord InstallationSuite::record;
std::vector<SavedClassValue> InstallationSuite::saved;
std::vector<SavedClassValue> InstallationSuite::before;

std::string ProcessImage(HANDLE process)
{
    char path[MAX_PATH] = "";
    DWORD size = MAX_PATH;
    if (!process || !QueryFullProcessImageNameA(process, 0, path, &size)) return "";
    return path;
}

// Opens a text file through the shell's "open" verb, as a double click in the explorer does,
// and waits for the editor's window whose title names the file. Returns the window, with the
// started process in editor for the caller to close, or 0 after a failure.
HWND OpenThroughShell(const std::string& file, const char* namePart, DrivenProgram* editor)
{
    SHELLEXECUTEINFOA execute;
    ZeroMemory(&execute, sizeof execute);
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    execute.lpVerb = "open";
    execute.lpFile = file.c_str();
    execute.nShow = SW_SHOWNORMAL;
    ZeroMemory(editor, sizeof *editor);
    if (!ShellExecuteExA(&execute)) {
        ADD_FAILURE() << "ShellExecuteEx open " << file << " failed, error " << GetLastError();
        return 0;
    }
    if (!execute.hProcess) {
        ADD_FAILURE() << "the shell started no process for " << file;
        return 0;
    }
    editor->process.hProcess = execute.hProcess;
    editor->process.dwProcessId = GetProcessId(execute.hProcess);
    HWND window = WaitForWindowTitledWith(*editor, namePart, kEditorWaitMs);
    if (!window) CloseProgram(editor);
    return window;
}

// Asks an editor window to close and waits for its process to end. Returns its exit code.
DWORD CloseEditor(HWND window, DrivenProgram* editor)
{
    DWORD exitCode = 999;
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, WaitForExit(*editor, &exitCode, kEditorWaitMs))
        << "the editor did not end after WM_CLOSE";
    CloseProgram(editor);
    return exitCode;
}

// Yes to the question, then the file types dialog with the script's list edited.
class YesWithEditedSuffixes : public InstallationSuite {
protected:
    static void SetUpTestSuite()
    {
        RunPlan plan = {"quillor-e2e-yes-edited", false, kWorkedGroup,
                        "[Registration]\r\nSuffixes=txt log ini\r\n", 1, " txt  qz1\tqz2 ", 1};
        RunSuite(plan, nullptr);
    }
};

TEST_F(YesWithEditedSuffixes, AsksThenOffersTheScriptSuffixesThenReportsSuccess)
{
    std::vector<std::string> expected = {QuestionShown(),
                                         std::string("dialog: ") + kCaption + " | txt log ini",
                                         ReportShown()};
    EXPECT_EQ(record.shown, expected);
    ExpectCleanEnd();
}

TEST_F(YesWithEditedSuffixes, CreatesTheGroupShortcutsOfTheScript)
{
    EXPECT_EQ(ListFolder(places.group).size(), 2u);
    ExpectLink(places.group + "\\Quillor.lnk", record.targetDir + "\\Quillor.exe",
               "Quillor text editor", record.targetDir + "\\Quillor.exe", 0);
    ExpectLink(places.group + "\\Read me.lnk", record.targetDir + "\\README.TXT",
               "Notes on this version", "C:\\WINDOWS\\NOTEPAD.EXE", 0);
}

TEST_F(YesWithEditedSuffixes, PutsOnlyTheFirstShortcutOnTheDesktop)
{
    ExpectLink(places.desktop + "\\Quillor.lnk", record.targetDir + "\\Quillor.exe",
               "Quillor text editor", record.targetDir + "\\Quillor.exe", 0);
    EXPECT_FALSE(PathExists(places.desktop + "\\Read me.lnk"));
}

TEST_F(YesWithEditedSuffixes, WritesAppPathAndUninstallEntry)
{
    ExpectAppPathAndUninstallEntry();
}

TEST_F(YesWithEditedSuffixes, PointsTextFileCommandsAtQuillor)
{
    ExpectEditorCommands();
}

TEST_F(YesWithEditedSuffixes, BindsTheEditedSuffixesOnly)
{
    for (const char* suffix : {".txt", ".qz1", ".qz2"}) {
        EXPECT_EQ(WrittenClass(suffix), StringWithoutTerminator("txtfile")) << suffix;
    }
    for (const char* suffix : {".log", ".ini"}) {
        EXPECT_EQ(Now(suffix), Before(suffix)) << suffix;
    }
}

TEST_F(YesWithEditedSuffixes, OpeningATextFileStartsQuillorOnIt)
{
    std::string file = record.scratchDir + "\\greeting note.txt";
    ASSERT_EQ(0, WriteFileBytes(file, "Hello, Quillor.\r\n"));
    DrivenProgram editor;
    HWND window = OpenThroughShell(file, "greeting note.txt", &editor);
    ASSERT_NE(window, (HWND)0);
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    EXPECT_STREQ(className, "Quillor");
    EXPECT_EQ(ReadWindowTitle(window), "Quillor - " + file);
    std::string image = ProcessImage(editor.process.hProcess);
    EXPECT_EQ(lstrcmpiA(image.c_str(), (record.targetDir + "\\Quillor.exe").c_str()), 0)
        << image;
    EXPECT_EQ(CloseEditor(window, &editor), 0u);
}

// Yes to the question with a script that has no [Registration] section.
class YesWithoutRegistration : public InstallationSuite {
protected:
    static void SetUpTestSuite()
    {
        RunPlan plan = {"quillor-e2e-yes-plain", false, kWorkedGroup, "", 1, nullptr, 0};
        RunSuite(plan, nullptr);
    }
};

TEST_F(YesWithoutRegistration, ShowsNoFileTypesDialog)
{
    std::vector<std::string> expected = {QuestionShown(), ReportShown()};
    EXPECT_EQ(record.shown, expected);
    ExpectCleanEnd();
}

TEST_F(YesWithoutRegistration, StillPointsTextFileCommandsAtQuillor)
{
    ExpectEditorCommands();
}

TEST_F(YesWithoutRegistration, BindsNoSuffix)
{
    ExpectSuffixesUntouched();
}

TEST_F(YesWithoutRegistration, WritesAppPathAndUninstallEntry)
{
    ExpectAppPathAndUninstallEntry();
}

// Yes to the question, then No in the file types dialog after editing its list.
class YesThenNoInFileTypes : public InstallationSuite {
protected:
    static void SetUpTestSuite()
    {
        RunPlan plan = {"quillor-e2e-yes-then-no", false, kWorkedGroup,
                        "[Registration]\r\nSuffixes=txt log ini\r\n", 1, "qz1 qz2", 0};
        RunSuite(plan, nullptr);
    }
};

TEST_F(YesThenNoInFileTypes, WritesTheCommandsButBindsNoSuffix)
{
    std::vector<std::string> expected = {QuestionShown(),
                                         std::string("dialog: ") + kCaption + " | txt log ini",
                                         ReportShown()};
    EXPECT_EQ(record.shown, expected);
    ExpectEditorCommands();
    ExpectSuffixesUntouched();
    ExpectCleanEnd();
}

// No to the question while the text-file commands end in a bare %1.
class NoWithBareArguments : public InstallationSuite {
protected:
    static void SetUpTestSuite()
    {
        RunPlan plan = {"quillor-e2e-no-bare", false, kWorkedGroup,
                        "[Registration]\r\nSuffixes=txt log ini\r\n", 0, nullptr, 0};
        RunSuite(plan, Prepare);
    }

    static void Prepare()
    {
        SetClassValue(kOpenCommandKey, "C:\\windows\\notepad.exe %1");
        SetClassValue(kPrintCommandKey, "C:\\windows\\notepad.exe /p %1");
        // In the 32-bit view .txt has no key of its own.
        SetClassValue(".txt", "txtfile");
    }
};

TEST_F(NoWithBareArguments, ShowsNoFileTypesDialog)
{
    std::vector<std::string> expected = {QuestionShown(), ReportShown()};
    EXPECT_EQ(record.shown, expected);
    ExpectCleanEnd();
}

TEST_F(NoWithBareArguments, QuotesTheFinalArgumentOfBothCommands)
{
    EXPECT_EQ(WrittenClass(kOpenCommandKey),
              StringWithoutTerminator("C:\\windows\\notepad.exe \"%1\""));
    EXPECT_EQ(WrittenClass(kPrintCommandKey),
              StringWithoutTerminator("C:\\windows\\notepad.exe /p \"%1\""));
}

TEST_F(NoWithBareArguments, BindsNoSuffix)
{
    ExpectSuffixesUntouched();
}

TEST_F(NoWithBareArguments, WritesAppPathAndUninstallEntry)
{
    ExpectAppPathAndUninstallEntry();
}

TEST_F(NoWithBareArguments, ThePreviousCommandStillOpensTextFiles)
{
    std::string file = record.scratchDir + "\\kept note.txt";
    ASSERT_EQ(0, WriteFileBytes(file, "Still opened by the previous editor.\r\n"));
    DrivenProgram editor;
    HWND window = OpenThroughShell(file, "kept note.txt", &editor);
    ASSERT_NE(window, (HWND)0);
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    EXPECT_STRNE(className, "Quillor");
    std::string image = ProcessImage(editor.process.hProcess);
    CloseEditor(window, &editor);
    const std::string notepad = "\\notepad.exe";
    ASSERT_GT(image.size(), notepad.size());
    EXPECT_EQ(lstrcmpiA(image.c_str() + image.size() - notepad.size(), notepad.c_str()), 0) << image;
}

// No to the question while the commands end in something else than a bare %1.
class NoWithOtherArguments : public InstallationSuite {
protected:
    static void SetUpTestSuite()
    {
        RunPlan plan = {"quillor-e2e-no-other", false, kWorkedGroup, "", 0, nullptr, 0};
        RunSuite(plan, Prepare);
    }

    static void Prepare()
    {
        // Already quoted, as a second run finds it; and shorter than "%1".
        SetClassValue(kOpenCommandKey, "C:\\windows\\notepad.exe \"%1\"");
        SetClassValue(kPrintCommandKey, "1");
    }
};

TEST_F(NoWithOtherArguments, LeavesBothCommandsAlone)
{
    EXPECT_EQ(Now(kOpenCommandKey), Before(kOpenCommandKey));
    EXPECT_EQ(Now(kPrintCommandKey), Before(kPrintCommandKey));
    EXPECT_EQ(Now(kOpenCommandKey).data.c_str(), std::string("C:\\windows\\notepad.exe \"%1\""));
    ExpectCleanEnd();
}

// A [Group] section whose first line is a comment.
class GroupStartingWithComment : public InstallationSuite {
protected:
    static void SetUpTestSuite()
    {
        RunPlan plan = {"quillor-e2e-group-comment", false,
                        "[Group]\r\n"
                        ";Quillor.lnk=Quillor.exe,Quillor text editor,%Quillor.exe,0\r\n"
                        "Read me.lnk=README.TXT,Notes on this version,%Quillor.exe,0\r\n",
                        "", 0, nullptr, 0};
        RunSuite(plan, nullptr);
    }
};

TEST_F(GroupStartingWithComment, CreatesTheFolderWithoutShortcuts)
{
    DWORD attributes = GetFileAttributesA(places.group.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << places.group;
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(ListFolder(places.group).empty());
    EXPECT_FALSE(PathExists(places.desktop + "\\Quillor.lnk"));
    EXPECT_FALSE(PathExists(places.desktop + "\\Read me.lnk"));
    std::vector<std::string> expected = {QuestionShown(), ReportShown()};
    EXPECT_EQ(record.shown, expected);
    ExpectCleanEnd();
}

// A script without a [Group] section.
class WithoutGroup : public InstallationSuite {
protected:
    static void SetUpTestSuite()
    {
        RunPlan plan = {"quillor-e2e-no-group", false, "", "", 0, nullptr, 0};
        RunSuite(plan, nullptr);
    }
};

TEST_F(WithoutGroup, MakesNeitherFolderNorShortcutAndShowsNoMessage)
{
    EXPECT_FALSE(PathExists(places.group));
    EXPECT_FALSE(PathExists(places.desktop + "\\Quillor.lnk"));
    std::vector<std::string> expected = {QuestionShown(), ReportShown()};
    EXPECT_EQ(record.shown, expected);
    ExpectCleanEnd();
}

TEST_F(WithoutGroup, StillWritesAppPathAndUninstallEntry)
{
    ExpectAppPathAndUninstallEntry();
}

// The sample medium of demo/medium, answered Yes and Yes with its own list of suffixes.
class SampleMedium : public InstallationSuite {
protected:
    static void SetUpTestSuite()
    {
        RemoveTree(WindowsFolder() + "\\QUILLOR.INI");
        RunPlan plan = {"quillor-e2e-sample", true, "", "", 1, nullptr, 1};
        RunSuite(plan, nullptr);
    }

    static void TearDownTestSuite()
    {
        InstallationSuite::TearDownTestSuite();
        RemoveTree(WindowsFolder() + "\\QUILLOR.INI");
    }
};

TEST_F(SampleMedium, AsksThenOffersItsSuffixesThenReportsSuccess)
{
    std::vector<std::string> expected = {QuestionShown(),
                                         std::string("dialog: ") + kCaption + " | txt log ini",
                                         ReportShown()};
    EXPECT_EQ(record.shown, expected);
    ExpectCleanEnd();
}

TEST_F(SampleMedium, CopiesEveryFileToItsPlace)
{
    struct Placed {
        std::string source;
        std::string destination;
    };
    const std::string& from = record.mediumDir;
    const std::string& to = record.targetDir;
    const Placed placed[] = {
        {from + "\\Quillor.exe", to + "\\Quillor.exe"},
        {from + "\\README.TXT", to + "\\README.TXT"},
        {from + "\\SAMPLES\\HELLO.TXT", to + "\\SAMPLES\\HELLO.TXT"},
        {from + "\\CHANGES.TXT", to + "\\HISTORY.TXT"},
        {from + "\\QUILLOR.INI", WindowsFolder() + "\\QUILLOR.INI"},
    };
    for (const Placed& file : placed) {
        std::string source = ReadWholeFile(file.source);
        ASSERT_NE(source, "<missing>") << file.source;
        EXPECT_EQ(ReadWholeFile(file.destination), source) << file.destination;
    }
}

TEST_F(SampleMedium, CreatesItsShortcuts)
{
    std::string editor = record.targetDir + "\\Quillor.exe";
    ExpectLink(places.group + "\\Quillor.lnk", editor, "Quillor text editor", editor, 0);
    ExpectLink(places.group + "\\Read me.lnk", record.targetDir + "\\README.TXT",
               "Notes on this version", editor, 0);
    ExpectLink(places.desktop + "\\Quillor.lnk", editor, "Quillor text editor", editor, 0);
}

TEST_F(SampleMedium, RegistersQuillorForItsSuffixes)
{
    ExpectAppPathAndUninstallEntry();
    ExpectEditorCommands();
    for (const char* suffix : {".txt", ".log", ".ini"}) {
        EXPECT_EQ(WrittenClass(suffix), StringWithoutTerminator("txtfile")) << suffix;
    }
}

TEST_F(SampleMedium, TheInstalledEditorOpensTheSampleText)
{
    std::string file = record.targetDir + "\\SAMPLES\\HELLO.TXT";
    DrivenProgram editor;
    HWND window = OpenThroughShell(file, "HELLO.TXT", &editor);
    ASSERT_NE(window, (HWND)0);
    EXPECT_EQ(ReadWindowTitle(window), "Quillor - " + file);
    EXPECT_EQ(CloseEditor(window, &editor), 0u);
}

// The editor itself, driven through its command line, its menu commands and its window.
class QuillorEditor : public ::testing::Test {
protected:
    void SetUp() override { SetDriverFailureReporter(ReportToTest); }

    void TearDown() override { CloseProgram(&program); }

    // Starts the built editor with a command line.
    void StartEditor(const std::string& arguments)
    {
        std::string exe = ProgramFolder() + "\\Quillor.exe";
        ASSERT_EQ(0, StartProgramWithArguments(exe.c_str(), arguments, nullptr, &program));
    }

    DrivenProgram program = {};
    TempFolder scratch;
};

TEST_F(QuillorEditor, PrintFormEndsWithStatusZeroAndNoMessage)
{
    std::string file = scratch.path + "\\to print.txt";
    ASSERT_EQ(0, WriteFileBytes(file, "One line to print.\r\n"));
    ASSERT_NO_FATAL_FAILURE(StartEditor("/p \"" + file + "\""));
    DWORD exitCode = 999;
    ASSERT_EQ(WaitForExit(program, &exitCode), 0);
    EXPECT_EQ(exitCode, 0u);
}

TEST_F(QuillorEditor, SaveWritesTheEditedTextBackToTheOpenedFile)
{
    std::string file = scratch.path + "\\draft note.txt";
    ASSERT_EQ(0, WriteFileBytes(file, "first draft\n"));
    ASSERT_NO_FATAL_FAILURE(StartEditor("\"" + file + "\""));
    HWND window = WaitForWindow(program, "Quillor", ("Quillor - " + file).c_str(), 0);
    ASSERT_NE(window, (HWND)0);
    HWND edit = FindWindowExA(window, nullptr, "Edit", nullptr);
    ASSERT_NE(edit, (HWND)0);
    // A bare line feed in the file shows as a line break, so the text reads back with CR LF.
    char text[64] = "";
    SendMessageA(edit, WM_GETTEXT, sizeof text, (LPARAM)text);
    EXPECT_STREQ(text, "first draft\r\n");

    SendMessageA(edit, WM_SETTEXT, 0, (LPARAM) "second draft\r\nwith two lines");
    // File > Save, sent so that the save has ended when the call returns: reading the file
    // while the editor writes it would make its unshared open fail.
    DWORD_PTR answer = 0;
    ASSERT_NE(SendMessageTimeoutA(window, WM_COMMAND, 102, 0, SMTO_ABORTIFHUNG, kEditorWaitMs,
                                  &answer), 0);
    EXPECT_EQ(ReadWholeFile(file), "second draft\r\nwith two lines");

    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD exitCode = 999;
    ASSERT_EQ(WaitForExit(program, &exitCode), 0);
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
