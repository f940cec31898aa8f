// End-to-end tests of upgrades that do not finish: killed at a stage, the main window closed at a question, or Cancel in a destination's box. Afterwards the files (byte by byte) and the registry values (value by value) are as before the run, whether the next SETUP.EXE or Purgax.exe finds the killed run.
#include "uninstall_fixture.h"

#include <functional>

namespace {

const char kRecordKey[] = "Software\\Quillor Setup\\Run record";
const char kMainClass[] = "Install";
const char kSuffixKey[] = ".qz7";
// Large enough that the run is still copying it when it is killed.
const size_t kLargeSize = 48u << 20;

// Where a run is stopped.
enum Stage {
    kDuringCopy,          // the large file is being copied
    kAfterCopy,           // the box that the group folder cannot be made: copied, no shortcut
    kAfterEntry,          // the default-editor question: the App Paths and uninstall entry written
    kAfterTextCommands,   // the file types dialog: the txtfile commands written, no suffix yet
};

// Who finds the killed run.
enum NextRun { kNextSetup, kNextUninstaller };

class AllOrNothingTest : public UninstallTest {
protected:
    void SetUp() override
    {
        UninstallTest::SetUp();
        tag = "QUILLOR-E2E-" + std::to_string(GetCurrentProcessId());
        RegDeleteKeyA(HKEY_CLASSES_ROOT, kSuffixKey);
    }

    void TearDown() override
    {
        UninstallTest::TearDown();
        RegDeleteKeyA(HKEY_CLASSES_ROOT, kSuffixKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kRecordKey);
    }

    std::string Script(const std::string& version, const std::string& files)
    {
        return "[Install]\r\nApplication=Quillor\r\nCaption=Quillor Setup\r\nVersion=" + version +
               "\r\n[Files]\r\nScript=SETUP.INF\r\n"
               "Editor=Quillor.exe\r\nGuide=GUIDE.TXT\r\nShared=%" + tag + "-LIB.DLL;LIB.DLL\r\n" +
               files + kGroupLines + "[Registration]\r\nSuffixes=qz7\r\n";
    }

    // Installs version 1.0 (Yes to the default editor, its suffix bound) and lays out 1.1, which
    // replaces the editor, the guide and the shared library, adds a Windows-directory file of
    // its own and a large data file, and no longer installs OLD.TXT. blockedLine comes first
    // among 1.1's own lines. The uninstaller is 1.0's alone: the one that finds a killed 1.1
    // run is not that run's own file (the killed run's own uninstaller has a test of its own).
    void InstallFirstVersionThenLayOutSecond(const std::string& blockedLine = "")
    {
        ASSERT_NO_FATAL_FAILURE(LayOutScript(
            Script("1.0", "Uninstaller=%Purgax.exe\r\nOld=OLD.TXT\r\n"),
            {{"Quillor.exe", 3000, 1}, {"GUIDE.TXT", 300, 2}, {"LIB.DLL", 40, 3},
             {"OLD.TXT", 20, 4}, {"README.TXT", 10, 5}}));
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDYES, kCaption, kQuestion));
        Question types = WaitForQuestion(kFileTypesQuestion);
        ASSERT_TRUE(types.window);
        ASSERT_EQ(0, AnswerQuestion(program, types, IDYES));
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kCaption, kReportDone));
        ExpectExitCodeZero();
        CloseProgram(&program);

        const SourceFile second[] = {{"Quillor.exe", 4000, 11}, {"GUIDE.TXT", 350, 12},
                                     {"LIB.DLL", 50, 13},      {"NEW.DLL", 30, 14},
                                     {"DATA.BIN", kLargeSize, 15}};
        for (const SourceFile& source : second)
            ASSERT_EQ(0, WriteMediumFile(medium, source.name,
                                         PatternBytes(source.size, source.seed)));
        ASSERT_EQ(0, WriteMediumFile(medium, "SETUP.INF",
                                     Script("1.1", blockedLine + "New=%" + tag +
                                                       "-NEW.DLL;NEW.DLL\r\nData=DATA.BIN\r\n")));
    }

    // The places the runs write, with the bytes of every file and the registry values below
    // each key they write.
    Snapshot State()
    {
        Snapshot state = TakeSnapshot();
        AddKey(&state, HKEY_LOCAL_MACHINE, kSharedFiles);
        AddKey(&state, HKEY_CLASSES_ROOT, kSuffixKey);
        AddKey(&state, HKEY_LOCAL_MACHINE, kRecordKey);
        AddKey(&state, HKEY_CURRENT_USER, "Software\\Quillor Setup");
        // The run lock of a program that runs now belongs to that run and goes with it.
        state.erase("file " + WindowsFolder() + "\\Quillor Setup.lock 0");
        Snapshot files = state;
        for (const std::string& line : files) {
            if (line.rfind("file ", 0) != 0 || line.rfind("file " + medium.folder, 0) == 0)
                continue;
            std::string path = line.substr(5, line.rfind(' ') - 5);
            state.insert("bytes " + path + " " +
                         std::to_string(std::hash<std::string>()(ReadWholeFile(path))));
        }
        return state;
    }

    // Starts 1.1 and stops at stage (a killed run or a question left open).
    void RunUpTo(Stage stage)
    {
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
        if (stage == kDuringCopy) {
            ASSERT_TRUE(WaitForCopyLabel("DATA.BIN : Data"));
            return;
        }
        Question asked = WaitForQuestion(kMessageBoxQuestion);
        ASSERT_TRUE(asked.window);
        if (stage == kAfterCopy) {
            EXPECT_EQ("Cannot create \"" + places.group + "\" !", asked.text);
            return;
        }
        EXPECT_EQ(kQuestion, asked.text);
        if (stage == kAfterTextCommands) {
            ASSERT_EQ(0, AnswerQuestion(program, asked, IDYES));
            ASSERT_TRUE(WaitForQuestion(kFileTypesQuestion).window);
        }
    }

    // Before the group shortcuts the run meets a file where their folder goes.
    void BlockGroupFolder()
    {
        RemoveTree(places.group);
        ASSERT_EQ(0, WriteFileBytes(places.group, "in the way"));
        blockedGroup = true;
    }

    void ExpectStateAsBefore(const Snapshot& before)
    {
        EXPECT_EQ("", Differences(before, State()));
    }

    // The next SETUP.EXE, at its first dialog, finds the state as before (then Cancel).
    void ExpectNextSetupToFind(const Snapshot& before)
    {
        ASSERT_NO_FATAL_FAILURE(Start());
        HWND dialog = WaitForDirectoryDialog();
        ASSERT_TRUE(dialog);
        ExpectStateAsBefore(before);
        ASSERT_EQ(0, PressButton(dialog, IDC_DIRECTORY_CANCEL));
        ExpectExitStatus(kExitDirectoryCancelled);
    }

    std::string tag;
    bool blockedGroup = false;
};

struct KillCase {
    Stage stage;
    NextRun next;
};

class KilledRunTest : public AllOrNothingTest,
                      public testing::WithParamInterface<KillCase> {};

TEST_P(KilledRunTest, TheNextRunOfEitherProgramPutsEverythingBackAsBefore)
{
    ASSERT_NO_FATAL_FAILURE(InstallFirstVersionThenLayOutSecond());
    if (GetParam().stage == kAfterCopy) {
        ASSERT_NO_FATAL_FAILURE(BlockGroupFolder());
    }
    const Snapshot before = State();

    ASSERT_NO_FATAL_FAILURE(RunUpTo(GetParam().stage));
    CloseProgram(&program);
    EXPECT_EQ(0, SubkeyCount(HKEY_LOCAL_MACHINE, kRecordKey)) << "no record of the killed run";

    if (GetParam().next == kNextSetup) {
        ASSERT_NO_FATAL_FAILURE(ExpectNextSetupToFind(before));
    } else {
        ASSERT_NO_FATAL_FAILURE(StartUninstaller(UninstallString()));
        Question confirm = WaitForQuestion(kMessageBoxQuestion);
        ASSERT_TRUE(confirm.window);
        EXPECT_EQ(kConfirm, confirm.text);
        ExpectStateAsBefore(before);
        ASSERT_EQ(0, AnswerQuestion(program, confirm, IDNO));
        EXPECT_EQ((DWORD)kNothingDoneStatus, ExitCode());
    }
    if (blockedGroup) DeleteFileA(places.group.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    EachStage, KilledRunTest,
    testing::Values(KillCase{kDuringCopy, kNextSetup}, KillCase{kDuringCopy, kNextUninstaller},
                    KillCase{kAfterCopy, kNextSetup}, KillCase{kAfterCopy, kNextUninstaller},
                    KillCase{kAfterEntry, kNextSetup}, KillCase{kAfterEntry, kNextUninstaller},
                    KillCase{kAfterTextCommands, kNextSetup},
                    KillCase{kAfterTextCommands, kNextUninstaller}));

// A killed run's new file that another program holds cannot be removed yet, nor can the older
// file go back to its name: the next run changes nothing and ends with 1618, keeping the record;
// once the file is free, the run after it finishes the undo.
TEST_F(AllOrNothingTest, AnUndoThatCannotFinishKeepsTheRecordAndEndsWithTryLater)
{
    ASSERT_NO_FATAL_FAILURE(InstallFirstVersionThenLayOutSecond());
    const Snapshot before = State();
    ASSERT_NO_FATAL_FAILURE(RunUpTo(kAfterEntry));
    CloseProgram(&program);
    const std::string guide = medium.target + "\\GUIDE.TXT";
    HANDLE held = CreateFileA(guide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);

    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(
        IDOK, kErrorCaption,
        "An interrupted setup could not be undone completely: a file is in use. Nothing was "
        "installed: close the programs and try again later."));
    ExpectExitStatus(kExitAnotherRun);
    CloseProgram(&program);
    EXPECT_EQ(0, SubkeyCount(HKEY_LOCAL_MACHINE, kRecordKey)) << "the record is gone";
    int setAside = 0;
    for (const ListedFile& file : ListFolder(medium.target))
        setAside += file.name.rfind("GUIDE.TXT.", 0) == 0 && file.name.back() == '~';
    EXPECT_EQ(1, setAside) << "the older GUIDE.TXT is not waiting beside the held one";

    CloseHandle(held);
    ASSERT_NO_FATAL_FAILURE(ExpectNextSetupToFind(before));
}

// The same within the run: Cancel while another program holds one of the run's new files undoes
// the rest, keeps the record and ends with 1618 after report 7; the next run finishes the undo.
TEST_F(AllOrNothingTest, ACancelThatCannotUndoEverythingEndsWithTryLater)
{
    ASSERT_NO_FATAL_FAILURE(InstallFirstVersionThenLayOutSecond());
    const Snapshot before = State();
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    HWND progress = WaitForCopyLabel("DATA.BIN : Data");
    ASSERT_TRUE(progress);
    HANDLE held = CreateFileA((medium.target + "\\GUIDE.TXT").c_str(), GENERIC_READ,
                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    ASSERT_EQ(0, PressButton(progress, IDC_COPY_CANCEL));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kCaption, kReportAbandoned));
    ExpectExitStatus(kExitAnotherRun);
    CloseProgram(&program);
    EXPECT_EQ(0, SubkeyCount(HKEY_LOCAL_MACHINE, kRecordKey)) << "the record is gone";

    CloseHandle(held);
    ASSERT_NO_FATAL_FAILURE(ExpectNextSetupToFind(before));
}

class ClosedWindowTest : public AllOrNothingTest, public testing::WithParamInterface<Stage> {};

// The main window closed while a question is open (by another program: the person cannot reach
// it then) abandons the run: once the question is answered, nothing more is written, the run is
// undone before report 7, and it ends as abandoned.
TEST_P(ClosedWindowTest, AbandonsTheRunAndUndoesIt)
{
    ASSERT_NO_FATAL_FAILURE(InstallFirstVersionThenLayOutSecond());
    const Snapshot before = State();

    ASSERT_NO_FATAL_FAILURE(RunUpTo(GetParam()));
    Question asked = WaitForQuestion();
    ASSERT_TRUE(asked.window);
    HWND mainWindow = FindProgramWindow(program, kMainClass, kCaption, 0);
    ASSERT_TRUE(mainWindow);
    ASSERT_TRUE(PostMessageA(mainWindow, WM_CLOSE, 0, 0));
    ASSERT_EQ(0, AnswerQuestion(program, asked, IDYES));
    ASSERT_NO_FATAL_FAILURE(ExpectAbandonedEnd());
    ExpectStateAsBefore(before);
}

INSTANTIATE_TEST_SUITE_P(AtEachQuestion, ClosedWindowTest,
                         testing::Values(kAfterEntry, kAfterTextCommands));

// Cancel in the box of a destination that cannot be made, during an upgrade: report 6 as ever,
// but the run is abandoned and undone: the replaced files come back, and the file that only the
// older version installed stays.
TEST_F(AllOrNothingTest, CancelInTheBoxOfADestinationUndoesTheUpgrade)
{
    ASSERT_NO_FATAL_FAILURE(
        InstallFirstVersionThenLayOutSecond("Blocked=BLOCKED;README.TXT\r\n"));
    ASSERT_TRUE(CreateDirectoryA((medium.target + "\\BLOCKED").c_str(), nullptr));
    const Snapshot before = State();

    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    ASSERT_NO_FATAL_FAILURE(
        ExpectMessage(IDCANCEL, kErrorCaption, CannotOpen(medium.target + "\\BLOCKED")));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kCaption, kReportPartial));
    ExpectExitStatus(kExitAbandoned);
    ExpectStateAsBefore(before);
    EXPECT_TRUE(PathExists(medium.target + "\\OLD.TXT"));
}

}  // namespace
