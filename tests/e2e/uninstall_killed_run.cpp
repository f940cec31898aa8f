// End-to-end test of the uninstaller that a killed reinstall had just written: started from the programs list, it first undoes that run, itself included, then removes the installation it put back.
#include "uninstall_fixture.h"

#include <algorithm>
#include <functional>

namespace {

const char kRecordKey[] = "Software\\Quillor Setup\\Run record";
const char kPendingValue[] = "PendingFileRenameOperations";

// Large enough that the run is killed while this file is being copied, chunk by chunk.
const size_t kLargeSize = 48u << 20;

// The uninstaller in the Windows directory and the system's pending renames are put back as
// they were before the test.
class UninstallKilledRunTest : public UninstallTest {
protected:
    void SetUp() override
    {
        UninstallTest::SetUp();
        savedPending = ReadStoredValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue);
        hadUninstaller = ReadFileBytes(uninstaller, &savedUninstaller) == 0;
    }

    void TearDown() override
    {
        UninstallTest::TearDown();
        for (const std::string& name : movedAside) DeleteFileA(name.c_str());
        if (hadUninstaller)
            WriteFileBytes(uninstaller, savedUninstaller);
        else
            DeleteFileA(uninstaller.c_str());
        RestoreStoredValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue, savedPending);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kRecordKey);
    }

    // The files beside the uninstaller under a name "Purgax.exe.<number>~" but those in earlier.
    std::vector<std::string> MovedAside(const std::vector<std::string>& earlier = {})
    {
        std::vector<std::string> names;
        for (const ListedFile& file : ListFolder(WindowsFolder())) {
            std::string name = WindowsFolder() + "\\" + file.name;
            if (lstrcmpiA(file.name.substr(0, 11).c_str(), "Purgax.exe.") == 0 &&
                file.name.back() == '~' &&
                std::find(earlier.begin(), earlier.end(), name) == earlier.end())
                names.push_back(name);
        }
        return names;
    }

    // Every file of the installation and the uninstaller, each with a hash of its whole
    // content, one per line.
    std::string InstalledBytes()
    {
        Snapshot files;
        AddFolder(&files, medium.target, true);
        files.insert("file " + uninstaller + " ");
        std::string text;
        for (const std::string& line : files) {
            std::string bytes = ReadWholeFile(line.substr(5, line.rfind(' ') - 5));
            text += line + " " + std::to_string(std::hash<std::string>()(bytes)) + "\n";
        }
        return text;
    }

    StoredValue savedPending;
    std::vector<std::string> movedAside;
    bool hadUninstaller = false;
    std::string savedUninstaller;
};

TEST_F(UninstallKilledRunTest, TheNewUninstallerPutsBackTheOlderOneAndItsInstallationThenRemovesIt)
{
    ASSERT_NO_FATAL_FAILURE(LayOutScript(
        ScriptWithFiles("Editor=Quillor.exe\r\nScript=SETUP.INF\r\nUninstaller=%Purgax.exe\r\n"
                        "Data=DATA.BIN\r\n"),
        {{"Quillor.exe", 3000, 1}, {"DATA.BIN", 100, 2}}));
    // The older uninstaller: the one built, with bytes of its own after its end.
    std::string built;
    ASSERT_EQ(0, ReadFileBytes(medium.folder + "\\Purgax.exe", &built));
    ASSERT_EQ(0, WriteMediumFile(medium, "Purgax.exe", built + "of the older installation"));
    ASSERT_NO_FATAL_FAILURE(Install(IDNO));
    const std::string older = InstalledBytes();

    // The reinstall brings a new editor, data and uninstaller, and is killed during the data.
    ASSERT_EQ(0, WriteMediumFile(medium, "Quillor.exe", PatternBytes(4000, 3)));
    ASSERT_EQ(0, WriteMediumFile(medium, "DATA.BIN", PatternBytes(kLargeSize, 4)));
    ASSERT_EQ(0, WriteMediumFile(medium, "Purgax.exe", built));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    ASSERT_TRUE(WaitForCopyLabel("DATA.BIN : Data"));
    CloseProgram(&program);
    ASSERT_TRUE(built == ReadWholeFile(uninstaller)) << "the run did not write the uninstaller";
    const std::vector<std::string> setAside = MovedAside();

    // Before its first question everything is back, but for the new uninstaller that runs.
    ASSERT_NO_FATAL_FAILURE(StartUninstaller(UninstallString()));
    Question confirm = WaitForQuestion(kMessageBoxQuestion);
    ASSERT_TRUE(confirm.window);
    EXPECT_EQ(kConfirm, confirm.text);
    EXPECT_EQ(older, InstalledBytes());
    movedAside = MovedAside(setAside);
    ASSERT_EQ(1u, movedAside.size());
    EXPECT_TRUE(built == ReadWholeFile(movedAside[0])) << "not the new uninstaller";
    EXPECT_EQ(1, PendingRemovals(movedAside[0]));
    EXPECT_EQ(-1, SubkeyCount(HKEY_LOCAL_MACHINE, kRecordKey)) << "the record is still there";

    // Then the uninstallation goes on as ever.
    ASSERT_EQ(0, AnswerQuestion(program, confirm, IDYES));
    SeenMessageBox report;
    AnswerMessageBox(program, IDOK, &report);
    EXPECT_EQ(kRemoved, report.text);
    EXPECT_EQ(0u, ExitCode());
    EXPECT_FALSE(PathExists(medium.target));
}

}  // namespace
