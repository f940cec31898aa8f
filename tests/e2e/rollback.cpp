// End-to-end tests of undoing a cancelled copy: files and folders of the run removed, older files put back as they were.
#include "uninstall_fixture.h"

namespace {

// Large enough that Cancel lands while the file is being copied, chunk by chunk.
const size_t kLargeSize = 48u << 20;

// A file's attributes, stamps and bytes, in one line.
std::string ExactFile(const std::string& path)
{
    FileTimes times = {};
    ReadFileTimes(path, &times);
    return "exact " + path + " " + std::to_string(GetFileAttributesA(path.c_str())) + " " +
           std::to_string(TicksOf(times.creation)) + " " + std::to_string(TicksOf(times.lastWrite)) +
           " " + ReadWholeFile(path);
}

// Everything of a folder tree that a rollback must keep: each folder, each file exactly.
Snapshot ExactState(const std::string& folder)
{
    Snapshot state;
    AddFolder(&state, folder, true);
    Snapshot files = state;
    for (const std::string& line : files) {
        if (line.compare(0, 5, "file ") == 0)
            state.insert(ExactFile(line.substr(5, line.rfind(' ') - 5)));
    }
    return state;
}

class RollbackTest : public SetupRunTest {
protected:
    void TearDown() override
    {
        SetupRunTest::TearDown();
        RemoveTree(windowsPath);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kQuillorEntry);
    }

    // Lays out a medium whose script overwrites the older files of an installation in the
    // target and in the Windows directory, and adds a folder and files of its own; the target
    // also holds a file of the person's that the script does not name.
    void LayOutReinstall()
    {
        windowsName = "QuillorRollback-" + std::to_string(GetCurrentProcessId()) + ".dll";
        windowsPath = WindowsFolder() + "\\" + windowsName;
        ASSERT_NO_FATAL_FAILURE(LayOut(
            "Library=%" + windowsName + ";LIB.DLL\r\nEditor=EDITOR.EXE\r\n"
            "Guide=DOCS\\GUIDE.TXT;GUIDE.TXT\r\nData=DATA.BIN\r\nLast=LAST.TXT\r\n",
            {{"LIB.DLL", 3000, 1}, {"EDITOR.EXE", 20000, 2}, {"GUIDE.TXT", 500, 3},
             {"DATA.BIN", kLargeSize, 4}, {"LAST.TXT", 10, 5}}));
        ASSERT_EQ(0, MakeDirectories(medium.target));
        const FileTimes old = {MakeFileTime(1999, 1, 2, 3, 4, 5), MakeFileTime(1999, 1, 2, 3, 4, 6),
                               MakeFileTime(1999, 1, 2, 3, 4, 7)};
        const std::string olderFiles[] = {windowsPath, medium.target + "\\EDITOR.EXE",
                                          medium.target + "\\DATA.BIN",
                                          medium.target + "\\NOTES.TXT"};
        unsigned seed = 20;
        for (const std::string& path : olderFiles) {
            ASSERT_EQ(0, WriteFileBytes(path, PatternBytes(777 + seed, seed))) << path;
            ASSERT_EQ(0, WriteFileTimes(path, old)) << path;
            seed++;
        }
        ASSERT_TRUE(SetFileAttributesA((medium.target + "\\EDITOR.EXE").c_str(),
                                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
        targetHoldsFiles = true;
    }

    std::string windowsName;
    std::string windowsPath;
};

TEST_F(RollbackTest, CancelDuringAReinstallPutsBackEveryOlderFileExactly)
{
    ASSERT_NO_FATAL_FAILURE(LayOutReinstall());
    const Snapshot target = ExactState(medium.target);
    Snapshot windows;
    AddFolder(&windows, WindowsFolder(), false);
    const std::string library = ExactFile(windowsPath);

    ASSERT_NO_FATAL_FAILURE(CancelDuringCopyOf("DATA.BIN : Data"));
    EXPECT_EQ("", Differences(target, ExactState(medium.target)));
    Snapshot windowsAfter;
    AddFolder(&windowsAfter, WindowsFolder(), false);
    EXPECT_EQ("", Differences(windows, windowsAfter));
    EXPECT_EQ(library, ExactFile(windowsPath));
}

TEST_F(RollbackTest, ASuccessfulReinstallLeavesNoSetAsideFile)
{
    ASSERT_NO_FATAL_FAILURE(LayOutReinstall());
    Snapshot windows;
    AddFolder(&windows, WindowsFolder(), false);
    const std::string notes = ReadWholeFile(medium.target + "\\NOTES.TXT");

    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    ASSERT_NO_FATAL_FAILURE(ExpectSuccessfulEnd());
    Snapshot after;
    AddFolder(&after, medium.target, true);
    const Snapshot expected = {
        "file " + medium.target + "\\EDITOR.EXE 20000", "folder " + medium.target + "\\DOCS",
        "file " + medium.target + "\\DOCS\\GUIDE.TXT 500",
        "file " + medium.target + "\\DATA.BIN " + std::to_string(kLargeSize),
        "file " + medium.target + "\\LAST.TXT 10", "file " + medium.target + "\\NOTES.TXT 800"};
    EXPECT_EQ("", Differences(expected, after));
    EXPECT_EQ(notes, ReadWholeFile(medium.target + "\\NOTES.TXT"));
    ExpectCopied(medium.target + "\\EDITOR.EXE", "EDITOR.EXE");
    ExpectCopied(windowsPath, "LIB.DLL");

    Snapshot windowsAfter;
    AddFolder(&windowsAfter, WindowsFolder(), false);
    windows.erase("file " + windowsPath + " 797");
    windowsAfter.erase("file " + windowsPath + " 3000");
    EXPECT_EQ("", Differences(windows, windowsAfter));
}

TEST_F(RollbackTest, AKilledRunIsUndoneByTheNextOneBeforeItsFirstDialog)
{
    ASSERT_NO_FATAL_FAILURE(LayOutReinstall());
    const Snapshot target = ExactState(medium.target);
    const std::string library = ExactFile(windowsPath);

    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    ASSERT_TRUE(WaitForCopyLabel("DATA.BIN : Data"));
    CloseProgram(&program);
    ASSERT_NE("", Differences(target, ExactState(medium.target))) << "the run changed nothing";

    ASSERT_NO_FATAL_FAILURE(Start());
    HWND dialog = WaitForDirectoryDialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ("", Differences(target, ExactState(medium.target)));
    EXPECT_EQ(library, ExactFile(windowsPath));
    ASSERT_EQ(0, PressButton(dialog, IDC_DIRECTORY_CANCEL));
    ExpectExitStatus(kExitDirectoryCancelled);
}

TEST_F(RollbackTest, AFilePlantedUnderTheNameBesideIsNeitherReplacedNorFollowed)
{
    ASSERT_NO_FATAL_FAILURE(LayOut("Old=OLD.TXT\r\n", {{"OLD.TXT", 100, 1}}));
    ASSERT_EQ(0, MakeDirectories(medium.target));
    const std::string old = medium.target + "\\OLD.TXT";
    ASSERT_EQ(0, WriteFileBytes(old, "the older OLD.TXT"));
    ASSERT_EQ(0, WriteFileBytes(old + ".1~", "planted where the older one would go"));
    targetHoldsFiles = true;

    // The older file is set aside under the next free name instead, and goes as the run is kept.
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    ASSERT_NO_FATAL_FAILURE(ExpectSuccessfulEnd());
    ExpectCopied(old, "OLD.TXT");
    ExpectContent(old + ".1~", "planted where the older one would go");
    EXPECT_FALSE(PathExists(old + ".2~"));
}

// Once the run has made DOCS and its file, DOCS is moved away and a link to a decoy folder put
// in its place, before a Cancel or after the run was killed: undoing the run must not remove
// the decoy's file of the same name, nor the link.
class RollbackLinkTest : public RollbackTest, public testing::WithParamInterface<bool> {};

TEST_P(RollbackLinkTest, AFolderSwappedForALinkLeavesWhatItLeadsToAlone)
{
    const bool killed = GetParam();
    ASSERT_NO_FATAL_FAILURE(LayOutReinstall());
    TempFolder decoy;
    ASSERT_EQ(0, WriteFileBytes(decoy.path + "\\GUIDE.TXT", "a decoy of another user's"));
    const Snapshot decoyState = ExactState(decoy.path);

    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    HWND progress = WaitForCopyLabel("DATA.BIN : Data");
    ASSERT_TRUE(progress);
    if (killed) CloseProgram(&program);
    const std::string docs = medium.target + "\\DOCS";
    ASSERT_TRUE(MoveFileA(docs.c_str(), (medium.target + "\\MOVED").c_str()));
    ASSERT_EQ(0, MakeFolderLink(docs, decoy.path));
    if (killed) {
        ASSERT_NO_FATAL_FAILURE(Start());
        HWND dialog = WaitForDirectoryDialog();
        ASSERT_TRUE(dialog);
        ASSERT_EQ(0, PressButton(dialog, IDC_DIRECTORY_CANCEL));
        ExpectExitStatus(kExitDirectoryCancelled);
    } else {
        ASSERT_EQ(0, PressButton(progress, IDC_COPY_CANCEL));
        ASSERT_NO_FATAL_FAILURE(ExpectAbandonedEnd());
    }

    EXPECT_EQ("", Differences(decoyState, ExactState(decoy.path)));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(docs.c_str())) << "the link is gone";
    ExpectContent(medium.target + "\\EDITOR.EXE", PatternBytes(798, 21));
    RemoveFolderLink(docs);
}

std::string LinkTestName(const testing::TestParamInfo<bool>& info)
{
    return info.param ? "AfterAKilledRun" : "BeforeACancel";
}

INSTANTIATE_TEST_SUITE_P(Rollback, RollbackLinkTest, testing::Bool(), LinkTestName);

}  // namespace
