// The fixture of the uninstaller's attack tests: installs the editor, the read-me, the script copy and the uninstaller, lays out decoys, and runs a second program beside the first.
#pragma once

#include "uninstall_fixture.h"

#include "resources/resource_ids.h"

const char kLinkedFormat[] = "Nothing was removed: the folder \"%s\" is reached through a link to another place.";
const char kWholeFolderFormat[] =
    "The installed copy of the setup script is missing or has been changed, so the files of "
    "this installation are not known. Remove the folder \"%s\" and everything in it ?";
const char kAnotherRun[] =
    "Another installation or uninstallation is running. Nothing was removed: let it finish, then "
    "start the uninstaller again.";

inline std::string Formatted(const char* format, const std::string& argument)
{
    std::string text = format;
    return text.replace(text.find("%s"), 2, argument);
}

const std::string kFiles =
    "Editor=Quillor.exe\r\nRead me=README.TXT\r\nScript=SETUP.INF\r\nUninstaller=%Purgax.exe\r\n";

class UninstallAttackTest : public UninstallTest {
protected:
    void TearDown() override
    {
        CloseProgram(&second);
        UninstallTest::TearDown();
    }

    // Installs the script with the editor, a read-me and the uninstaller into medium.target.
    void InstallQuillor(const std::string& moreFiles = "", int editorAnswer = IDNO)
    {
        ASSERT_NO_FATAL_FAILURE(LayOutScript(ScriptWithFiles(kFiles + moreFiles),
                                             {{"Quillor.exe", 3000, 1}, {"README.TXT", 100, 2}}));
        ASSERT_NO_FATAL_FAILURE(Install(editorAnswer));
    }

    // Runs SETUP.EXE into medium.target through whatever it reports (a device it cannot
    // write, another application's name): OK to each box, No to the default-editor question.
    void InstallThroughReports()
    {
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
        for (int boxes = 0; boxes < 8; boxes++) {
            Question box;
            if (NextQuestion(program, &box, kWindowWaitMs, kMessageBoxQuestion) != 0) break;
            bool question = box.text == kQuestion;
            ASSERT_EQ(0, AnswerQuestion(program, box, question ? IDNO : IDOK));
            if (box.text.rfind("Installation", 0) == 0) break;
        }
        DWORD code = 99;
        ASSERT_EQ(0, WaitForExit(program, &code));
        CloseProgram(&program);
    }

    // A folder of decoy files that no uninstallation may touch.
    std::string MakeDecoys(const std::string& folder)
    {
        EXPECT_EQ(0, MakeDirectories(folder));
        EXPECT_EQ(0, WriteFileBytes(folder + "\\README.TXT", "decoy read-me"));
        EXPECT_EQ(0, WriteFileBytes(folder + "\\KEEP.TXT", "decoy"));
        return folder;
    }

    void ExpectDecoys(const std::string& folder)
    {
        ExpectContent(folder + "\\README.TXT", "decoy read-me");
        ExpectContent(folder + "\\KEEP.TXT", "decoy");
    }

    DrivenProgram second = {};
};
