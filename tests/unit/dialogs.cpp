// Tests of the target directory and file types dialogs and of the path completion.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "dialogs/target_path.h"

namespace {

const int kTargetCapacity = 128;

// Current directories that leave the relative completion of "Apps" just within the 127
// characters of the target, and one character beyond.
const std::string kFittingDirectory = "C:\\" + std::string(119, 'a');
const std::string kLongDirectory = kFittingDirectory + "b";
const std::string kFittingCompletion = kFittingDirectory + "\\Apps";

struct CompletionRow {
    const char* text;
    const char* currentDirectory;
    int drive;
    const char* expected;
};

const CompletionRow kCompletionRows[] = {
    {"D:Apps\\Ed", "C:\\Temp", 3, "D:\\Apps\\Ed"},
    {"D:\\Apps", "C:\\Temp", 3, "D:\\Apps"},
    {"D:", "C:\\Temp", 3, "D:\\"},
    {"C:\\Program Files\\Quillor\\", "C:\\Temp", 3, "C:\\Program Files\\Quillor\\"},
    {"\\Apps", "C:\\Temp", 3, "C:\\Apps"},
    {"\\", "C:\\Temp", 3, "C:\\"},
    {"\\\\srv\\share", "C:\\Temp", 3, "C:\\\\srv\\share"},
    {"Apps", "C:\\Temp", 3, "C:\\Temp\\Apps"},
    {"Apps", "C:\\", 3, "C:\\Apps"},
    {"Apps\\Ed\\", "D:\\Work", 4, "D:\\Work\\Apps\\Ed\\"},
    {"", "C:\\Temp", 3, "C:\\Temp\\"},
    {"a", "C:\\Temp", 3, "C:\\Temp\\a"},
    // Nothing is trimmed, resolved or changed in case.
    {" d:/x/../y ", "C:\\Temp", 3, "C:\\Temp\\ d:/x/../y "},
    {"d:x", "C:\\Temp", 3, "d:\\x"},
    {"\\Apps", "a:\\", 1, "A:\\Apps"},
    // A current directory on a network name has no drive letter to put before a root.
    {"\\Apps", "\\\\srv\\share\\dir", 0, "\\Apps"},
    {"Apps", "\\\\srv\\share\\dir", 0, "\\\\srv\\share\\dir\\Apps"},
    // An unknown current directory leaves the text relative, and so does one too long for the
    // completed path to fit (cut, it would name another directory).
    {"Apps", "", 3, "Apps"},
    {"Apps", kLongDirectory.c_str(), 3, "Apps"},
    {"Apps", kFittingDirectory.c_str(), 3, kFittingCompletion.c_str()},
};

}  // namespace

TEST(CompleteTargetPath, CompletesDriveRootAndRelativeForms)
{
    for (const CompletionRow& row : kCompletionRows) {
        char target[kTargetCapacity];
        memset(target, 'x', sizeof target);
        CompleteTargetPath(row.text, row.currentDirectory, row.drive, target, kTargetCapacity);
        EXPECT_STREQ(row.expected, target)
            << "text \"" << row.text << "\" in \"" << row.currentDirectory << "\"";
    }
}

TEST(CompleteTargetPath, CutsAnOverlongResultAt127Characters)
{
    std::string text(200, 'q');
    char target[kTargetCapacity];
    CompleteTargetPath(text.c_str(), "C:\\Temp", 3, target, kTargetCapacity);
    EXPECT_EQ(127u, strlen(target));
    EXPECT_EQ("C:\\Temp\\" + std::string(119, 'q'), std::string(target));

    std::string drive = "E:" + std::string(200, 'r');
    CompleteTargetPath(drive.c_str(), "C:\\Temp", 3, target, kTargetCapacity);
    EXPECT_EQ("E:\\" + std::string(124, 'r'), std::string(target));

    // A current directory of 260 characters or more is not known to the dialog (it passes an
    // empty one); a shorter one that leaves no room for the text keeps the text as typed.
    std::string longDirectory = "C:\\" + std::string(150, 'd');
    CompleteTargetPath("Apps", longDirectory.c_str(), 3, target, kTargetCapacity);
    EXPECT_EQ("Apps", std::string(target));
}

#ifdef _WIN32

#include <windows.h>

#include "dialogs/directory_dialog.h"
#include "dialogs/registration_dialog.h"
#include "resources/resource_ids.h"
#include "base/setup_state.h"
#include "registry.h"
#include "window_watch.h"

namespace {

const char kCaption[] = "Quillor 1.0 setup";
const char kProgramFilesKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char kProgramFilesValue[] = "ProgramFilesDir";

// How the driving thread ends the dialog.
enum EndBy { kPressButton, kPressKey, kCloseBox };

// One session with a dialog: what to do to it, and what was seen in it.
struct DialogSession {
    int editId = 0;
    bool setEdit = false;
    std::string editText;
    EndBy endBy = kPressButton;
    int button = 0;
    WPARAM key = 0;

    bool found = false;
    std::string title;
    std::string shownEdit;
    std::string prompt;
    std::string sizeLine;
    std::string onScreen;
};

// Runs on a second thread: waits (bounded) for the next question of the tested thread, reads
// it, edits it and ends it as the session says. On a timeout it closes every dialog of the
// thread, so that the modal call returns and the test fails instead of hanging.
void DriveDialog(const DrivenProgram& tested, DialogSession* session)
{
    Question dialog;
    if (NextQuestion(tested, &dialog, kWatchMs) != 0) {
        session->onScreen = dialog.onScreen;
        DismissDialogs(tested.onlyThread, *tested.stop);
        return;
    }
    session->found = true;
    session->title = dialog.caption;
    session->shownEdit = dialog.text;
    session->prompt = ReadControlText(dialog.window, IDC_DIRECTORY_PROMPT);
    session->sizeLine = ReadControlText(dialog.window, IDC_DIRECTORY_SIZE);
    if (session->setEdit)
        SetControlText(dialog.window, session->editId, session->editText.c_str());
    switch (session->endBy) {
    case kPressButton:
        PressButton(dialog.window, session->button);
        break;
    case kPressKey:
        PostMessageA(GetDlgItem(dialog.window, session->editId), WM_KEYDOWN, session->key, 0);
        break;
    case kCloseBox:
        PostMessageA(dialog.window, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
}

// The registry value as a 32-bit program sees it; false when absent.
bool ReadProgramFilesDir(std::string* value)
{
    return ReadRegistryText(HKEY_LOCAL_MACHINE, kProgramFilesKey, kProgramFilesValue, value) == 0;
}

std::string CurrentDirectory(void)
{
    char directory[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, directory);
    return directory;
}

class DialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        memset(&setupState, 0, sizeof setupState);
        setupState.instance = GetModuleHandleA(nullptr);
        LoadStringA(setupState.instance, IDS_DIRECTORY_PROMPT, setupState.directoryPrompt,
                    kTextCapacity);
        LoadStringA(setupState.instance, IDS_SIZE_FORMAT, setupState.sizeFormat, kTextCapacity);
        lstrcpyA(setupState.caption, kCaption);
        lstrcpyA(setupState.applicationName, "Quillor");
        lstrcpyA(setupState.targetDir, "C:\\EDIT");
        setupState.mainWindow = CreateTestWindow("H3DialogTestOwner", DefWindowProcA, 800, 600);
        ASSERT_NE(nullptr, setupState.mainWindow);
        ASSERT_TRUE(ReadProgramFilesDir(&programFiles));
        proposal = programFiles + "\\Quillor";
    }

    void TearDown() override
    {
        DestroyWindow(setupState.mainWindow);
        memset(&setupState, 0, sizeof setupState);
    }

    // Runs the dialog whose edit control is editId with run while a second thread drives it.
    template <typename Run>
    INT_PTR Drive(DialogSession* session, int editId, Run run)
    {
        session->editId = editId;
        INT_PTR result = WatchWhile(
            [&](const DrivenProgram& tested) { DriveDialog(tested, session); }, run);
        EXPECT_TRUE(session->found) << "no dialog; on screen: " << session->onScreen;
        EXPECT_EQ(kCaption, session->title);
        return result;
    }

    INT_PTR RunDirectory(DialogSession* session)
    {
        return Drive(session, IDC_DIRECTORY_EDIT, [] { return RunDirectoryDialog(); });
    }

    INT_PTR RunRegistration(DialogSession* session)
    {
        return Drive(session, IDC_REGISTRATION_EDIT, [] {
            return DialogBoxParamA(setupState.instance, "Registration", setupState.mainWindow,
                                   RegistrationDialogProc, 0);
        });
    }

    std::string programFiles;
    std::string proposal;
};

TEST_F(DialogTest, DirectoryProposesTheProgramFilesDirectoryAndInstallKeepsIt)
{
    setupState.totalBytes = 5000;
    DialogSession session;
    session.button = IDC_DIRECTORY_INSTALL;
    EXPECT_EQ(IDC_DIRECTORY_INSTALL, RunDirectory(&session));
    EXPECT_EQ(proposal, session.shownEdit);
    EXPECT_EQ("Install Quillor to directory:", session.prompt);
    EXPECT_EQ("This installation requires 5 Kb.", session.sizeLine);
    EXPECT_EQ(proposal, std::string(setupState.targetDir));
}

// For the current user the proposal is the user's own program folder, and a target outside the
// profile is refused; the user's own shell folders stay refused as for every installation.
TEST_F(DialogTest, DirectoryForTheCurrentUserProposesTheUsersProgramFolder)
{
    char local[MAX_PATH];
    char profile[MAX_PATH];
    ASSERT_NE(0u, GetEnvironmentVariableA("LOCALAPPDATA", local, MAX_PATH));
    ASSERT_NE(0u, GetEnvironmentVariableA("USERPROFILE", profile, MAX_PATH));
    const std::string own = std::string(local) + "\\Programs\\Quillor";
    setupState.scope = kScopeCurrentUser;
    DialogSession session;
    session.button = IDC_DIRECTORY_INSTALL;
    EXPECT_EQ(IDC_DIRECTORY_INSTALL, RunDirectory(&session));
    EXPECT_EQ(own, session.shownEdit);

    struct Row {
        InstallScope scope;
        std::string path;
        UINT refusal;
    };
    const Row rows[] = {
        {kScopeCurrentUser, own, 0},
        {kScopeCurrentUser, "C:\\QuillorScopeTest", IDS_OUTSIDE_PROFILE},
        {kScopeCurrentUser, std::string(profile) + "\\Documents", IDS_REFUSED_TARGET},
        {kScopeCurrentUser, profile, IDS_REFUSED_TARGET},
        {kScopeAllUsers, "C:\\QuillorScopeTest", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        setupState.scope = row.scope;
        EXPECT_EQ(row.refusal, TakeTargetDirectory(row.path.c_str()));
    }
}

TEST_F(DialogTest, DirectorySizeLineRoundsUpToKilobytes)
{
    const struct {
        long long totalBytes;
        const char* expected;
    } rows[] = {
        {0, "This installation requires 0 Kb."},
        {1, "This installation requires 1 Kb."},
        {1024, "This installation requires 1 Kb."},
        {1025, "This installation requires 2 Kb."},
        {3221225472LL, "This installation requires 3145728 Kb."},  // 3 GiB
    };
    for (const auto& row : rows) {
        setupState.totalBytes = row.totalBytes;
        DialogSession session;
        session.endBy = kPressKey;
        session.key = VK_ESCAPE;
        EXPECT_EQ(IDC_DIRECTORY_CANCEL, RunDirectory(&session));
        EXPECT_EQ(row.expected, session.sizeLine);
    }
}

TEST_F(DialogTest, DirectoryInstallCompletesARelativeText)
{
    DialogSession session;
    session.setEdit = true;
    session.editText = "Apps\\Ed";
    session.button = IDC_DIRECTORY_INSTALL;
    EXPECT_EQ(IDC_DIRECTORY_INSTALL, RunDirectory(&session));
    std::string current = CurrentDirectory();
    if (current.back() != '\\')
        current += "\\";
    EXPECT_EQ(current + "Apps\\Ed", std::string(setupState.targetDir));
}

TEST_F(DialogTest, DirectoryEnterConfirmsTheEditedText)
{
    DialogSession session;
    session.setEdit = true;
    session.editText = "\\Apps";
    session.endBy = kPressKey;
    session.key = VK_RETURN;
    EXPECT_EQ(IDC_DIRECTORY_INSTALL, RunDirectory(&session));
    EXPECT_EQ(CurrentDirectory().substr(0, 2) + "\\Apps", std::string(setupState.targetDir));
}

TEST_F(DialogTest, DirectoryDriveLetterTextGoesBelowTheRoot)
{
    DialogSession session;
    session.setEdit = true;
    session.editText = "D:Apps. ";
    session.button = IDC_DIRECTORY_INSTALL;
    EXPECT_EQ(IDC_DIRECTORY_INSTALL, RunDirectory(&session));
    EXPECT_STREQ("D:\\Apps", setupState.targetDir);
}

// The field takes what the state can hold; a longer completed path is refused, never cut.
TEST_F(DialogTest, DirectoryTakesA127CharacterText)
{
    DialogSession session;
    session.setEdit = true;
    session.editText = "Z:\\" + std::string(124, 'w');
    session.button = IDC_DIRECTORY_INSTALL;
    EXPECT_EQ(IDC_DIRECTORY_INSTALL, RunDirectory(&session));
    EXPECT_EQ(session.editText, std::string(setupState.targetDir));
}

TEST_F(DialogTest, DirectoryCancelButtonEscapeAndCloseBoxKeepTheProposal)
{
    DialogSession button;
    button.setEdit = true;
    button.editText = "D:\\Elsewhere";
    button.button = IDC_DIRECTORY_CANCEL;
    EXPECT_EQ(IDC_DIRECTORY_CANCEL, RunDirectory(&button));
    EXPECT_EQ(proposal, std::string(setupState.targetDir));

    DialogSession escape;
    escape.endBy = kPressKey;
    escape.key = VK_ESCAPE;
    EXPECT_EQ(IDC_DIRECTORY_CANCEL, RunDirectory(&escape));

    DialogSession close;
    close.endBy = kCloseBox;
    EXPECT_EQ(IDC_DIRECTORY_CANCEL, RunDirectory(&close));
    EXPECT_EQ(proposal, std::string(setupState.targetDir));
}

// Removes the program files value for one test and puts it back afterwards.
class DirectoryWithoutRegistryValueTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        saved = ReadStoredValue(HKEY_LOCAL_MACHINE, kProgramFilesKey, kProgramFilesValue);
        ASSERT_EQ(0, DeleteRegistryValue(HKEY_LOCAL_MACHINE, kProgramFilesKey, kProgramFilesValue));
    }

    void TearDown() override
    {
        RestoreStoredValue(HKEY_LOCAL_MACHINE, kProgramFilesKey, kProgramFilesValue, saved);
        std::string restored;
        EXPECT_TRUE(ReadProgramFilesDir(&restored));
        EXPECT_EQ(programFiles, restored);
        DialogTest::TearDown();
    }

    StoredValue saved;
};

TEST_F(DirectoryWithoutRegistryValueTest, ProposesTheScriptsDirectory)
{
    DialogSession session;
    session.button = IDC_DIRECTORY_INSTALL;
    EXPECT_EQ(IDC_DIRECTORY_INSTALL, RunDirectory(&session));
    EXPECT_EQ("C:\\EDIT", session.shownEdit);
    EXPECT_STREQ("C:\\EDIT", setupState.targetDir);
}

TEST_F(DialogTest, RegistrationYesTakesTheEditedList)
{
    lstrcpyA(setupState.suffixList, "txt,ini,log");
    DialogSession session;
    session.setEdit = true;
    session.editText = "txt,cfg";
    session.button = IDYES;
    EXPECT_EQ(IDYES, RunRegistration(&session));
    EXPECT_EQ("txt,ini,log", session.shownEdit);
    EXPECT_STREQ("txt,cfg", setupState.suffixList);
}

TEST_F(DialogTest, RegistrationNoEscapeAndCloseBoxKeepTheList)
{
    lstrcpyA(setupState.suffixList, "txt,ini");
    DialogSession no;
    no.setEdit = true;
    no.editText = "discarded";
    no.button = IDNO;
    EXPECT_EQ(IDNO, RunRegistration(&no));
    EXPECT_STREQ("txt,ini", setupState.suffixList);

    DialogSession escape;
    escape.setEdit = true;
    escape.editText = "discarded";
    escape.endBy = kPressKey;
    escape.key = VK_ESCAPE;
    EXPECT_EQ(IDNO, RunRegistration(&escape));
    EXPECT_STREQ("txt,ini", setupState.suffixList);

    DialogSession close;
    close.endBy = kCloseBox;
    EXPECT_EQ(IDNO, RunRegistration(&close));
    EXPECT_STREQ("txt,ini", setupState.suffixList);
}

TEST_F(DialogTest, RegistrationEnterChoosesYesFromAnEmptyList)
{
    DialogSession session;
    session.setEdit = true;
    session.editText = "md";
    session.endBy = kPressKey;
    session.key = VK_RETURN;
    EXPECT_EQ(IDYES, RunRegistration(&session));
    EXPECT_EQ("", session.shownEdit);
    EXPECT_STREQ("md", setupState.suffixList);
}

TEST_F(DialogTest, RegistrationTakesAtMost127Characters)
{
    DialogSession session;
    session.setEdit = true;
    session.editText = std::string(130, 's');
    session.button = IDYES;
    EXPECT_EQ(IDYES, RunRegistration(&session));
    EXPECT_EQ(std::string(127, 's'), std::string(setupState.suffixList));
}

}  // namespace

#endif  // _WIN32
