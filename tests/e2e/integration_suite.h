// The installation suite of the end-to-end integration tests: a medium laid out from a plan, the run answered as planned, and the shell places and class keys it changes, saved and put back.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include "setup_run.h"

inline const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline const char kAppPathKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Quillor.exe";
inline const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillor";
inline const char kOpenCommandKey[] = "txtfile\\shell\\open\\command";
inline const char kPrintCommandKey[] = "txtfile\\shell\\print\\command";

// The bound of the shell's start of an editor.
inline const DWORD kEditorWaitMs = 30000;

// The [Group] section of the worked example: two entries, the second with a foreign icon.
inline const char kWorkedGroup[] =
    "[Group]\r\n"
    "Quillor.lnk=Quillor.exe,Quillor text editor,%Quillor.exe,0\r\n"
    "Read me.lnk=README.TXT,Notes on this version,C:\\WINDOWS\\NOTEPAD.EXE,0\r\n";

// The default value of a key under HKEY_CLASSES_ROOT, kept so that a test can put it back.
struct SavedClassValue {
    std::string path;
    StoredValue stored;
};

inline SavedClassValue SaveClassValue(const char* path)
{
    SavedClassValue saved = {path, ReadStoredValue(HKEY_CLASSES_ROOT, path, nullptr)};
    return saved;
}

// Sets the default value of a key under HKEY_CLASSES_ROOT before a run.
inline void SetClassValue(const char* path, const char* text)
{
    EXPECT_EQ(0, WriteRegistryText(HKEY_CLASSES_ROOT, path, nullptr, text)) << path;
}

inline std::string ShellFolder(const char* name)
{
    std::string text;
    ReadRegistryText(HKEY_CURRENT_USER, kShellFolders, name, &text);
    return text;
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

inline std::string SetupScript(const RunPlan& plan)
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
inline std::string Shown(const Question& asked)
{
    return (asked.kind == kMessageBoxQuestion ? "box: " : "dialog: ") + asked.caption + " | " +
           asked.text;
}

// Lays out a medium in a fresh scratch folder: SETUP.EXE and Quillor.exe from the build, and
// either the sample medium or a test script with a small README.TXT.
inline void LayOutMedium(const RunPlan& plan, RunRecord* record)
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
inline void RunInstallation(const RunPlan& plan, RunRecord* record)
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

inline std::string QuestionShown()
{
    return std::string("box: ") + kCaption + " | " + kQuestion;
}

inline std::string ReportShown()
{
    return std::string("box: ") + kCaption + " | " + kReportDone;
}

// The Programs and Desktop shell folders, made to exist first when the prefix lacks them.
struct ShellPlaces {
    std::string programs;
    std::string desktop;
    std::string group;
};

inline ShellPlaces FindShellPlaces()
{
    char path[MAX_PATH];
    // Asking the shell for a folder also records it under Shell Folders.
    if (ShellFolder("Programs").empty())
        SHGetFolderPathA(nullptr, CSIDL_PROGRAMS | CSIDL_FLAG_CREATE, nullptr, 0, path);
    if (ShellFolder("Desktop").empty())
        SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY | CSIDL_FLAG_CREATE, nullptr, 0, path);
    ShellPlaces places = {ShellFolder("Programs"), ShellFolder("Desktop"), ""};
    places.group = places.programs + "\\Quillor";
    return places;
}

// Removes what an installation of Quillor leaves in the shell folders and under HKLM.
inline void RemoveEarlierInstallation(const ShellPlaces& places)
{
    RemoveTree(places.group);
    RemoveTree(places.desktop + "\\Quillor.lnk");
    RemoveTree(places.desktop + "\\Read me.lnk");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAppPathKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
}

// The classes keys that an installation may change; each suite puts them back when done.
inline const char* const kClassKeys[] = {kOpenCommandKey, kPrintCommandKey, ".txt", ".log", ".ini",
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

inline ShellPlaces InstallationSuite::places;
inline RunRecord InstallationSuite::record;
inline std::vector<SavedClassValue> InstallationSuite::saved;
inline std::vector<SavedClassValue> InstallationSuite::before;

inline std::string ProcessImage(HANDLE process)
{
    char path[MAX_PATH] = "";
    DWORD size = MAX_PATH;
    if (!process || !QueryFullProcessImageNameA(process, 0, path, &size)) return "";
    return path;
}

// Opens a text file through the shell's "open" verb, as a double click in the explorer does,
// and waits for the editor's window whose title names the file. Returns the window, with the
// started process in editor for the caller to close, or 0 after a failure.
inline HWND OpenThroughShell(const std::string& file, const char* namePart, DrivenProgram* editor)
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
inline DWORD CloseEditor(HWND window, DrivenProgram* editor)
{
    DWORD exitCode = 999;
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, WaitForExit(*editor, &exitCode, kEditorWaitMs))
        << "the editor did not end after WM_CLOSE";
    CloseProgram(editor);
    return exitCode;
}
