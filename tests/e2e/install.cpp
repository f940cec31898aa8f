// End-to-end tests of installing files: the real SETUP.EXE driven through its windows.
#include "setup_run.h"

namespace {

// Large enough that Cancel lands while the file is being copied, chunk by chunk.
const size_t kLargeFileSize = 48u << 20;

using InstallTest = SetupRunTest;

TEST_F(InstallTest, CancelInDirectoryDialogEndsWithoutCopyingOrReport)
{
    ASSERT_NO_FATAL_FAILURE(LayOut("Readme=README.TXT\r\n", {{"README.TXT", 100, 1}}));
    ASSERT_NO_FATAL_FAILURE(Start(medium.folder));
    HWND dialog = WaitForDirectoryDialog();
    ASSERT_TRUE(dialog);
    ASSERT_EQ(0, SetControlText(dialog, IDC_DIRECTORY_EDIT, medium.target.c_str()));
    ASSERT_EQ(0, PressButton(dialog, IDC_DIRECTORY_CANCEL));

    ExpectExitStatus(kExitDirectoryCancelled);  // fails on any message box on the way out
    EXPECT_FALSE(PathExists(medium.target));
}

TEST_F(InstallTest, DirectoryDialogProposesProgramFilesAndApplication)
{
    ASSERT_NO_FATAL_FAILURE(LayOut("Readme=README.TXT\r\n", {{"README.TXT", 10, 1}}));
    std::string programFiles;
    ASSERT_EQ(0, ReadRegistryText(HKEY_LOCAL_MACHINE,
                                  "Software\\Microsoft\\Windows\\CurrentVersion",
                                  "ProgramFilesDir", &programFiles));
    ASSERT_NO_FATAL_FAILURE(Start(medium.folder));
    HWND dialog = WaitForDirectoryDialog();
    ASSERT_TRUE(dialog);

    EXPECT_EQ(programFiles + "\\Quillor", ReadControlText(dialog, IDC_DIRECTORY_EDIT));
    EXPECT_EQ("Install Quillor to directory:", ReadControlText(dialog, IDC_DIRECTORY_PROMPT));
    EXPECT_TRUE(FindProgramWindow(program, "Install", kCaption, 0))
        << "the full-screen main window, titled with the caption, is behind the dialog";
    ASSERT_EQ(0, PressButton(dialog, IDC_DIRECTORY_CANCEL));
    ExpectExitStatus(kExitDirectoryCancelled);
}

TEST_F(InstallTest, AnEmptyProgramFilesValueProposesTheScriptsDirectoryNotARelativePath)
{
    const char key[] = "Software\\Microsoft\\Windows\\CurrentVersion";
    ASSERT_NO_FATAL_FAILURE(LayOut("", {}));
    ASSERT_EQ(0, WriteMediumFile(medium, "SETUP.INF",
                                 "[Install]\r\nApplication=Quillor\r\nCaption=Quillor Setup\r\n"
                                 "Directory=C:\\Quillor\r\n[Files]\r\n"));
    StoredValue saved = ReadStoredValue(HKEY_LOCAL_MACHINE, key, "ProgramFilesDir");
    ASSERT_TRUE(saved.valueExists);
    ASSERT_EQ(0, WriteRegistryValue(HKEY_LOCAL_MACHINE, key, "ProgramFilesDir", REG_SZ,
                                    std::string(1, '\0')));
    ASSERT_NO_FATAL_FAILURE(Start(medium.folder));
    HWND dialog = WaitForDirectoryDialog();
    std::string proposed = dialog ? ReadControlText(dialog, IDC_DIRECTORY_EDIT) : "<no dialog>";
    RestoreStoredValue(HKEY_LOCAL_MACHINE, key, "ProgramFilesDir", saved);
    ASSERT_TRUE(dialog);

    EXPECT_EQ("C:\\Quillor", proposed);
    ASSERT_EQ(0, PressButton(dialog, IDC_DIRECTORY_CANCEL));
    ExpectExitStatus(kExitDirectoryCancelled);
}

TEST_F(InstallTest, DirectoryDialogShowsTheSizeInKilobytesRoundedUp)
{
    struct Row {
        std::vector<SourceFile> sources;
        const char* sizeLine;
    };
    const Row rows[] = {
        {{{"EMPTY.DAT", 0, 1}}, "This installation requires 0 Kb."},
        {{{"ONE.DAT", 1, 1}}, "This installation requires 1 Kb."},
        {{{"KILO.DAT", 1024, 1}}, "This installation requires 1 Kb."},
        {{{"KILO.DAT", 1024, 1}, {"ONE.DAT", 1, 2}}, "This installation requires 2 Kb."},
        {{{"A.DAT", 100000, 1}, {"B.DAT", 16384, 2}}, "This installation requires 114 Kb."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.sizeLine);
        std::string lines;
        for (const SourceFile& source : row.sources) {
            lines += std::string("File=") + source.name + "\r\n";
        }
        ASSERT_NO_FATAL_FAILURE(LayOut(lines, row.sources));
        ASSERT_NO_FATAL_FAILURE(Start(medium.folder));
        HWND dialog = WaitForDirectoryDialog();
        ASSERT_TRUE(dialog);
        EXPECT_EQ(row.sizeLine, ReadControlText(dialog, IDC_DIRECTORY_SIZE));
        ASSERT_EQ(0, PressButton(dialog, IDC_DIRECTORY_CANCEL));
        ExpectExitStatus(kExitDirectoryCancelled);
        CloseProgram(&program);
        RemoveMedium(&medium);
    }
}

TEST_F(InstallTest, CleanRunCopiesEveryFileWithItsTimeStamps)
{
    const std::string windowsFile = "QuillorE2E-" + std::to_string(GetCurrentProcessId()) + ".tmp";
    const std::string windowsPath = WindowsFolder() + "\\" + windowsFile;
    RemoveTree(windowsPath);

    const std::vector<SourceFile> sources = {
        {"EMPTY.DAT", 0, 1},     {"CHUNK.DAT", 8192, 2},     {"TWO.DAT", 16384, 3},
        {"LARGE.DAT", 100000, 4}, {"DISK2\\GUIDE.TXT", 5000, 5}, {"WIN.DAT", 777, 6},
        {"Z.DAT", 12, 7},
    };
    ASSERT_NO_FATAL_FAILURE(LayOut(
        "Empty=EMPTY.DAT\r\n"
        "Chunk=CHUNK.DAT\r\n"
        "; a comment between entries\r\n"
        "\r\n"
        "Two chunks=TWO.DAT\r\n"
        "Large=LARGE.DAT\r\n"
        "Guide=DOCS\\SUB\\GUIDE.TXT;DISK2\\GUIDE.TXT\r\n"
        "Windows=%" + windowsFile + ";WIN.DAT\r\n"
        "Semicolons=X;Y;Z.DAT\r\n",
        sources));

    // Distinctive stamps, read back as the platform keeps them (it may not keep a creation
    // time of its own).
    const FileTimes stamps = {MakeFileTime(2001, 2, 3, 4, 5, 6), MakeFileTime(2002, 3, 4, 5, 6, 7),
                              MakeFileTime(2003, 4, 5, 6, 7, 8)};
    for (const SourceFile& source : sources) {
        ASSERT_EQ(0, WriteFileTimes(medium.folder + "\\" + source.name, stamps)) << source.name;
    }

    ASSERT_NO_FATAL_FAILURE(Start(medium.folder));
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    ASSERT_TRUE(WaitForQuestion().window);
    EXPECT_FALSE(FindProgressDialog()) << "the progress dialog is closed once copying is done";
    ASSERT_NO_FATAL_FAILURE(ExpectSuccessfulEnd());

    struct Copy {
        std::string destination;
        const char* source;
    };
    const Copy copies[] = {
        {medium.target + "\\EMPTY.DAT", "EMPTY.DAT"},
        {medium.target + "\\CHUNK.DAT", "CHUNK.DAT"},
        {medium.target + "\\TWO.DAT", "TWO.DAT"},
        {medium.target + "\\LARGE.DAT", "LARGE.DAT"},
        {medium.target + "\\DOCS\\SUB\\GUIDE.TXT", "DISK2\\GUIDE.TXT"},
        {windowsPath, "WIN.DAT"},
        {medium.target + "\\X;Y", "Z.DAT"},
    };
    for (const Copy& copy : copies) {
        SCOPED_TRACE(copy.destination);
        // Stamps first: reading the contents may move the access times.
        FileTimes want, got;
        ASSERT_EQ(0, ReadFileTimes(medium.folder + "\\" + copy.source, &want));
        ASSERT_EQ(0, ReadFileTimes(copy.destination, &got));
        EXPECT_EQ(0, CompareFileTime(&want.creation, &got.creation));
        EXPECT_EQ(0, CompareFileTime(&want.lastAccess, &got.lastAccess));
        EXPECT_EQ(0, CompareFileTime(&want.lastWrite, &got.lastWrite));
        EXPECT_EQ(0, CompareFileTime(&stamps.lastWrite, &got.lastWrite));
        ExpectCopied(copy.destination, copy.source);
    }
    DWORD subdirectory = GetFileAttributesA((medium.target + "\\DOCS\\SUB").c_str());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, subdirectory);
    EXPECT_TRUE(subdirectory & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(PathExists(medium.target + "\\WIN.DAT"));
    EXPECT_FALSE(PathExists(medium.target + "\\" + windowsFile));
    EXPECT_EQ(0, RemoveTree(windowsPath));
}

TEST_F(InstallTest, ReinstallingOverALongerFileLeavesExactlyTheNewContent)
{
    ASSERT_NO_FATAL_FAILURE(LayOut("Data=DATA.BIN\r\n", {{"DATA.BIN", 9000, 1}}));
    ASSERT_TRUE(CreateDirectoryA(medium.target.c_str(), nullptr));
    ASSERT_EQ(0, WriteFileBytes(medium.target + "\\DATA.BIN", PatternBytes(30000, 9)));
    targetHoldsFiles = true;

    ASSERT_NO_FATAL_FAILURE(Start(medium.folder));
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    ASSERT_NO_FATAL_FAILURE(ExpectSuccessfulEnd());
    ExpectCopied(medium.target + "\\DATA.BIN", "DATA.BIN");
}

TEST_F(InstallTest, MissingSourceIsReportedBeforeTheMainWindowAndEndsWithReportSix)
{
    ASSERT_NO_FATAL_FAILURE(LayOut(
        "First=FIRST.TXT\r\nMissing=MISSING.TXT\r\nLast=LAST.TXT\r\n",
        {{"FIRST.TXT", 300, 1}, {"LAST.TXT", 400, 2}}));
    ASSERT_NO_FATAL_FAILURE(Start(medium.folder));

    ASSERT_TRUE(WaitForQuestion().window);
    EXPECT_FALSE(FindProgramWindow(program, "Install", nullptr, 0))
        << "the main window is already shown";
    ASSERT_NO_FATAL_FAILURE(
        ExpectMessage(IDOK, kErrorCaption, CannotOpen(medium.folder + "\\MISSING.TXT")));

    // The copy step finds the same source missing and counts it without a second message.
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    ASSERT_NO_FATAL_FAILURE(ExpectPartialEnd());
    ExpectCopied(medium.target + "\\FIRST.TXT", "FIRST.TXT");
    ExpectCopied(medium.target + "\\LAST.TXT", "LAST.TXT");
    EXPECT_FALSE(PathExists(medium.target + "\\MISSING.TXT"));
}

// Cancel in the progress dialog, with or without a failure counted before it.
class ProgressCancelTest : public InstallTest, public testing::WithParamInterface<bool> {};

TEST_P(ProgressCancelTest, AbandonsTheFileInHandAndTheRestWithReportSeven)
{
    const bool missingSourceFirst = GetParam();
    ASSERT_NO_FATAL_FAILURE(LayOut(
        std::string(missingSourceFirst ? "Missing=MISSING.TXT\r\n" : "") +
            "First=FIRST.TXT\r\nLarge=LARGE.BIN\r\nAfter=AFTER.TXT\r\n",
        {{"FIRST.TXT", 5000, 1}, {"LARGE.BIN", kLargeFileSize, 2}, {"AFTER.TXT", 10, 3}}));
    ASSERT_NO_FATAL_FAILURE(Start(medium.folder));
    if (missingSourceFirst) {
        ASSERT_NO_FATAL_FAILURE(
            ExpectMessage(IDOK, kErrorCaption, CannotOpen(medium.folder + "\\MISSING.TXT")));
    }
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    HWND progress = WaitForWindow(program, DIALOG_CLASS, kCaption, IDC_COPY_CANCEL);
    ASSERT_TRUE(progress);

    // Press Cancel once the large file is under way.
    const std::string large = medium.target + "\\LARGE.BIN";
    DWORD start = GetTickCount();
    while (ReadFileSizeOnDisk(large) <= 0 && GetTickCount() - start < kWindowWaitMs) Sleep(1);
    ASSERT_GT(ReadFileSizeOnDisk(large), 0) << DescribeScreen(program.process.dwProcessId);
    EXPECT_EQ("LARGE.BIN : Large", ReadControlText(progress, IDC_COPY_LABEL));
    ASSERT_EQ(0, PressButton(progress, IDC_COPY_CANCEL));

    // No question: the report follows the copying at once.
    ASSERT_NO_FATAL_FAILURE(ExpectAbandonedEnd());

    // The whole copy is undone: the file cut short, the files already complete and the target
    // directory that the run made.
    EXPECT_FALSE(PathExists(large)) << "the cut copy is left behind";
    EXPECT_FALSE(PathExists(medium.target)) << "the copy is not undone";
}

std::string ProgressCancelName(const testing::TestParamInfo<bool>& info)
{
    return info.param ? "AfterAMissingSource" : "WithoutEarlierFailure";
}

INSTANTIATE_TEST_SUITE_P(Install, ProgressCancelTest, testing::Bool(), ProgressCancelName);

// A destination that cannot be created: its box offers OK (go on) and Cancel (stop there).
struct BlockedDestination {
    const char* name;
    const char* entry;        // the Files line of the blocked file
    const char* blocker;      // made in the target directory before the run
    int blockerIsDirectory;
    const char* shownPath;    // below the target directory
};

void PrintTo(const BlockedDestination& row, std::ostream* out)
{
    *out << row.name;
}

const BlockedDestination kBlockedDestinations[] = {
    {"DestinationIsADirectory", "Blocked=BLOCKED;SOURCE.TXT\r\n", "BLOCKED", 1, "BLOCKED"},
    {"PathGoesThroughAFile", "Blocked=PLAIN\\INNER.TXT;SOURCE.TXT\r\n", "PLAIN", 0,
     "PLAIN\\INNER.TXT"},
};

class BlockedDestinationTest : public InstallTest,
                               public testing::WithParamInterface<BlockedDestination> {
protected:
    // Lays out the medium with the blocked destination and starts copying into the target.
    void StartBlocked()
    {
        const BlockedDestination& row = GetParam();
        std::string lines = std::string("Before=BEFORE.TXT\r\n") + row.entry + "After=AFTER.TXT\r\n";
        ASSERT_NO_FATAL_FAILURE(LayOut(
            lines, {{"BEFORE.TXT", 20, 1}, {"SOURCE.TXT", 30, 2}, {"AFTER.TXT", 40, 3}}));
        ASSERT_TRUE(CreateDirectoryA(medium.target.c_str(), nullptr));
        std::string blocker = medium.target + "\\" + row.blocker;
        if (row.blockerIsDirectory) {
            ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr));
        } else {
            ASSERT_EQ(0, WriteFileBytes(blocker, "in the way"));
        }
        targetHoldsFiles = true;
        ASSERT_NO_FATAL_FAILURE(Start(medium.folder));
        ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    }
};

TEST_P(BlockedDestinationTest, CancelStopsCopyingWithReportSix)
{
    ASSERT_NO_FATAL_FAILURE(StartBlocked());
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(
        IDCANCEL, kErrorCaption, CannotOpen(medium.target + "\\" + GetParam().shownPath)));

    // The installation ends there: no question, and the progress dialog is still up.
    ASSERT_TRUE(WaitForQuestion().window);
    EXPECT_TRUE(FindProgressDialog());
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kCaption, kReportPartial));
    ExpectExitStatus(kExitAbandoned);

    // The run is abandoned and undone: the file copied before goes again.
    EXPECT_FALSE(PathExists(medium.target + "\\BEFORE.TXT"));
    EXPECT_FALSE(PathExists(medium.target + "\\AFTER.TXT"));
}

TEST_P(BlockedDestinationTest, OkGoesOnWithTheNextFile)
{
    ASSERT_NO_FATAL_FAILURE(StartBlocked());
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(
        IDOK, kErrorCaption, CannotOpen(medium.target + "\\" + GetParam().shownPath)));
    ASSERT_NO_FATAL_FAILURE(ExpectPartialEnd());

    ExpectCopied(medium.target + "\\BEFORE.TXT", "BEFORE.TXT");
    ExpectCopied(medium.target + "\\AFTER.TXT", "AFTER.TXT");
}

std::string BlockedDestinationName(const testing::TestParamInfo<BlockedDestination>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Install, BlockedDestinationTest, testing::ValuesIn(kBlockedDestinations),
                         BlockedDestinationName);

// Typed target paths: relative to the current directory, drive-relative, root-relative.
enum TypedForm { kRelative, kDriveRelative, kRootRelative };

class TypedPathTest : public InstallTest, public testing::WithParamInterface<TypedForm> {};

TEST_P(TypedPathTest, IsCompletedIntoTheAbsoluteTarget)
{
    ASSERT_NO_FATAL_FAILURE(LayOut("Readme=README.TXT\r\n", {{"README.TXT", 64, 1}}));
    ASSERT_EQ(':', medium.target[1]);
    ASSERT_EQ('\\', medium.target[2]);
    std::string typed;
    switch (GetParam()) {
    case kRelative:      typed = "target"; break;
    case kDriveRelative: typed = medium.target.substr(0, 2) + medium.target.substr(3); break;
    case kRootRelative:  typed = medium.target.substr(2); break;
    }
    SCOPED_TRACE(typed);

    ASSERT_NO_FATAL_FAILURE(Start(medium.root));  // the current directory of the program
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(typed));
    ASSERT_NO_FATAL_FAILURE(ExpectSuccessfulEnd());
    ExpectCopied(medium.target + "\\README.TXT", "README.TXT");
}

std::string TypedFormName(const testing::TestParamInfo<TypedForm>& info)
{
    switch (info.param) {
    case kRelative:      return "Relative";
    case kDriveRelative: return "DriveRelative";
    case kRootRelative:  return "RootRelative";
    }
    return "Unknown";
}

INSTANTIATE_TEST_SUITE_P(Install, TypedPathTest,
                         testing::Values(kRelative, kDriveRelative, kRootRelative), TypedFormName);

}  // namespace
