// Tests of the copy engine: directories made and checked, files copied chunk by chunk with their time stamps, Cancel, and the boxes of a destination that cannot be opened.
#include <gtest/gtest.h>

// Windows calls only: the native build compiles nothing of this file.
#ifdef _WIN32
#include "copy_host.h"

namespace {

TEST(CreatePathDirectories, CreatesEveryMissingDirectoryButTheLastComponent)
{
    std::string root = MakeTempDirectory("quillor-dirs");
    char path[kPathCapacity];
    lstrcpyA(path, (root + "\\one\\two\\three\\file.txt").c_str());
    EXPECT_EQ(0, CreatePathDirectories(path, 0, kPathCapacity, nullptr, "Install"));
    EXPECT_STREQ((root + "\\one\\two\\three\\file.txt").c_str(), path);  // restored
    EXPECT_TRUE(IsDirectory(root + "\\one\\two\\three"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((root + "\\one\\two\\three\\file.txt").c_str()));

    // Everything existing already: nothing to report.
    EXPECT_EQ(0, CreatePathDirectories(path, 0, kPathCapacity, nullptr, "Install"));
    EndRunRecord(0);
    RemoveTree(root);
}

TEST(CreatePathDirectories, ToleratesADoubledSeparatorAfterTheRoot)
{
    std::string root = MakeTempDirectory("quillor-root");
    // A target directory of the drive root gives "C:" and two separators before the name.
    std::string doubled = root.substr(0, 3) + "\\" + root.substr(3) + "\\sub\\file.txt";
    char path[kPathCapacity];
    lstrcpyA(path, doubled.c_str());
    EXPECT_EQ(0, CreatePathDirectories(path, 0, kPathCapacity, nullptr, "Install"));
    EXPECT_STREQ(doubled.c_str(), path);
    EXPECT_TRUE(IsDirectory(root + "\\sub"));

    lstrcpyA(path, (root.substr(0, 3) + "\\file.txt").c_str());
    EXPECT_EQ(0, CreatePathDirectories(path, 0, kPathCapacity, nullptr, "Install"));
    EndRunRecord(0);
    RemoveTree(root);
}

TEST(CreatePathDirectories, ReportsTheDirectoryThatCannotBeCreated)
{
    std::string root = MakeTempDirectory("quillor-fail");
    ASSERT_EQ(0, WriteFileBytes(root + "\\plain", "a file where a directory is wanted"));
    std::string wanted = root + "\\plain\\sub\\deeper\\file.txt";
    char path[kPathCapacity];
    lstrcpyA(path, wanted.c_str());

    SeenMessageBox seen;
    int result = AnswerMessageBoxDuring(
        IDOK, &seen, [&] { return CreatePathDirectories(path, 0, kPathCapacity, nullptr, "Install"); });

    EXPECT_EQ(-1, result);
    ASSERT_TRUE(seen.window) << "no message box; on screen: " << seen.onScreen;
    EXPECT_EQ("Install", seen.caption);
    EXPECT_EQ("Cannot create \"" + root + "\\plain\\sub\" !", seen.text);
    EXPECT_STREQ(wanted.c_str(), path);
    RemoveTree(root);
}

TEST_F(CopyEngineTest, CopiesBytesAndTimeStampsAndCutsALongerOldFile)
{
    std::string data = PatternBytes(5000, 1);
    ASSERT_EQ(0, WriteFileBytes(source + "\\EDIT.EX_", data));
    FILETIME created = TimeOf(2001, 2, 3);
    FILETIME accessed = TimeOf(2002, 3, 4);
    FILETIME written = TimeOf(2003, 4, 5);
    ASSERT_EQ(0, WriteFileTimes(source + "\\EDIT.EX_", {created, accessed, written}));
    CreateDirectoryA(target.c_str(), nullptr);
    CreateDirectoryA((target + "\\BIN").c_str(), nullptr);
    ASSERT_EQ(0, WriteFileBytes(target + "\\BIN\\EDIT.EXE", std::string(20000, 'x')));

    RunCopy("Editor=BIN\\EDIT.EXE;EDIT.EX_\r\n", 5000);

    EXPECT_EQ(static_cast<UINT>(UM_SHORTCUTS), run.endMessage);
    EXPECT_EQ(0, setupState.errorCount);
    // Times first: reading the copy would move its access time.
    FileTimes copy, original;
    ASSERT_EQ(0, ReadFileTimes(target + "\\BIN\\EDIT.EXE", &copy));
    ASSERT_EQ(0, ReadFileTimes(source + "\\EDIT.EX_", &original));
    EXPECT_TRUE(data == ReadWholeFile(target + "\\BIN\\EDIT.EXE"));
    EXPECT_EQ(TicksOf(written), TicksOf(copy.lastWrite));
    EXPECT_EQ(TicksOf(original.lastWrite), TicksOf(copy.lastWrite));
    EXPECT_EQ(TicksOf(original.lastAccess), TicksOf(copy.lastAccess));
    EXPECT_EQ(TicksOf(original.creation), TicksOf(copy.creation));
    EXPECT_EQ(nullptr, setupState.progressDialog);
    ASSERT_FALSE(run.labels.empty());
    EXPECT_EQ("BIN\\EDIT.EXE;EDIT.EX_ : Editor", run.labels.front());
}

TEST_F(CopyEngineTest, AFileOfTwoFullChunksTakesThreeChunkSteps)
{
    std::string data = PatternBytes(16384, 2);
    ASSERT_EQ(0, WriteFileBytes(source + "\\A.BIN", data));
    RunCopy("A=A.BIN\r\n", 16384);
    EXPECT_EQ(3, run.chunkSteps);
    EXPECT_TRUE(data == ReadWholeFile(target + "\\A.BIN"));
    EXPECT_EQ(16384, setupState.copiedBytes);
}

TEST_F(CopyEngineTest, AnEmptySourceGivesAnEmptyDestinationInOneStep)
{
    ASSERT_EQ(0, WriteFileBytes(source + "\\EMPTY", ""));
    FILETIME written = TimeOf(1999, 12, 31);
    ASSERT_EQ(0, WriteFileTimes(source + "\\EMPTY", {written, written, written}));
    RunCopy("Empty=EMPTY\r\n", 0);
    EXPECT_EQ(1, run.chunkSteps);
    EXPECT_EQ("", ReadWholeFile(target + "\\EMPTY"));
    FileTimes copy;
    ASSERT_EQ(0, ReadFileTimes(target + "\\EMPTY", &copy));
    EXPECT_EQ(TicksOf(written), TicksOf(copy.lastWrite));
    EXPECT_EQ(0, setupState.errorCount);
}

TEST_F(CopyEngineTest, SplitsTheValueAtItsLastSemicolon)
{
    std::string data = PatternBytes(100, 3);
    ASSERT_EQ(0, WriteFileBytes(source + "\\Z", data));
    RunCopy("Odd=X;Y;Z\r\n", 100);
    EXPECT_TRUE(data == ReadWholeFile(target + "\\X;Y"));
    EXPECT_EQ(0, setupState.errorCount);
    ASSERT_FALSE(run.labels.empty());
    EXPECT_EQ("X;Y;Z : Odd", run.labels.front());
}

TEST_F(CopyEngineTest, PassesOverCommentsAndCountsMissingOrEmptySourcesSilently)
{
    std::string data = PatternBytes(10, 4);
    ASSERT_EQ(0, WriteFileBytes(source + "\\B", data));
    // A missing source, an empty source name, a line without '=': three silent failures.
    RunCopy("; comment\r\n\r\n=\r\nMissing=NOPE.BIN\r\nEmpty=A;\r\nNoValue\r\nB=B\r\n", 10);
    EXPECT_EQ(static_cast<UINT>(UM_SHORTCUTS), run.endMessage);
    EXPECT_EQ(3, setupState.errorCount);
    EXPECT_TRUE(data == ReadWholeFile(target + "\\B"));
    EXPECT_FALSE(IsDirectory(target + "\\A"));
    EXPECT_EQ("<missing>", ReadWholeFile(target + "\\NOPE.BIN"));
}

TEST_F(CopyEngineTest, APercentEntryGoesToTheWindowsDirectory)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    char name[64];
    wsprintfA(name, "h3copytest%lu.dll", GetCurrentProcessId());
    std::string installed = std::string(windows) + "\\" + name;
    DeleteFileA(installed.c_str());
    std::string data = PatternBytes(9000, 5);
    ASSERT_EQ(0, WriteFileBytes(source + "\\LIB.DL_", data));

    RunCopy(std::string("Library=%") + name + ";LIB.DL_\r\n", 9000);

    std::string copied = ReadWholeFile(installed);
    DeleteFileA(installed.c_str());
    EXPECT_TRUE(data == copied);
    EXPECT_EQ(0, setupState.errorCount);
    EXPECT_EQ(installed, setupState.destPath);
    EXPECT_FALSE(IsDirectory(target));  // no target directory is created for it
    ASSERT_FALSE(run.labels.empty());
    EXPECT_EQ(std::string(name) + ";LIB.DL_ : Library", run.labels.front());
}

TEST_F(CopyEngineTest, ProgressTextsFollowTheChunks)
{
    ASSERT_EQ(0, WriteFileBytes(source + "\\ONE", PatternBytes(24576, 6)));
    ASSERT_EQ(0, WriteFileBytes(source + "\\TWO", PatternBytes(8192, 7)));
    RunCopy("One=ONE\r\nTwo=TWO\r\n", 32768);

    // After each step that changed them: the file and the overall percentage.
    std::vector<std::string> files = {"0 %", "33 %", "66 %", "100 %", "0 %", "100 %"};
    std::vector<std::string> overall = {"0 %", "0 %", "0 %", "75 %", "75 %", "100 %"};
    EXPECT_EQ(files, run.fileTexts);
    EXPECT_EQ(overall, run.overallTexts);
    EXPECT_EQ(std::vector<std::string>({"ONE : One", "TWO : Two"}), run.labels);
}

TEST_F(CopyEngineTest, CancelStopsAtTheNextChunkAndRemovesTheFileItCut)
{
    std::string data = PatternBytes(24576, 8);
    ASSERT_EQ(0, WriteFileBytes(source + "\\ONE", data));
    ASSERT_EQ(0, WriteFileBytes(source + "\\TWO", "two"));
    run.cancelAtChunk = 2;
    RunCopy("One=ONE\r\nTwo=TWO\r\n", 24579);

    EXPECT_EQ(static_cast<UINT>(UM_FINISH), run.endMessage);
    EXPECT_EQ(1, setupState.cancelled);
    EXPECT_EQ(1, setupState.errorCount);
    EXPECT_EQ("<missing>", ReadWholeFile(target + "\\ONE"));
    EXPECT_EQ("<missing>", ReadWholeFile(target + "\\TWO"));
    EXPECT_EQ(nullptr, setupState.progressDialog);
}

TEST_F(CopyEngineTest, CancelInTheCannotOpenBoxAbandonsTheInstallation)
{
    ASSERT_EQ(0, WriteFileBytes(source + "\\DIR", "x"));
    ASSERT_EQ(0, WriteFileBytes(source + "\\NEXT", "next"));
    CreateDirectoryA(target.c_str(), nullptr);
    CreateDirectoryA((target + "\\DIR").c_str(), nullptr);  // a directory cannot be opened

    SeenMessageBox seen;
    AnswerMessageBoxDuring(IDCANCEL, &seen, [&] { RunCopy("Dir=DIR\r\nNext=NEXT\r\n", 5); });

    ASSERT_TRUE(seen.window) << "no message box; on screen: " << seen.onScreen;
    EXPECT_EQ("Install", seen.caption);
    EXPECT_EQ("Cannot open \"" + target + "\\DIR\" !", seen.text);
    EXPECT_EQ(static_cast<UINT>(UM_FINISH), run.endMessage);
    EXPECT_EQ(1, setupState.errorCount);
    EXPECT_EQ(0, setupState.cancelled);
    EXPECT_NE(nullptr, setupState.progressDialog);  // left open until the program ends
    EXPECT_EQ("<missing>", ReadWholeFile(target + "\\NEXT"));
}

TEST_F(CopyEngineTest, OkInTheCannotOpenBoxGoesOnWithTheNextEntry)
{
    ASSERT_EQ(0, WriteFileBytes(source + "\\DIR", "x"));
    ASSERT_EQ(0, WriteFileBytes(source + "\\NEXT", "next"));
    CreateDirectoryA(target.c_str(), nullptr);
    CreateDirectoryA((target + "\\DIR").c_str(), nullptr);

    SeenMessageBox seen;
    AnswerMessageBoxDuring(IDOK, &seen, [&] { RunCopy("Dir=DIR\r\nNext=NEXT\r\n", 5); });

    ASSERT_TRUE(seen.window) << "no message box; on screen: " << seen.onScreen;
    EXPECT_EQ(static_cast<UINT>(UM_SHORTCUTS), run.endMessage);
    EXPECT_EQ(1, setupState.errorCount);
    EXPECT_EQ("next", ReadWholeFile(target + "\\NEXT"));
}

TEST_F(CopyEngineTest, ASourcePathThatDoesNotFitIsAFailureNotAShorterName)
{
    // A medium directory so deep that the source name is cut after its first 10 characters;
    // a file bearing the cut name must not be taken for the source.
    std::string deep = source;
    while (deep.size() < 240) {
        size_t segment = 246 - deep.size() < 40 ? 246 - deep.size() : 40;
        deep += "\\" + std::string(segment, 'd');
        CreateDirectoryA(deep.c_str(), nullptr);
    }
    ASSERT_TRUE(IsDirectory(deep));
    std::string prefix = deep + "\\";
    int room = kPathCapacity - 1 - static_cast<int>(prefix.size());
    ASSERT_GT(room, 0);
    std::string name = std::string(room, 'N') + "LONGER.BIN";
    ASSERT_EQ(0, WriteFileBytes(prefix + name.substr(0, room), "the wrong file"));
    lstrcpyA(setupState.modulePath, prefix.c_str());
    setupState.dirLength = static_cast<int>(prefix.size());

    RunCopy("Long=LONG.BIN;" + name + "\r\n", 14);

    EXPECT_EQ(1, setupState.errorCount);
    EXPECT_EQ(0, run.chunkSteps);
    EXPECT_EQ("<missing>", ReadWholeFile(target + "\\LONG.BIN"));
}

TEST_F(CopyEngineTest, TheProgressDialogIsPaintedBeforeTheFirstStep)
{
    script = "[Files]\r\n";
    setupState.scriptText = script.c_str();
    PostStep(StartCopy());
    HWND dialog = setupState.progressDialog;
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_FALSE(GetUpdateRect(dialog, nullptr, FALSE));
    EXPECT_FALSE(GetUpdateRect(GetDlgItem(dialog, IDC_COPY_CANCEL), nullptr, FALSE));
    PumpUntilEnd(&run);
    EXPECT_EQ(static_cast<UINT>(UM_SHORTCUTS), run.endMessage);
    EXPECT_EQ(0, setupState.errorCount);
}

TEST_F(CopyEngineTest, AMissingFilesSectionCountsAnErrorAndFinishes)
{
    script = "[Install]\r\nApplication=Quillor\r\n";
    setupState.scriptText = script.c_str();
    SeenMessageBox seen;
    AnswerMessageBoxDuring(IDOK, &seen, [&] {
        PostStep(StartCopy());
        PumpUntilEnd(&run);
    });

    ASSERT_TRUE(seen.window) << "no message box; on screen: " << seen.onScreen;
    EXPECT_EQ("Section [Files] does not exist !", seen.text);
    EXPECT_EQ(static_cast<UINT>(UM_FINISH), run.endMessage);
    EXPECT_EQ(1, setupState.errorCount);
    EXPECT_EQ(nullptr, setupState.progressDialog);
}

}  // namespace

#endif  // _WIN32
