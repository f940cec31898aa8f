// Tests of the copy engine, the progress dialog and the arithmetic of its bars.
#include <gtest/gtest.h>

#include "copy/progress_bands.h"

namespace {

struct BandsRow {
    int width;
    int percent;
    BarBands expected;
};

const BandsRow kBandsRows[] = {
    // width, percent: blue width, black, grey width, white start, white width
    {100, 0, {0, 1, 3, 4, 96}},
    {100, 50, {50, 1, 3, 54, 46}},
    {100, 96, {96, 1, 3, 100, 0}},
    {100, 97, {97, 1, 2, 100, 0}},
    {100, 98, {98, 1, 1, 100, 0}},
    {100, 99, {99, 1, 0, 100, 0}},
    {100, 100, {100, 0, 0, 100, 0}},
    {100, 65536 + 50, {50, 1, 3, 54, 46}},  // taken as unsigned 16-bit
    {100, 150, {100, 0, 0, 100, 0}},        // clipped to the control
    {100, -1, {100, 0, 0, 100, 0}},         // 65535 %
    {3, 0, {0, 1, 2, 3, 0}},
    {1, 50, {0, 1, 0, 1, 0}},
    {0, 50, {0, 0, 0, 0, 0}},
    {267, 33, {88, 1, 3, 92, 175}},
};

}  // namespace

TEST(ComputeBarBands, BandsForEachPercent)
{
    for (const BandsRow& row : kBandsRows) {
        BarBands bands = ComputeBarBands(row.width, row.percent);
        SCOPED_TRACE(testing::Message() << "width " << row.width << ", percent " << row.percent);
        EXPECT_EQ(row.expected.doneWidth, bands.doneWidth);
        EXPECT_EQ(row.expected.blackWidth, bands.blackWidth);
        EXPECT_EQ(row.expected.grayWidth, bands.grayWidth);
        EXPECT_EQ(row.expected.whiteStart, bands.whiteStart);
        EXPECT_EQ(row.expected.whiteWidth, bands.whiteWidth);
    }
}

TEST(ComputeBarBands, BandsCoverTheWholeWidthExactlyOnce)
{
    for (int width = 0; width <= 300; width += 7) {
        for (int percent = 0; percent <= 100; percent++) {
            BarBands bands = ComputeBarBands(width, percent);
            int covered = bands.doneWidth + bands.blackWidth + bands.grayWidth + bands.whiteWidth;
            ASSERT_EQ(width, covered) << "width " << width << ", percent " << percent;
            if (bands.whiteWidth > 0) {
                ASSERT_EQ(bands.doneWidth + 4, bands.whiteStart);
            }
        }
    }
}

TEST(PercentOf, TruncatesAndTreatsEmptyWholesAsZero)
{
    const struct {
        long long part;
        long long whole;
        int expected;
    } rows[] = {
        {0, 0, 0},
        {5, 0, 0},
        {0, 8192, 0},
        {8192, 24576, 33},
        {16384, 24576, 66},
        {24576, 24576, 100},
        {24576, 32768, 75},
        {32768, 32768, 100},
        {1, 3, 33},
        {9000, 8192, 100},  // a source that grew while it was copied
        {-1, 100, 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.expected, PercentOf(row.part, row.whole))
            << row.part << " of " << row.whole;
}

TEST(PercentOf, LargeCountsDoNotOverflow)
{
    // Beyond 21,474,836 bytes the product with 100 no longer fits 32 bits.
    EXPECT_EQ(75, PercentOf(30000000, 40000000));
    EXPECT_EQ(99, PercentOf(2147483646, 2147483647));
    EXPECT_EQ(50, PercentOf(1610612736LL, 3221225472LL));            // 1.5 GiB of 3 GiB
    EXPECT_EQ(99, PercentOf(3221225471LL, 3221225472LL));
    EXPECT_EQ(33, PercentOf(0x2AAAAAAAAAAAAAAALL, 0x7FFFFFFFFFFFFFFFLL));
    EXPECT_EQ(99, PercentOf(0x7FFFFFFFFFFFFFFELL, 0x7FFFFFFFFFFFFFFFLL));
}

#ifdef _WIN32

#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "copy/copy_engine.h"
#include "copy/progress_dialog.h"
#include "base/run_record.h"
#include "resources/resource_ids.h"
#include "base/private_messages.h"
#include "base/setup_state.h"
#include "files.h"
#include "window_watch.h"

namespace {

// A time stamp at ten in the morning of a day.
FILETIME TimeOf(int year, int month, int day)
{
    return MakeFileTime(year, month, day, 10, 0, 0);
}

// ---- the engine driven by a window of the test -------------------------------------------

// What the host window saw while the engine ran.
struct EngineRun {
    int nextFileSteps = 0;
    int chunkSteps = 0;
    UINT endMessage = 0;               // UM_SHORTCUTS or UM_FINISH
    std::vector<std::string> fileTexts;     // file percentage after each step
    std::vector<std::string> overallTexts;  // overall percentage after each step
    std::vector<std::string> labels;
    int cancelAtChunk = 0;             // presses Cancel before this chunk step (1 = first)
};

EngineRun* currentRun = nullptr;

std::string DialogText(int id)
{
    char text[256] = "";
    if (setupState.progressDialog)
        GetDlgItemTextA(setupState.progressDialog, id, text, sizeof text);
    return text;
}

void RecordTexts(EngineRun* run)
{
    std::string file = DialogText(IDC_COPY_FILE_TEXT);
    std::string overall = DialogText(IDC_COPY_OVERALL_TEXT);
    std::string label = DialogText(IDC_COPY_LABEL);
    if (run->fileTexts.empty() || run->fileTexts.back() != file ||
        run->overallTexts.back() != overall) {
        run->fileTexts.push_back(file);
        run->overallTexts.push_back(overall);
    }
    if (run->labels.empty() || run->labels.back() != label)
        run->labels.push_back(label);
}

// Posts the step that a step returned, as the main window does.
void PostStep(UINT next)
{
    if (next != 0)
        PostMessageA(setupState.mainWindow, next, 0, 0);
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    EngineRun* run = currentRun;
    switch (message) {
    case UM_NEXT_FILE:
        run->nextFileSteps++;
        PostStep(CopyNextEntry());
        RecordTexts(run);
        return 0;
    case UM_COPY_CHUNK:
        run->chunkSteps++;
        if (run->chunkSteps == run->cancelAtChunk)
            SendDlgItemMessageA(setupState.progressDialog, IDC_COPY_CANCEL, BM_CLICK, 0, 0);
        PostStep(CopyNextChunk());
        RecordTexts(run);
        return 0;
    case UM_COPY_DONE:
        PostStep(FinishCopy());
        return 0;
    case UM_SHORTCUTS:
    case UM_FINISH:
        run->endMessage = message;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Serves the queue until the engine has posted its last step, bounded.
void PumpUntilEnd(EngineRun* run)
{
    DWORD start = GetTickCount();
    MSG message;
    while (run->endMessage == 0 && GetTickCount() - start < kWatchMs) {
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_ALLINPUT);
            continue;
        }
        if (setupState.progressDialog && IsDialogMessageA(setupState.progressDialog, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

class CopyEngineTest : public testing::Test {
protected:
    void SetUp() override
    {
        memset(&setupState, 0, sizeof setupState);
        setupState.instance = GetModuleHandleA(nullptr);
        LoadStringA(setupState.instance, IDS_CLASS_NAME, setupState.className, kNameCapacity);
        LoadStringA(setupState.instance, IDS_FILES_SECTION, setupState.filesSection,
                    kNameCapacity);
        lstrcpyA(setupState.caption, "Quillor setup");
        setupState.barBrush = CreateSolidBrush(RGB(0, 0, 255));
        setupState.grayBrush = CreateSolidBrush(RGB(192, 192, 192));
        setupState.mainWindow = CreateTestWindow("H3CopyTestHost", HostWindowProc, 640, 480);
        ASSERT_NE(nullptr, setupState.mainWindow);
        currentRun = &run;

        root = MakeTempDirectory("quillor-copy");
        source = root + "\\medium";
        target = root + "\\target";
        CreateDirectoryA(source.c_str(), nullptr);
        std::string sourcePrefix = source + "\\";
        lstrcpyA(setupState.modulePath, sourcePrefix.c_str());
        setupState.dirLength = static_cast<int>(sourcePrefix.size());
        lstrcpyA(setupState.targetDir, target.c_str());
    }

    void TearDown() override
    {
        if (setupState.progressDialog)
            DestroyWindow(setupState.progressDialog);
        DestroyWindow(setupState.mainWindow);
        DeleteObject(setupState.barBrush);
        DeleteObject(setupState.grayBrush);
        // Drop what the run left in the queue, so that no step reaches the next test.
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        currentRun = nullptr;
        memset(&setupState, 0, sizeof setupState);
        // The run's record ends with it: nothing is left for the next setup program to undo.
        EndRunRecord(0);
        RemoveTree(root);
    }

    // Copies with the given Files section; totalBytes as start-up would have summed it.
    void RunCopy(const std::string& filesSection, long long totalBytes)
    {
        script = "[Install]\r\nApplication=Quillor\r\n[Files]\r\n" + filesSection +
                 "[Group]\r\nQuillor=Quillor.exe\r\n";
        setupState.scriptText = script.c_str();
        setupState.totalBytes = totalBytes;
        PostStep(StartCopy());
        PumpUntilEnd(&run);
        ASSERT_NE(0u, run.endMessage) << "the engine did not end within " << kWatchMs << " ms";
    }

    std::string root;
    std::string source;
    std::string target;
    std::string script;
    EngineRun run;
};

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

// ---- the progress dialog on its own -------------------------------------------------------

class ProgressDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        memset(&setupState, 0, sizeof setupState);
        setupState.instance = GetModuleHandleA(nullptr);
        lstrcpyA(setupState.caption, "Quillor setup");
        setupState.barBrush = CreateSolidBrush(RGB(0, 0, 255));
        setupState.grayBrush = CreateSolidBrush(RGB(192, 192, 192));
        setupState.mainWindow = CreateTestWindow("H3CopyTestHost", HostWindowProc, 640, 480);
        currentRun = &run;
        setupState.progressDialog = CreateDialogParamA(setupState.instance, "Copy",
                                                       setupState.mainWindow, CopyDialogProc, 0);
        ASSERT_NE(nullptr, setupState.progressDialog);
    }

    void TearDown() override
    {
        if (setupState.progressDialog)
            DestroyWindow(setupState.progressDialog);
        DestroyWindow(setupState.mainWindow);
        DeleteObject(setupState.barBrush);
        DeleteObject(setupState.grayBrush);
        currentRun = nullptr;
        memset(&setupState, 0, sizeof setupState);
    }

    void Pump()
    {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (setupState.progressDialog && IsDialogMessageA(setupState.progressDialog, &message))
                continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    EngineRun run;
};

TEST_F(ProgressDialogTest, StartsWithTheCaptionAndZeroOverall)
{
    char title[128] = "";
    GetWindowTextA(setupState.progressDialog, title, sizeof title);
    EXPECT_STREQ("Quillor setup", title);
    EXPECT_EQ("0 %", DialogText(IDC_COPY_OVERALL_TEXT));
    EXPECT_EQ("", DialogText(IDC_COPY_FILE_TEXT));
    EXPECT_TRUE(IsWindowVisible(setupState.progressDialog));
}

TEST_F(ProgressDialogTest, ThreeGibibytePayloadShowsTruePercentages)
{
    setupState.totalBytes = 3221225472LL;
    setupState.fileSize = 2147483648LL + 8192;
    setupState.fileCopied = 1073741824LL;
    SendMessageA(setupState.progressDialog, WM_COMMAND, CMD_COPY_PROGRESS, 0);
    EXPECT_EQ("49 %", DialogText(IDC_COPY_FILE_TEXT));
    EXPECT_EQ("0 %", DialogText(IDC_COPY_OVERALL_TEXT));

    setupState.fileCopied = setupState.fileSize;
    setupState.copiedBytes = setupState.fileSize;
    SendMessageA(setupState.progressDialog, WM_COMMAND, CMD_COPY_PROGRESS, 0);
    EXPECT_EQ("100 %", DialogText(IDC_COPY_FILE_TEXT));
    EXPECT_EQ("66 %", DialogText(IDC_COPY_OVERALL_TEXT));
}

TEST_F(ProgressDialogTest, TotalOfZeroKeepsTheOverallAtZero)
{
    setupState.fileSize = 10;
    setupState.fileCopied = 10;
    setupState.copiedBytes = 10;
    SendMessageA(setupState.progressDialog, WM_COMMAND, CMD_COPY_PROGRESS, 0);
    EXPECT_EQ("100 %", DialogText(IDC_COPY_FILE_TEXT));
    EXPECT_EQ("0 %", DialogText(IDC_COPY_OVERALL_TEXT));
}

TEST_F(ProgressDialogTest, DrawsTheFourBandsInTheBar)
{
    HWND bar = GetDlgItem(setupState.progressDialog, IDC_COPY_FILE_BAR);
    RECT client;
    GetClientRect(bar, &client);
    ASSERT_GT(client.right, 10);
    int x = 50 * client.right / 100;
    DrawProgressBar(setupState.progressDialog, IDC_COPY_FILE_BAR, 50);

    HDC dc = GetDC(bar);
    int row = client.bottom / 2;
    COLORREF blue0 = GetPixel(dc, 0, row);
    COLORREF blueEnd = GetPixel(dc, x - 1, row);
    COLORREF black = GetPixel(dc, x, row);
    COLORREF gray = GetPixel(dc, x + 3, row);
    COLORREF white = GetPixel(dc, x + 4, row);
    COLORREF whiteEnd = GetPixel(dc, client.right - 1, row);
    ReleaseDC(bar, dc);
    EXPECT_EQ(RGB(0, 0, 255), blue0);
    EXPECT_EQ(RGB(0, 0, 255), blueEnd);
    EXPECT_EQ(RGB(0, 0, 0), black);
    EXPECT_EQ(RGB(192, 192, 192), gray);
    EXPECT_EQ(RGB(255, 255, 255), white);
    EXPECT_EQ(RGB(255, 255, 255), whiteEnd);
}

COLORREF PixelOf(HWND control, int x, int y)
{
    HDC dc = GetDC(control);
    COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(control, dc);
    return color;
}

void WhitenControl(HWND control)
{
    RECT client;
    GetClientRect(control, &client);
    HDC dc = GetDC(control);
    PatBlt(dc, 0, 0, client.right, client.bottom, WHITENESS);
    ReleaseDC(control, dc);
}

TEST_F(ProgressDialogTest, AnUnchangedBarIsDrawnAgainOnlyAfterThePaintingOfTheDialog)
{
    HWND bar = GetDlgItem(setupState.progressDialog, IDC_COPY_FILE_BAR);
    setupState.fileSize = 1000;
    setupState.fileCopied = 500;
    SendMessageA(setupState.progressDialog, WM_COMMAND, CMD_COPY_PROGRESS, 0);
    EXPECT_EQ(RGB(0, 0, 255), PixelOf(bar, 1, 1));

    WhitenControl(bar);
    setupState.fileCopied = 501;  // still 50 %
    SendMessageA(setupState.progressDialog, WM_COMMAND, CMD_COPY_PROGRESS, 0);
    EXPECT_EQ(RGB(255, 255, 255), PixelOf(bar, 1, 1));

    InvalidateRect(setupState.progressDialog, nullptr, TRUE);
    UpdateWindow(setupState.progressDialog);
    WhitenControl(bar);
    SendMessageA(setupState.progressDialog, WM_COMMAND, CMD_COPY_PROGRESS, 0);
    EXPECT_EQ(RGB(0, 0, 255), PixelOf(bar, 1, 1));
}

TEST_F(ProgressDialogTest, CancelButtonAndEnterCancelButEscapeAndCloseDoNot)
{
    PostMessageA(setupState.progressDialog, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(setupState.progressDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    HWND button = GetDlgItem(setupState.progressDialog, IDC_COPY_CANCEL);
    PostMessageA(button, WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    EXPECT_EQ(0, setupState.cancelled);
    EXPECT_TRUE(IsWindow(setupState.progressDialog));

    PostMessageA(button, WM_KEYDOWN, VK_RETURN, 0);
    Pump();
    EXPECT_EQ(1, setupState.cancelled);

    setupState.cancelled = 0;
    SendMessageA(button, BM_CLICK, 0, 0);
    EXPECT_EQ(1, setupState.cancelled);
}

TEST_F(ProgressDialogTest, FinishCopyClosesTheDialogAndNamesTheNextStep)
{
    HWND dialog = setupState.progressDialog;
    EXPECT_EQ(static_cast<UINT>(UM_SHORTCUTS), FinishCopy());
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(nullptr, setupState.progressDialog);

    setupState.cancelled = 1;
    EXPECT_EQ(static_cast<UINT>(UM_FINISH), FinishCopy());
}

}  // namespace

#endif  // _WIN32
