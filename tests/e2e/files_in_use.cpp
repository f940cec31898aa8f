// End-to-end tests of destinations that another program holds: replaced at the next restart, or left alone on Cancel.
#include "uninstall_fixture.h"

namespace {

const char kPendingValue[] = "PendingFileRenameOperations";
const char kRestartNeeded[] =
    "Files were in use: restart the computer to finish the installation.";

// Large enough that Cancel lands while the file is being copied, chunk by chunk.
const size_t kLargeSize = 48u << 20;

// The renames that the system is to make at its next start, each as "from -> to".
std::vector<std::string> PendingRenames()
{
    StoredValue value = ReadStoredValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue);
    std::vector<std::string> names;
    for (size_t at = 0; value.valueExists && at < value.data.size(); at += names.back().size() + 1)
        names.push_back(value.data.c_str() + at);
    std::vector<std::string> renames;
    for (size_t i = 0; i + 1 < names.size() && !names[i].empty(); i += 2)
        renames.push_back(names[i] + " -> " + names[i + 1]);
    return renames;
}

// A target holding HELD.TXT of an earlier installation, which the test holds open without
// sharing, as a running program would hold it; the system's list of pending renames is put
// back afterwards.
class FilesInUseTest : public SetupRunTest {
protected:
    void SetUp() override
    {
        SetupRunTest::SetUp();
        savedPending = ReadStoredValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue);
    }

    void TearDown() override
    {
        if (heldFile != INVALID_HANDLE_VALUE) CloseHandle(heldFile);
        CloseProgram(&program);
        // A user's own installation's entry, which would make every later run refuse.
        RegDeleteKeyA(HKEY_CURRENT_USER, kQuillorEntry);
        RestoreStoredValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue, savedPending);
        SetupRunTest::TearDown();
    }

    void LayOutHeld(const std::string& lines, const std::vector<SourceFile>& sources)
    {
        ASSERT_NO_FATAL_FAILURE(LayOut(lines, sources));
        ASSERT_EQ(0, MakeDirectories(medium.target));
        held = medium.target + "\\HELD.TXT";
        ASSERT_EQ(0, WriteFileBytes(held, heldBytes));
        heldFile = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, heldFile);
    }

    StoredValue savedPending;
    HANDLE heldFile = INVALID_HANDLE_VALUE;
    std::string held;
    const std::string heldBytes = "HELD.TXT of the earlier installation";
};

TEST_F(FilesInUseTest, AHeldFileIsReplacedAtTheNextRestartWithStatus3010)
{
    ASSERT_NO_FATAL_FAILURE(LayOutHeld("First=FIRST.TXT\r\nHeld=HELD.TXT\r\n",
                                       {{"FIRST.TXT", 300, 1}, {"HELD.TXT", 20000, 2}}));
    const std::vector<std::string> before = PendingRenames();

    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDNO, kCaption, kQuestion));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kCaption, kReportDone));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kCaption, kRestartNeeded));
    ExpectExitStatus(kExitRestartNeeded);

    // The held file is still the old one; its new copy waits beside it, named in one rename.
    CloseHandle(heldFile);
    heldFile = INVALID_HANDLE_VALUE;
    ExpectContent(held, heldBytes);
    std::vector<std::string> added;
    for (const std::string& rename : PendingRenames())
        if (std::find(before.begin(), before.end(), rename) == before.end()) added.push_back(rename);
    ASSERT_EQ(1u, added.size());
    const std::string prefix = "\\??\\" + medium.target + "\\";
    const std::string to = " -> !\\??\\" + held;
    ASSERT_EQ(0u, added[0].find(prefix)) << added[0];
    ASSERT_EQ(added[0].size() - to.size(), added[0].find(to)) << added[0];
    const std::string waiting = added[0].substr(4, added[0].size() - to.size() - 4);
    ExpectCopied(waiting, "HELD.TXT");
    ExpectCopied(medium.target + "\\FIRST.TXT", "FIRST.TXT");
}

TEST_F(FilesInUseTest, CancelAfterAHeldFileLeavesNoRenameAndNoCopyBeside)
{
    ASSERT_NO_FATAL_FAILURE(LayOutHeld("Held=HELD.TXT\r\nLarge=LARGE.BIN\r\n",
                                       {{"HELD.TXT", 20000, 2}, {"LARGE.BIN", kLargeSize, 3}}));
    const std::vector<std::string> before = PendingRenames();
    Snapshot target;
    AddFolder(&target, medium.target, true);

    ASSERT_NO_FATAL_FAILURE(CancelDuringCopyOf("LARGE.BIN : Large"));

    EXPECT_EQ(before, PendingRenames());
    Snapshot after;
    AddFolder(&after, medium.target, true);
    EXPECT_EQ("", Differences(target, after));
}

// A user's own installation cannot leave a file to the next restart: the held file is reported
// as not replaced and counted, and stays as it was.
TEST_F(FilesInUseTest, AHeldFileOfAUsersOwnInstallationIsReportedAsNotReplaced)
{
    ASSERT_NO_FATAL_FAILURE(LayOutHeld("First=FIRST.TXT\r\nHeld=HELD.TXT\r\n",
                                       {{"FIRST.TXT", 300, 1}, {"HELD.TXT", 20000, 2}}));
    const std::vector<std::string> before = PendingRenames();
    // An earlier test's installation for all users would refuse this one.
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kQuillorEntry);

    const std::string exe = medium.folder + "\\SETUP.EXE";
    ASSERT_EQ(0, StartProgramWithArguments(exe.c_str(), "/CURRENTUSER", medium.folder.c_str(),
                                           &program));
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kErrorCaption, CannotOpen(held), 1));
    ASSERT_NO_FATAL_FAILURE(ExpectPartialEnd());

    CloseHandle(heldFile);
    heldFile = INVALID_HANDLE_VALUE;
    ExpectContent(held, heldBytes);
    ExpectCopied(medium.target + "\\FIRST.TXT", "FIRST.TXT");
    EXPECT_EQ(before, PendingRenames());
    // Nothing waits beside it either.
    EXPECT_EQ(2u, ListFolder(medium.target).size());
}

}  // namespace
