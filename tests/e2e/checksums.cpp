// A medium whose script lists its files in [Checksums], written by infcheck: a damaged file stops the run before or during the copy with everything undone and exit status 1620, and /VERIFY checks the medium without installing.
#include "setup_run.h"

namespace {

const char kFiles[] = "First=FIRST.TXT\r\nBig=DISK2\\BIG.TXT\r\n";
const std::vector<SourceFile> kSources = {{"FIRST.TXT", 9000, 1}, {"DISK2\\BIG.TXT", 20000, 2}};

std::string Damaged(const std::string& path)
{
    return "The file \"" + path + "\" on the installation medium is damaged. Nothing was installed.";
}

class ChecksumsTest : public SetupRunTest {
protected:
    // Lays out the medium and writes its section with the checker, as a packager does.
    void LayOutChecked()
    {
        ASSERT_NO_FATAL_FAILURE(LayOut(kFiles, kSources));
        DWORD status = 999;
        ASSERT_EQ(0, StartProgramWithArguments((ProgramFolder() + "\\infcheck.exe").c_str(),
                                               "--write-checksums SETUP.INF",
                                               medium.folder.c_str(), &program));
        ASSERT_EQ(0, WaitForExit(program, &status));
        CloseProgram(&program);
        ASSERT_LE(status, 1u);
        ASSERT_NE(std::string::npos, ReadWholeFile(medium.folder + "\\SETUP.INF").find("[Checksums]"));
    }

    // Changes one byte of BIG.TXT near its end, in its last chunk; its size stays.
    void DamageBigFile()
    {
        std::string bytes;
        ASSERT_EQ(0, ReadFileBytes(BigPath(), &bytes));
        bytes[19990] = static_cast<char>(bytes[19990] ^ 1);
        ASSERT_EQ(0, WriteFileBytes(BigPath(), bytes));
    }

    std::string BigPath() { return medium.folder + "\\DISK2\\BIG.TXT"; }
    // A log of its own for each run: the program never writes over an existing file.
    std::string LogPath() { return medium.root + "\\run" + std::to_string(runs) + ".log"; }

    // Runs SETUP.EXE quietly with arguments to its end; its exit status.
    DWORD RunQuietly(const std::string& arguments)
    {
        DWORD status = 999;
        runs++;
        std::string line = "/S /LOG=\"" + LogPath() + "\" " + arguments;
        EXPECT_EQ(0, StartProgramWithArguments((medium.folder + "\\SETUP.EXE").c_str(), line,
                                               medium.folder.c_str(), &program));
        EXPECT_EQ(0, WaitForExit(program, &status));
        CloseProgram(&program);
        return status;
    }

    void ExpectInLog(const std::string& line)
    {
        std::string log = ReadWholeFile(LogPath());
        EXPECT_NE(std::string::npos, log.find(line)) << "missing: " << line << "\nin:\n" << log;
    }

    int runs = 0;
};

TEST_F(ChecksumsTest, DamagedContentStopsTheCopyAndUndoesWhatWasCopied)
{
    ASSERT_NO_FATAL_FAILURE(LayOutChecked());
    ASSERT_NO_FATAL_FAILURE(DamageBigFile());

    EXPECT_EQ(DWORD(kExitDamagedMedium), RunQuietly("/DIR=\"" + medium.target + "\""));

    // FIRST.TXT was copied whole before the damage showed, and went with the rest.
    ExpectInLog("Copied " + medium.folder + "\\FIRST.TXT");
    ExpectInLog(Damaged(BigPath()));
    ExpectInLog("Exit status 1620");
    EXPECT_FALSE(PathExists(medium.target));
}

TEST_F(ChecksumsTest, ASizeThatDiffersIsReportedBeforeAnyQuestion)
{
    ASSERT_NO_FATAL_FAILURE(LayOutChecked());
    std::string bytes;
    ASSERT_EQ(0, ReadFileBytes(BigPath(), &bytes));
    ASSERT_EQ(0, WriteFileBytes(BigPath(), bytes.substr(0, 12000)));

    ASSERT_NO_FATAL_FAILURE(Start());
    SeenMessageBox seen;
    ASSERT_EQ(0, AnswerMessageBox(program, IDOK, &seen));
    EXPECT_EQ(kErrorCaption, seen.caption);
    EXPECT_EQ(Damaged(BigPath()), seen.text);
    DWORD status = 999;
    ASSERT_EQ(0, WaitForExit(program, &status));
    EXPECT_EQ(DWORD(kExitDamagedMedium), status);
    EXPECT_FALSE(PathExists(medium.target));
}

TEST_F(ChecksumsTest, VerifyChecksTheMediumWithoutInstalling)
{
    ASSERT_NO_FATAL_FAILURE(LayOutChecked());
    EXPECT_EQ(DWORD(kExitInstalled), RunQuietly("/VERIFY /DIR=\"" + medium.target + "\""));
    ExpectInLog("The medium is whole");

    ASSERT_NO_FATAL_FAILURE(DamageBigFile());
    EXPECT_EQ(DWORD(kExitDamagedMedium), RunQuietly("/VERIFY /DIR=\"" + medium.target + "\""));
    ExpectInLog("Damaged on the medium: " + BigPath());
    EXPECT_FALSE(PathExists(medium.target));

    // Without the section there is nothing to verify against.
    ASSERT_EQ(0, WriteMediumFile(medium, "SETUP.INF", ScriptWithFiles(kFiles)));
    EXPECT_EQ(DWORD(kExitDamagedMedium), RunQuietly("/VERIFY"));
    ExpectInLog("Section [Checksums] does not exist !");
}

}  // namespace
