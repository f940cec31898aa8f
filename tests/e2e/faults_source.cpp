// End-to-end tests of sources that vanish or change while they are copied, of Cancel in a failure box, and of a script of ten thousand entries.
#include "faults_fixture.h"

namespace {

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
