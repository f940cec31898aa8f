// End-to-end fault injection: full drives, held files, uncreatable directories, vanishing sources.
#include <stdio.h>

#include "setup_run.h"

namespace {

const char kMainClass[] = "Install";

// The small drive that the test scripts map to a 1 MiB tmpfs when they run as root.
const char kSmallDriveRoot[] = "T:\\";
const unsigned long long kSmallDriveMaxBytes = 2ull << 20;
const size_t kOverflowFileSize = 3u << 20;

// Large enough that the main window is closed while this one file is copied.
const size_t kLongFileSize = 48u << 20;

// Entries of the large script; each names the same small source.
const int kManyEntries = 10000;
const int kEntriesPerFolder = 100;
const DWORD kManyEntriesWaitMs = 120000;

std::string CannotCreate(const std::string& path)
{
    return "Cannot create \"" + path + "\" !";
}

std::string CannotWrite(const std::string& path)
{
    return "Cannot write \"" + path + "\" !";
}

// A drive letter from Q on that names no drive, or 0.
char FindMissingDrive()
{
    for (char letter = 'Q'; letter <= 'Z'; letter++) {
        if (letter == kSmallDriveRoot[0]) continue;
        char root[] = {letter, ':', '\\', '\0'};
        if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR) return letter;
    }
    return 0;
}

// A medium and the setup program, and a file that the test may hold open without sharing.
class FaultTest : public SetupRunTest {
protected:
    void TearDown() override
    {
        CloseProgram(&program);
        ReleaseHeldFile();
        SetupRunTest::TearDown();
    }

    void ReleaseHeldFile()
    {
        if (heldFile != INVALID_HANDLE_VALUE) CloseHandle(heldFile);
        heldFile = INVALID_HANDLE_VALUE;
    }

    // Makes the target with a folder BLOCKED where an entry's file should go.
    void LayOutBlockedTarget()
    {
        ASSERT_TRUE(CreateDirectoryA(medium.target.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA((medium.target + "\\BLOCKED").c_str(), nullptr));
        targetHoldsFiles = true;
    }

    // Starts on that target, presses the progress dialog's Cancel while the "Cannot open" box
    // of BLOCKED is up, then OK in it.
    void CancelDuringTheBlockedBox()
    {
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
        ASSERT_TRUE(WaitForQuestion().window);
        // The box does not own the progress dialog, which takes the click meanwhile.
        HWND progress = FindProgressDialog();
        ASSERT_TRUE(progress) << DescribeScreen(program.process.dwProcessId);
        ASSERT_EQ(0, PressButton(progress, IDC_COPY_CANCEL));
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(
            IDOK, kErrorCaption, CannotOpen(medium.target + "\\BLOCKED"), 1));
    }

    HANDLE heldFile = INVALID_HANDLE_VALUE;  // a file the test holds open without sharing
};

// The small drive's folder and a file in the Windows directory, removed when the test ends
// whatever its outcome.
class FaultSmallDriveTest : public FaultTest {
protected:
    void TearDown() override
    {
        FaultTest::TearDown();
        if (!target.empty()) {
            EXPECT_EQ(0, RemoveTree(target)) << target;
        }
        if (!windowsFile.empty()) {
            EXPECT_EQ(0, RemoveTree(WindowsFolder() + "\\" + windowsFile)) << windowsFile;
        }
    }

    std::string target;
    std::string windowsFile;
};

TEST_F(FaultSmallDriveTest, FullDriveStopsTheFileInHandAndTheCopyGoesOn)
{
    ULARGE_INTEGER freeBytes, totalBytes, totalFree;
    if (GetDriveTypeA(kSmallDriveRoot) == DRIVE_NO_ROOT_DIR ||
        !GetDiskFreeSpaceExA(kSmallDriveRoot, &freeBytes, &totalBytes, &totalFree)) {
        GTEST_SKIP() << "no drive T: in the Wine prefix: the 1 MiB tmpfs is mapped only when "
                        "scripts/wine-run or scripts/run-tests run as root";
    }
    if (totalBytes.QuadPart > kSmallDriveMaxBytes) {
        GTEST_SKIP() << "drive T: holds " << totalBytes.QuadPart
                     << " bytes: not the small tmpfs that a 3 MiB file overflows";
    }

    target = std::string(kSmallDriveRoot) + "quillor-fault-" +
             std::to_string(GetCurrentProcessId());
    windowsFile = "QuillorFault-" + std::to_string(GetCurrentProcessId()) + ".tmp";
    ASSERT_EQ(0, RemoveTree(target));
    ASSERT_EQ(0, RemoveTree(WindowsFolder() + "\\" + windowsFile));
    // The last file goes to another drive, where it fits whatever the small drive holds.
    ASSERT_NO_FATAL_FAILURE(LayOut("Large=LARGE.BIN\r\nSmall=SMALL.TXT\r\nElsewhere=%" +
                                       windowsFile + ";ELSEWHERE.TXT\r\n",
                                   {{"LARGE.BIN", kOverflowFileSize, 1}, {"SMALL.TXT", 1000, 2},
                                    {"ELSEWHERE.TXT", 3000, 3}}));
    // A file of the user's beside the destinations: it must come through untouched.
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    const std::string userBytes = "the user's own notes";
    ASSERT_EQ(0, WriteFileBytes(target + "\\NOTES.TXT", userBytes));
    targetHoldsFiles = true;

    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(target));
    const std::string large = target + "\\LARGE.BIN";
    const std::string small = target + "\\SMALL.TXT";
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kErrorCaption, CannotWrite(large), 0));

    // The next file is still tried: on a full drive it fails with its own message.
    const Question next = WaitForQuestion();
    ASSERT_TRUE(next.window);
    const int smallFailed = next.text != kQuestion;
    if (smallFailed) {
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kErrorCaption, CannotWrite(small), 0));
    }
    ASSERT_NO_FATAL_FAILURE(ExpectPartialEnd());

    // The file that the full drive cut short is removed, not left with part of its bytes.
    EXPECT_FALSE(PathExists(large)) << "the cut copy is left behind";
    if (smallFailed) {
        EXPECT_FALSE(PathExists(small)) << "the cut copy is left behind";
    } else {
        ExpectCopied(small, "SMALL.TXT");
    }
    ExpectCopied(WindowsFolder() + "\\" + windowsFile, "ELSEWHERE.TXT");
    ExpectContent(target + "\\NOTES.TXT", userBytes);
}

// A destination file of the user's that the copy may not open for writing.
enum ProtectedDestination { kHeldOpen, kReadOnly };

class FaultProtectedDestinationTest : public FaultTest,
                                      public testing::WithParamInterface<ProtectedDestination> {
protected:
    void TearDown() override
    {
        if (!readOnlyFile.empty()) SetFileAttributesA(readOnlyFile.c_str(), FILE_ATTRIBUTE_NORMAL);
        FaultTest::TearDown();
    }

    std::string readOnlyFile;
};

TEST_P(FaultProtectedDestinationTest, IsReportedWithOkAndCancelAndLeftAsItWas)
{
    ASSERT_NO_FATAL_FAILURE(LayOut("First=FIRST.TXT\r\nHeld=HELD.TXT\r\nLast=LAST.TXT\r\n",
                                   {{"FIRST.TXT", 300, 1}, {"HELD.TXT", 20000, 2},
                                    {"LAST.TXT", 400, 3}}));
    ASSERT_TRUE(CreateDirectoryA(medium.target.c_str(), nullptr));
    const std::string held = medium.target + "\\HELD.TXT";
    const std::string heldBytes = "the user's own HELD.TXT";
    ASSERT_EQ(0, WriteFileBytes(held, heldBytes));
    targetHoldsFiles = true;
    if (GetParam() == kHeldOpen) {
        // Held by this process, without sharing, as another program would hold it.
        heldFile = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, heldFile);
    } else {
        readOnlyFile = held;
        ASSERT_TRUE(SetFileAttributesA(held.c_str(), FILE_ATTRIBUTE_READONLY));
        HANDLE probe = CreateFileA(held.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe != INVALID_HANDLE_VALUE) {
            CloseHandle(probe);
            GTEST_SKIP() << "the platform opens read-only files for writing for this user "
                            "(Wine running as root)";
        }
    }

    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kErrorCaption, CannotOpen(held), 1));
    ASSERT_NO_FATAL_FAILURE(ExpectPartialEnd());
    ReleaseHeldFile();

    ExpectCopied(medium.target + "\\FIRST.TXT", "FIRST.TXT");
    ExpectCopied(medium.target + "\\LAST.TXT", "LAST.TXT");
    ExpectContent(held, heldBytes);
}

std::string ProtectedDestinationName(const testing::TestParamInfo<ProtectedDestination>& info)
{
    return info.param == kHeldOpen ? "HeldOpenWithoutSharing" : "ReadOnly";
}

INSTANTIATE_TEST_SUITE_P(Fault, FaultProtectedDestinationTest,
                         testing::Values(kReadOnly), ProtectedDestinationName);

// A target directory that cannot be made: its first missing directory is reported, then the
// destination that therefore cannot be opened.
struct UncreatableTarget {
    const char* name;
    int underAFile;         // the target lies below a plain file of the user's
    const char* below;      // the target's part below the file or the missing drive
    const char* firstFail;  // the directory named by the creation failure, from the same base
};

void PrintTo(const UncreatableTarget& row, std::ostream* out)
{
    *out << row.name;
}

const UncreatableTarget kUncreatableTargets[] = {
    {"BelowAFile", 1, "\\SUB", "\\SUB"},
    {"DeeplyBelowAFile", 1, "\\SUB\\DEEPER", "\\SUB"},
    {"OnAMissingDrive", 0, "\\quillor\\deeper", "\\quillor"},
};

class FaultUncreatableTargetTest : public FaultTest,
                                   public testing::WithParamInterface<UncreatableTarget> {};

TEST_P(FaultUncreatableTargetTest, ReportsTheDirectoryThenTheFileInThatOrder)
{
    const UncreatableTarget& row = GetParam();
    ASSERT_NO_FATAL_FAILURE(LayOut("Readme=README.TXT\r\n", {{"README.TXT", 500, 1}}));
    std::string base;
    const std::string userFile = medium.root + "\\AFILE.TXT";
    const std::string userBytes = "a plain file, not a folder";
    if (row.underAFile) {
        ASSERT_EQ(0, WriteFileBytes(userFile, userBytes));
        base = userFile;
    } else {
        char letter = FindMissingDrive();
        if (letter == 0) GTEST_SKIP() << "every drive letter from Q: to Z: names a drive";
        base = std::string(1, letter) + ":";
    }
    const std::string chosen = base + row.below;

    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(chosen));
    ASSERT_NO_FATAL_FAILURE(
        ExpectMessage(IDOK, kErrorCaption, CannotCreate(base + row.firstFail), 0));
    ASSERT_NO_FATAL_FAILURE(
        ExpectMessage(IDOK, kErrorCaption, CannotOpen(chosen + "\\README.TXT"), 1));
    ASSERT_NO_FATAL_FAILURE(ExpectPartialEnd());

    if (row.underAFile) ExpectContent(userFile, userBytes);
    EXPECT_FALSE(PathExists(chosen));
}

std::string UncreatableTargetName(const testing::TestParamInfo<UncreatableTarget>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Fault, FaultUncreatableTargetTest,
                         testing::ValuesIn(kUncreatableTargets), UncreatableTargetName);

TEST_F(FaultTest, SourceThatVanishesBeforeCopyingIsCountedWithoutAMessage)
{
    ASSERT_NO_FATAL_FAILURE(LayOut("First=FIRST.TXT\r\nGone=GONE.TXT\r\nLast=LAST.TXT\r\n",
                                   {{"FIRST.TXT", 300, 1}, {"GONE.TXT", 9000, 2},
                                    {"LAST.TXT", 400, 3}}));
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND dialog = WaitForDirectoryDialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ("This installation requires 10 Kb.",
              ReadControlText(dialog, IDC_DIRECTORY_SIZE)) << "the size pass counted GONE.TXT";
    ASSERT_TRUE(DeleteFileA((medium.folder + "\\GONE.TXT").c_str()));
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));

    // The next box is the question: the copy step reports nothing of its own.
    ASSERT_NO_FATAL_FAILURE(ExpectPartialEnd());
    ExpectCopied(medium.target + "\\FIRST.TXT", "FIRST.TXT");
    ExpectCopied(medium.target + "\\LAST.TXT", "LAST.TXT");
    EXPECT_FALSE(PathExists(medium.target + "\\GONE.TXT"));
}

// A source whose size changes between the size pass and its copy. A blocked destination after
// it holds the progress dialog on screen, with the overall display as the copy left it.
struct ChangingSource {
    const char* name;
    size_t sizeAtStart;
    size_t sizeAtCopy;
};

void PrintTo(const ChangingSource& row, std::ostream* out)
{
    *out << row.name;
}

const ChangingSource kChangingSources[] = {
    {"Shrunk", 32768, 8000},
    {"ShrunkToNothing", 20000, 0},
    {"Grown", 10000, 40000},
    {"GrownFromNothing", 0, 70000},
};

class FaultChangingSourceTest : public FaultTest,
                                public testing::WithParamInterface<ChangingSource> {};

TEST_P(FaultChangingSourceTest, CopiesTheNewContentAndKeepsTheOverallPercentageSane)
{
    const ChangingSource& row = GetParam();
    const size_t blockedSize = 100;
    ASSERT_NO_FATAL_FAILURE(LayOut("Changing=CHANGING.BIN\r\nBlocked=BLOCKED;BLOCKED.TXT\r\n",
                                   {{"CHANGING.BIN", row.sizeAtStart, 1},
                                    {"BLOCKED.TXT", blockedSize, 2}}));
    ASSERT_TRUE(CreateDirectoryA(medium.target.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((medium.target + "\\BLOCKED").c_str(), nullptr));
    targetHoldsFiles = true;

    ASSERT_NO_FATAL_FAILURE(Start());
    HWND dialog = WaitForDirectoryDialog();
    ASSERT_TRUE(dialog);
    const std::string changed = PatternBytes(row.sizeAtCopy, 7);
    ASSERT_EQ(0, WriteMediumFile(medium, "CHANGING.BIN", changed));
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));

    ASSERT_TRUE(WaitForQuestion().window);
    HWND progress = FindProgressDialog();
    ASSERT_TRUE(progress) << DescribeScreen(program.process.dwProcessId);
    // The overall display moves when a file with data is complete; it never passes 100 %.
    const unsigned long long total = row.sizeAtStart + blockedSize;
    unsigned long long percent = row.sizeAtCopy * 100ull / total;
    if (percent > 100) percent = 100;
    const std::string overall = row.sizeAtCopy > 0 ? std::to_string(percent) + " %" : "0 %";
    EXPECT_EQ(overall, ReadControlText(progress, IDC_COPY_OVERALL_TEXT));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(
        IDOK, kErrorCaption, CannotOpen(medium.target + "\\BLOCKED"), 1));
    ASSERT_NO_FATAL_FAILURE(ExpectPartialEnd());

    ExpectContent(medium.target + "\\CHANGING.BIN", changed);
}

std::string ChangingSourceName(const testing::TestParamInfo<ChangingSource>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Fault, FaultChangingSourceTest, testing::ValuesIn(kChangingSources),
                         ChangingSourceName);

TEST_F(FaultTest, ClosingTheMainWindowWhileCopyingActsAsCancelAndRemovesTheCutFile)
{
    ASSERT_NO_FATAL_FAILURE(LayOut("Long=LONG.BIN\r\nAfter=AFTER.TXT\r\n",
                                   {{"LONG.BIN", kLongFileSize, 1}, {"AFTER.TXT", 10, 2}}));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    ASSERT_TRUE(WaitForWindow(program, DIALOG_CLASS, kCaption, IDC_COPY_CANCEL));
    HWND mainWindow = FindProgramWindow(program, kMainClass, kCaption, 0);
    ASSERT_TRUE(mainWindow) << DescribeScreen(program.process.dwProcessId);

    const std::string copy = medium.target + "\\LONG.BIN";
    DWORD start = GetTickCount();
    while (ReadFileSizeOnDisk(copy) <= 0 && GetTickCount() - start < kWindowWaitMs) {
        Sleep(kPollMs);
    }
    ASSERT_GT(ReadFileSizeOnDisk(copy), 0) << DescribeScreen(program.process.dwProcessId);
    ASSERT_TRUE(PostMessageA(mainWindow, WM_CLOSE, 0, 0));

    // As Cancel in the progress dialog: report 7, its status, and no file cut short.
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kCaption, kReportAbandoned));
    ExpectExitStatus(kExitAbandoned);
    EXPECT_FALSE(PathExists(copy)) << "the cut copy is left behind";
    EXPECT_FALSE(PathExists(medium.target + "\\AFTER.TXT"));
}

TEST_F(FaultTest, CancelDuringAFailureBoxStopsAtTheNextFileAndLeavesItsContent)
{
    ASSERT_NO_FATAL_FAILURE(LayOut(
        "Empty=EMPTY.DAT\r\nChunk=CHUNK.DAT\r\nBlocked=BLOCKED;BLOCKED.TXT\r\n"
        "After=AFTER.TXT\r\nLast=LAST.TXT\r\n",
        {{"EMPTY.DAT", 0, 1}, {"CHUNK.DAT", 8192, 2}, {"BLOCKED.TXT", 50, 3},
         {"AFTER.TXT", 9000, 4}, {"LAST.TXT", 60, 5}}));
    ASSERT_NO_FATAL_FAILURE(LayOutBlockedTarget());
    const std::string after = medium.target + "\\AFTER.TXT";
    const std::string userBytes = "an older AFTER.TXT of the user's";
    ASSERT_EQ(0, WriteFileBytes(after, userBytes));
    ASSERT_NO_FATAL_FAILURE(CancelDuringTheBlockedBox());

    // No question: the copy stops at the first chunk of the next file.
    // The files copied before are removed again; the user's files and folders stay.
    ASSERT_NO_FATAL_FAILURE(ExpectAbandonedEnd());
    EXPECT_FALSE(PathExists(medium.target + "\\EMPTY.DAT"));
    EXPECT_FALSE(PathExists(medium.target + "\\CHUNK.DAT"));
    EXPECT_TRUE(IsDirectory(medium.target + "\\BLOCKED"));
    ExpectContent(after, userBytes);
    EXPECT_FALSE(PathExists(medium.target + "\\LAST.TXT"));
}

TEST_F(FaultTest, CancelDuringAFailureBoxCreatesNothingForTheNextEntry)
{
    ASSERT_NO_FATAL_FAILURE(LayOut("Blocked=BLOCKED;BLOCKED.TXT\r\nNext=NEXT\\AFTER.TXT;AFTER.TXT\r\n",
                                   {{"BLOCKED.TXT", 50, 1}, {"AFTER.TXT", 60, 2}}));
    ASSERT_NO_FATAL_FAILURE(LayOutBlockedTarget());
    ASSERT_NO_FATAL_FAILURE(CancelDuringTheBlockedBox());

    // Cancel is looked at before the next entry is opened: neither its folder nor its file.
    ASSERT_NO_FATAL_FAILURE(ExpectAbandonedEnd());
    EXPECT_FALSE(PathExists(medium.target + "\\NEXT"));
}

TEST_F(FaultTest, TenThousandEntriesOfOneSourceAreAllCopied)
{
    // Spread over folders: creating a file in a folder of thousands costs Wine a scan of it.
    const size_t sourceSize = 37;
    std::string lines;
    char line[64];
    for (int i = 0; i < kManyEntries; i++) {
        snprintf(line, sizeof line, "File %05d=MANY\\D%03d\\F%05d.TXT;SMALL.TXT\r\n", i,
                 i / kEntriesPerFolder, i);
        lines += line;
    }
    ASSERT_NO_FATAL_FAILURE(LayOut(lines, {{"SMALL.TXT", sourceSize, 1}}));
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND dialog = WaitForDirectoryDialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ("This installation requires 362 Kb.", ReadControlText(dialog, IDC_DIRECTORY_SIZE));
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));

    ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDNO, kCaption, kQuestion, -1, kManyEntriesWaitMs));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kCaption, kReportDone));
    ExpectExitCodeZero();

    size_t count = 0, wrongSize = 0;
    for (int folder = 0; folder < kManyEntries / kEntriesPerFolder; folder++) {
        snprintf(line, sizeof line, "\\MANY\\D%03d", folder);
        for (const ListedFile& file : ListFolder(medium.target + line)) {
            count++;
            if (file.size != sourceSize) wrongSize++;
        }
    }
    EXPECT_EQ((size_t)kManyEntries, count);
    EXPECT_EQ(0u, wrongSize);
    ExpectCopied(medium.target + "\\MANY\\D000\\F00000.TXT", "SMALL.TXT");
    ExpectCopied(medium.target + "\\MANY\\D099\\F09999.TXT", "SMALL.TXT");
}

}  // namespace
