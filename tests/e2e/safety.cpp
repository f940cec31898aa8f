// End-to-end tests of safety: no library from the program's folders, quoted commands, no nameless or cut target.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "setup_run.h"

namespace {

const char kApplication[] = "Quillor Safety";
const char kOpenCommandKey[] = "txtfile\\shell\\open\\command";
const char kPrintCommandKey[] = "txtfile\\shell\\print\\command";
const char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillor Safety";
const char kAppPathKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Quillor.exe";

// The editor's File > Open command.
const WPARAM kEditorFileOpen = 101;

// What a program at the root of drive C would catch of an unquoted "C:\Program Files\..." path.
const char kRootProgram[] = "C:\\Program.exe";

// Every library that SETUP.EXE and Quillor.exe load under Wine in a whole installation, its
// file types dialog and the editor's Open dialog (WINEDEBUG=+loaddll), and the usual targets
// of planting on Windows.
const char* const kPlantedNames[] = {
    "advapi32.dll", "combase.dll",  "comctl32.dll", "comdlg32.dll", "cryptbase.dll",
    "dwmapi.dll",   "gdi32.dll",    "imm32.dll",    "kernel32.dll", "kernelbase.dll",
    "msimg32.dll",  "msvcrt.dll",   "ole32.dll",    "oleaut32.dll", "profapi.dll",
    "propsys.dll",  "rpcrt4.dll",   "sechost.dll",  "shcore.dll",   "shell32.dll",
    "shlwapi.dll",  "ucrtbase.dll", "user32.dll",   "uxtheme.dll",  "version.dll",
    "win32u.dll",   "winex11.drv",  "winspool.drv", "zlib1.dll",    "windowscodecs.dll",
};

// Puts the marker library into folder under every planted name. 0 or -1.
int PlantMarkers(const std::string& folder)
{
    const std::string marker = ProgramFolder() + "\\plant_marker.dll";
    for (const char* name : kPlantedNames) {
        if (!CopyFileA(marker.c_str(), (folder + "\\" + name).c_str(), FALSE)) return -1;
    }
    return 0;
}

// The marks that planted libraries left in folder: "<name>.ran" for each one that ran.
std::vector<std::string> MarksLeft(const std::string& folder)
{
    std::vector<std::string> marks;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.ran").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return marks;
    do {
        marks.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return marks;
}

// The default value of a classes key, kept to be put back: absent keys are deleted again.
struct SavedDefault {
    const char* path;
    bool present;
    std::string text;
};

SavedDefault SaveDefault(const char* path)
{
    SavedDefault saved = {path, false, ""};
    saved.present = ReadRegistryText(HKEY_CLASSES_ROOT, path, nullptr, &saved.text) == 0;
    return saved;
}

void RestoreDefault(const SavedDefault& saved)
{
    if (!saved.present) {
        RegDeleteKeyA(HKEY_CLASSES_ROOT, saved.path);
        return;
    }
    RegSetValueA(HKEY_CLASSES_ROOT, saved.path, REG_SZ, saved.text.c_str(),
                 (DWORD)saved.text.size());
}

// A medium with the editor, a script with shortcuts and the suffix txt, and what an
// installation of it leaves on the machine, removed again at the end.
class SafetyTest : public SetupRunTest {
protected:
    void SetUp() override
    {
        SetupRunTest::SetUp();
        for (const char* path : {kOpenCommandKey, kPrintCommandKey, ".txt"})
            saved.push_back(SaveDefault(path));
        // An elevated run (every run under Wine) puts its shortcuts into the common folders.
        programs = ShortcutFolder(true, false);
        desktop = ShortcutFolder(true, true);
        ASSERT_NE("", programs);
        ASSERT_NE("", desktop);
        std::string programFiles;
        ASSERT_EQ(0, ReadRegistryText(HKEY_LOCAL_MACHINE,
                                      "Software\\Microsoft\\Windows\\CurrentVersion",
                                      "ProgramFilesDir", &programFiles));
        // The proposal, which the tests accept: under the program files folder, whose name
        // holds a blank.
        target = programFiles + "\\" + kApplication;
        ASSERT_NE(std::string::npos, target.find(' '));
        RemoveInstallation();
    }

    void TearDown() override
    {
        SetupRunTest::TearDown();
        RemoveInstallation();
        for (const SavedDefault& value : saved) RestoreDefault(value);
    }

    void RemoveInstallation()
    {
        RemoveTree(target);
        RemoveTree(programs + "\\" + kApplication);
        RemoveTree(desktop + "\\Quillor.lnk");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAppPathKey);
    }

    void LayOutEditorMedium()
    {
        const std::string script =
            std::string("[Install]\r\nApplication=") + kApplication + "\r\nCaption=" + kCaption +
            "\r\n[Files]\r\nEditor=Quillor.exe\r\nRead me=README.TXT\r\n"
            "[Group]\r\nQuillor.lnk=Quillor.exe,Quillor,%Quillor.exe,0\r\n\r\n"
            "[Registration]\r\nSuffixes=txt\r\n";
        ASSERT_EQ(0, CreateMedium("quillor-safety", script, &medium));
        ASSERT_EQ(0, CopyProgramToMedium(medium, "Quillor.exe"));
        ASSERT_EQ(0, WriteMediumFile(medium, "README.TXT", "Read me.\r\n"));
    }

    // Runs the installation into the proposed directory, answering Yes to the question and to
    // the file types dialog; it must end with report 5 and status 0.
    void InstallWithYes(const std::string& workingDir)
    {
        ASSERT_NO_FATAL_FAILURE(Start(workingDir));
        HWND dialog = WaitForDirectoryDialog();
        ASSERT_TRUE(dialog);
        EXPECT_EQ(target, ReadControlText(dialog, IDC_DIRECTORY_EDIT));
        ASSERT_EQ(0, PressButton(dialog, IDC_DIRECTORY_INSTALL));
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDYES, kCaption, kQuestion));
        HWND fileTypes = WaitForWindow(program, DIALOG_CLASS, kCaption, IDC_REGISTRATION_EDIT);
        ASSERT_TRUE(fileTypes);
        ASSERT_EQ(0, PressButton(fileTypes, IDYES));
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(
            IDOK, kCaption,
            std::string("Installation normally terminated. An \"") + kApplication +
                "\" icon has been created on your desktop and a folder in your "
                "\"Start\\programs\" menu."));
        ExpectExitStatus(kExitInstalled);
    }

    std::vector<SavedDefault> saved;
    std::string programs;
    std::string desktop;
    std::string target;
};

TEST_F(SafetyTest, NoLibraryPlantedBesideTheProgramOrInTheCurrentDirectoryRuns)
{
    ASSERT_NO_FATAL_FAILURE(LayOutEditorMedium());
    // The plant works: a program built without the protection runs one of its libraries.
    const std::string probeFolder = medium.root + "\\probe";
    ASSERT_TRUE(CreateDirectoryA(probeFolder.c_str(), nullptr));
    ASSERT_EQ(0, PlantMarkers(probeFolder));
    const std::string probe = probeFolder + "\\plant_probe.exe";
    ASSERT_TRUE(CopyFileA((ProgramFolder() + "\\plant_probe.exe").c_str(), probe.c_str(), FALSE));
    DrivenProgram unprotected = {};
    ASSERT_EQ(0, StartProgram(probe.c_str(), probeFolder.c_str(), &unprotected));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(unprotected.process.hProcess, kExitWaitMs));
    CloseProgram(&unprotected);
    std::vector<std::string> probeMarks = MarksLeft(probeFolder);
    probeMarks.erase(std::remove(probeMarks.begin(), probeMarks.end(), "plant_probe.exe.ran"),
                     probeMarks.end());
    EXPECT_FALSE(probeMarks.empty()) << "no planted library ran in the unprotected probe";

    // The setup program, planted beside it and in its current directory, takes none of them.
    const std::string workingDir = medium.root + "\\work";
    ASSERT_TRUE(CreateDirectoryA(workingDir.c_str(), nullptr));
    ASSERT_EQ(0, PlantMarkers(medium.folder));
    ASSERT_EQ(0, PlantMarkers(workingDir));
    InstallWithYes(workingDir);   // whatever failed there, the marks tell what ran
    EXPECT_EQ(std::vector<std::string>(), MarksLeft(medium.folder));
    EXPECT_EQ(std::vector<std::string>(), MarksLeft(workingDir));
}

TEST_F(SafetyTest, OpeningATextFileStartsTheQuotedEditorNeverAProgramBeforeTheBlank)
{
    ASSERT_NO_FATAL_FAILURE(LayOutEditorMedium());
    ASSERT_FALSE(PathExists(kRootProgram)) << "a " << kRootProgram << " of someone else's";
    ASSERT_TRUE(CopyFileA((ProgramFolder() + "\\plant_probe.exe").c_str(), kRootProgram, FALSE));
    const std::string rootMark = std::string(kRootProgram) + ".ran";
    struct RootProgramRemover {
        ~RootProgramRemover()
        {
            DeleteFileA(kRootProgram);
            DeleteFileA((std::string(kRootProgram) + ".ran").c_str());
        }
    } remover;

    ASSERT_NO_FATAL_FAILURE(InstallWithYes(medium.folder));
    const std::string editor = target + "\\Quillor.exe";
    std::string open, print;
    ASSERT_EQ(0, ReadRegistryText(HKEY_CLASSES_ROOT, kOpenCommandKey, nullptr, &open));
    ASSERT_EQ(0, ReadRegistryText(HKEY_CLASSES_ROOT, kPrintCommandKey, nullptr, &print));
    EXPECT_EQ("\"" + editor + "\" \"%1\"", open);
    EXPECT_EQ("\"" + editor + "\" /p \"%1\"", print);

    // The editor, with libraries planted beside it, opens the file and its Open dialog.
    ASSERT_EQ(0, PlantMarkers(target));
    const std::string file = medium.root + "\\safety note.txt";
    ASSERT_EQ(0, WriteFileBytes(file, "Opened by Quillor.\r\n"));
    SHELLEXECUTEINFOA execute = {};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    execute.lpVerb = "open";
    execute.lpFile = file.c_str();
    execute.nShow = SW_SHOWNORMAL;
    ASSERT_TRUE(ShellExecuteExA(&execute)) << "error " << GetLastError();
    ASSERT_TRUE(execute.hProcess) << "the shell started no program";
    DrivenProgram started = {};
    started.process.hProcess = execute.hProcess;
    started.process.dwProcessId = GetProcessId(execute.hProcess);
    HWND window = WaitForWindow(started, "Quillor", ("Quillor - " + file).c_str(), 0);
    EXPECT_FALSE(PathExists(rootMark)) << kRootProgram << " ran instead of the editor";
    if (window) {
        PostMessageA(window, WM_COMMAND, kEditorFileOpen, 0);
        HWND openDialog = WaitForWindow(started, DIALOG_CLASS, nullptr, 0);
        if (openDialog) {
            EXPECT_EQ(0, PressButton(openDialog, IDCANCEL));
            EXPECT_EQ(0, WaitForWindowGone(started, openDialog));
        }
        PostMessageA(window, WM_CLOSE, 0, 0);
        DWORD code = 99;
        EXPECT_EQ(0, WaitForExit(started, &code));
        EXPECT_EQ(0u, code);
    }
    CloseProgram(&started);
    EXPECT_EQ(std::vector<std::string>(), MarksLeft(target));
}

// A script whose Install section names no application is refused before anything happens.
TEST_F(SetupRunTest, AScriptWithoutApplicationIsRefusedBeforeAnyWindow)
{
    const char* const installSections[] = {
        "[Install]\r\nCaption=Quillor Setup\r\n",
        "[Install]\r\nApplication=\r\nCaption=Quillor Setup\r\n",
    };
    for (const char* install : installSections) {
        SCOPED_TRACE(install);
        // A missing source would be reported first if the name were checked after the size pass.
        ASSERT_EQ(0, CreateMedium("quillor-safety-name",
                                  std::string(install) + "[Files]\r\nMissing=MISSING.TXT\r\n",
                                  &medium));
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_TRUE(WaitForMessageBox(program));
        EXPECT_FALSE(FindProgramWindow(program, "Install", nullptr, 0));
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(
            IDOK, kErrorCaption, "Key Application is missing or empty in section [Install] !", 0));
        ExpectExitStatus(kExitEarlyEnd);
        CloseProgram(&program);
        RemoveMedium(&medium);
    }
}

// A relative target under a current directory too long for the completed path is refused:
// nothing records a relative or a cut path.
TEST_F(SetupRunTest, ARelativeTargetThatACompletionWouldCutIsRefused)
{
    ASSERT_NO_FATAL_FAILURE(LayOut("Readme=README.TXT\r\n", {{"README.TXT", 300, 1}}));
    const std::string workingDir = medium.root + "\\" + std::string(100, 'w');
    ASSERT_TRUE(CreateDirectoryA(workingDir.c_str(), nullptr));
    const std::string completed = workingDir + "\\target";
    ASSERT_GT(completed.size(), 127u);
    ASSERT_NO_FATAL_FAILURE(Start(workingDir));
    ASSERT_NO_FATAL_FAILURE(ChooseTarget("target"));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(
        IDOK, kCaption, "Cannot install into \"target\": longer than 127 characters."));
    ASSERT_EQ(0, PressButton(WaitForDirectoryDialog(), IDC_DIRECTORY_CANCEL));
    ExpectExitStatus(kExitDirectoryCancelled);
    EXPECT_FALSE(PathExists(completed));
    EXPECT_FALSE(PathExists(completed.substr(0, 127))) << "the cut directory was made";
}

}  // namespace
