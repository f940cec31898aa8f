// End-to-end fault injection on the destination side: full drives, protected destinations, uncreatable directories.
#include "faults_fixture.h"

namespace {

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

}  // namespace
