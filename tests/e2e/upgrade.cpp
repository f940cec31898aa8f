// End-to-end tests of a new version installed over an older one in its folder: what the new script no longer installs goes, so that the uninstaller later leaves nothing behind.
#include "uninstall_fixture.h"

namespace {

// The shared count of a Windows-directory file, or -1 without one.
int SharedCount(const std::string& path)
{
    StoredValue value = ReadStoredValue(HKEY_LOCAL_MACHINE, kSharedFiles, path.c_str());
    DWORD count = 0;
    if (!value.valueExists || value.data.size() != sizeof count) return -1;
    memcpy(&count, value.data.data(), sizeof count);
    return (int)count;
}

// A medium whose first script installs the guide, a file two folders down and a
// Windows-directory file beside one that every version installs.
class UpgradeTest : public UninstallTest {
protected:
    void LayOutFirstVersion()
    {
        tag = "QUILLOR-E2E-" + std::to_string(GetCurrentProcessId());
        head = "[Install]\r\nApplication=Quillor\r\nCaption=Quillor Setup\r\n"
               "[Files]\r\nScript=SETUP.INF\r\nUninstaller=%Purgax.exe\r\n"
               "Shared=%" + tag + "-KEEP.DLL;LIB.DLL\r\n";
        ASSERT_NO_FATAL_FAILURE(LayOutScript(
            head + "Guide=DOCS\\GUIDE.TXT;GUIDE.TXT\r\nOld=OLD\\SUB\\OLD.TXT;OLD.TXT\r\n"
                   "Library=%" + tag + "-OLD.DLL;LIB.DLL\r\n",
            {{"GUIDE.TXT", 300, 1}, {"OLD.TXT", 20, 2}, {"LIB.DLL", 40, 3}}));
    }

    // Installs the second version, whose Files lines follow head.
    void InstallSecondVersion(const std::string& lines)
    {
        ASSERT_EQ(0, WriteMediumFile(medium, "SETUP.INF", head + lines));
        ASSERT_NO_FATAL_FAILURE(Install(IDNO));
    }

    // Uninstalls, expecting the whole removal, and compares the prefix with before: all but the
    // uninstaller, which waits for the restart, and the medium's files, which the test rewrote.
    void ExpectWholeUninstall(Snapshot before)
    {
        EXPECT_EQ(kRemoved, Uninstall());
        EXPECT_EQ(0u, ExitCode());
        Snapshot after = TakeSnapshot();
        for (Snapshot* state : {&before, &after}) {
            ForgetFile(state, uninstaller);
            for (auto line = state->begin(); line != state->end();)
                line = line->rfind("file " + medium.folder + "\\", 0) == 0 ? state->erase(line)
                                                                          : std::next(line);
        }
        EXPECT_EQ("", Differences(before, after));
    }

    std::string tag;
    std::string head;
};

TEST_F(UpgradeTest, WhatTheNewVersionNoLongerInstallsGoesAndTheUninstallerLeavesNothing)
{
    ASSERT_NO_FATAL_FAILURE(LayOutFirstVersion());
    const std::string dropped = WindowsFolder() + "\\" + tag + "-OLD.DLL";
    const std::string kept = WindowsFolder() + "\\" + tag + "-KEEP.DLL";
    Snapshot before = TakeSnapshot();
    ASSERT_NO_FATAL_FAILURE(Install(IDNO));
    ASSERT_NO_FATAL_FAILURE(InstallSecondVersion("Guide=DOCS\\GUIDE.TXT;GUIDE.TXT\r\n"));

    Snapshot target;
    AddFolder(&target, medium.target, true);
    const Snapshot expected = {
        "file " + medium.target + "\\SETUP.INF " +
            std::to_string(ReadFileSizeOnDisk(medium.folder + "\\SETUP.INF")),
        "folder " + medium.target + "\\DOCS", "file " + medium.target + "\\DOCS\\GUIDE.TXT 300"};
    EXPECT_EQ("", Differences(expected, target));
    EXPECT_FALSE(PathExists(dropped));
    EXPECT_EQ(-1, SharedCount(dropped));
    EXPECT_EQ(1, SharedCount(kept)) << "a reinstall counts its files once";

    ExpectWholeUninstall(before);
}

TEST_F(UpgradeTest, AFileNamedAnotherWayAndAPersonsFileStay)
{
    ASSERT_NO_FATAL_FAILURE(LayOutFirstVersion());
    ASSERT_NO_FATAL_FAILURE(Install(IDNO));
    const std::string mine = medium.target + "\\OLD\\MINE.TXT";
    ASSERT_EQ(0, WriteFileBytes(mine, "the person's own"));
    // The same guide, by a path that reads differently.
    ASSERT_NO_FATAL_FAILURE(InstallSecondVersion("Guide=DOCS\\.\\GUIDE.TXT;GUIDE.TXT\r\n"));

    ExpectContent(medium.target + "\\DOCS\\GUIDE.TXT", PatternBytes(300, 1));
    ExpectContent(mine, "the person's own");
    EXPECT_FALSE(PathExists(medium.target + "\\OLD\\SUB"));
}

// The earlier script placed a file outside the target by a path with a forward slash: what an
// upgrade drops is taken by the same rule as the uninstaller's, and that file stays.
TEST_F(UpgradeTest, ADroppedNameThatLeavesTheTargetIsNotRemoved)
{
    ASSERT_NO_FATAL_FAILURE(LayOutFirstVersion());
    ASSERT_EQ(0, WriteMediumFile(medium, "SETUP.INF",
                                 head + "Out=DOCS/../../OUTFS.TXT;GUIDE.TXT\r\n"));
    ASSERT_NO_FATAL_FAILURE(Install(IDNO));
    const std::string outside = medium.root + "\\OUTFS.TXT";
    ExpectContent(outside, PatternBytes(300, 1));
    ASSERT_NO_FATAL_FAILURE(InstallSecondVersion("Guide=DOCS\\GUIDE.TXT;GUIDE.TXT\r\n"));

    ExpectContent(outside, PatternBytes(300, 1));
}

TEST_F(UpgradeTest, AFolderSwappedForALinkLeavesWhatItLeadsToAlone)
{
    ASSERT_NO_FATAL_FAILURE(LayOutFirstVersion());
    ASSERT_NO_FATAL_FAILURE(Install(IDNO));
    // The dropped file's folder leads elsewhere now: to a decoy with a file of that name.
    const std::string decoy = medium.root + "\\decoy";
    ASSERT_EQ(0, MakeDirectories(decoy + "\\SUB"));
    ASSERT_EQ(0, WriteFileBytes(decoy + "\\SUB\\OLD.TXT", "not the installation's"));
    ASSERT_EQ(0, RemoveTree(medium.target + "\\OLD"));
    ASSERT_EQ(0, Link(medium.target + "\\OLD", decoy));
    ASSERT_NO_FATAL_FAILURE(InstallSecondVersion("Guide=DOCS\\GUIDE.TXT;GUIDE.TXT\r\n"));

    ExpectContent(decoy + "\\SUB\\OLD.TXT", "not the installation's");
}

TEST_F(UpgradeTest, ACancelledUpgradeLeavesTheEarlierInstallationWholeForTheUninstaller)
{
    ASSERT_NO_FATAL_FAILURE(LayOutFirstVersion());
    Snapshot before = TakeSnapshot();
    ASSERT_NO_FATAL_FAILURE(Install(IDNO));
    // Large enough that Cancel lands while it is copied, after the script copy was replaced.
    ASSERT_EQ(0, WriteMediumFile(medium, "DATA.BIN", PatternBytes(48u << 20, 9)));
    ASSERT_EQ(0, WriteMediumFile(medium, "SETUP.INF", head + "Data=DATA.BIN\r\n"));
    ASSERT_NO_FATAL_FAILURE(CancelDuringCopyOf("DATA.BIN : Data"));
    CloseProgram(&program);

    // The entry still vouches for the script copy, so every file of the earlier version goes.
    ExpectWholeUninstall(before);
}

}  // namespace
