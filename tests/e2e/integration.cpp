// End-to-end tests of the system integration: shortcuts, App Paths, uninstall and text-file registrations, and the shell opening text files afterwards.
#include "integration_suite.h"

namespace {

// Yes to the question, then the file types dialog with the script's list edited.
class YesWithEditedSuffixes : public InstallationSuite {
protected:
    static void SetUpTestSuite()
    {
        RunPlan plan = {"quillor-e2e-yes-edited", false, kWorkedGroup,
                        "[Registration]\r\nSuffixes=txt log ini\r\n", 1, " txt  qz1\tqz2 ", 1};
        RunSuite(plan, nullptr);
    }
};

TEST_F(YesWithEditedSuffixes, AsksThenOffersTheScriptSuffixesThenReportsSuccess)
{
    std::vector<std::string> expected = {QuestionShown(),
                                         std::string("dialog: ") + kCaption + " | txt log ini",
                                         ReportShown()};
    EXPECT_EQ(record.shown, expected);
    ExpectCleanEnd();
}

TEST_F(YesWithEditedSuffixes, CreatesTheGroupShortcutsOfTheScript)
{
    EXPECT_EQ(ListFolder(places.group).size(), 2u);
    ExpectLink(places.group + "\\Quillor.lnk", record.targetDir + "\\Quillor.exe",
               "Quillor text editor", record.targetDir + "\\Quillor.exe", 0);
    ExpectLink(places.group + "\\Read me.lnk", record.targetDir + "\\README.TXT",
               "Notes on this version", "C:\\WINDOWS\\NOTEPAD.EXE", 0);
}

TEST_F(YesWithEditedSuffixes, PutsOnlyTheFirstShortcutOnTheDesktop)
{
    ExpectLink(places.desktop + "\\Quillor.lnk", record.targetDir + "\\Quillor.exe",
               "Quillor text editor", record.targetDir + "\\Quillor.exe", 0);
    EXPECT_FALSE(PathExists(places.desktop + "\\Read me.lnk"));
}

TEST_F(YesWithEditedSuffixes, WritesAppPathAndUninstallEntry)
{
    ExpectAppPathAndUninstallEntry();
}

TEST_F(YesWithEditedSuffixes, PointsTextFileCommandsAtQuillor)
{
    ExpectEditorCommands();
}

TEST_F(YesWithEditedSuffixes, BindsTheEditedSuffixesOnly)
{
    for (const char* suffix : {".txt", ".qz1", ".qz2"}) {
        EXPECT_EQ(WrittenClass(suffix), StringWithoutTerminator("txtfile")) << suffix;
    }
    for (const char* suffix : {".log", ".ini"}) {
        EXPECT_EQ(Now(suffix), Before(suffix)) << suffix;
    }
}

TEST_F(YesWithEditedSuffixes, OpeningATextFileStartsQuillorOnIt)
{
    std::string file = record.scratchDir + "\\greeting note.txt";
    ASSERT_EQ(0, WriteFileBytes(file, "Hello, Quillor.\r\n"));
    DrivenProgram editor;
    HWND window = OpenThroughShell(file, "greeting note.txt", &editor);
    ASSERT_NE(window, (HWND)0);
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    EXPECT_STREQ(className, "Quillor");
    EXPECT_EQ(ReadWindowTitle(window), "Quillor - " + file);
    std::string image = ProcessImage(editor.process.hProcess);
    EXPECT_EQ(lstrcmpiA(image.c_str(), (record.targetDir + "\\Quillor.exe").c_str()), 0)
        << image;
    EXPECT_EQ(CloseEditor(window, &editor), 0u);
}

// Yes to the question with a script that has no [Registration] section.
class YesWithoutRegistration : public InstallationSuite {
protected:
    static void SetUpTestSuite()
    {
        RunPlan plan = {"quillor-e2e-yes-plain", false, kWorkedGroup, "", 1, nullptr, 0};
        RunSuite(plan, nullptr);
    }
};

TEST_F(YesWithoutRegistration, ShowsNoFileTypesDialog)
{
    std::vector<std::string> expected = {QuestionShown(), ReportShown()};
    EXPECT_EQ(record.shown, expected);
    ExpectCleanEnd();
}

TEST_F(YesWithoutRegistration, StillPointsTextFileCommandsAtQuillor)
{
    ExpectEditorCommands();
}

TEST_F(YesWithoutRegistration, BindsNoSuffix)
{
    ExpectSuffixesUntouched();
}

TEST_F(YesWithoutRegistration, WritesAppPathAndUninstallEntry)
{
    ExpectAppPathAndUninstallEntry();
}

// Yes to the question, then No in the file types dialog after editing its list.
class YesThenNoInFileTypes : public InstallationSuite {
protected:
    static void SetUpTestSuite()
    {
        RunPlan plan = {"quillor-e2e-yes-then-no", false, kWorkedGroup,
                        "[Registration]\r\nSuffixes=txt log ini\r\n", 1, "qz1 qz2", 0};
        RunSuite(plan, nullptr);
    }
};

TEST_F(YesThenNoInFileTypes, WritesTheCommandsButBindsNoSuffix)
{
    std::vector<std::string> expected = {QuestionShown(),
                                         std::string("dialog: ") + kCaption + " | txt log ini",
                                         ReportShown()};
    EXPECT_EQ(record.shown, expected);
    ExpectEditorCommands();
    ExpectSuffixesUntouched();
    ExpectCleanEnd();
}

// No to the question while the text-file commands end in a bare %1.
class NoWithBareArguments : public InstallationSuite {
protected:
    static void SetUpTestSuite()
    {
        RunPlan plan = {"quillor-e2e-no-bare", false, kWorkedGroup,
                        "[Registration]\r\nSuffixes=txt log ini\r\n", 0, nullptr, 0};
        RunSuite(plan, Prepare);
    }

    static void Prepare()
    {
        SetClassValue(kOpenCommandKey, "C:\\windows\\notepad.exe %1");
        SetClassValue(kPrintCommandKey, "C:\\windows\\notepad.exe /p %1");
        // In the 32-bit view .txt has no key of its own.
        SetClassValue(".txt", "txtfile");
    }
};

TEST_F(NoWithBareArguments, ShowsNoFileTypesDialog)
{
    std::vector<std::string> expected = {QuestionShown(), ReportShown()};
    EXPECT_EQ(record.shown, expected);
    ExpectCleanEnd();
}

TEST_F(NoWithBareArguments, QuotesTheFinalArgumentOfBothCommands)
{
    EXPECT_EQ(WrittenClass(kOpenCommandKey),
              StringWithoutTerminator("C:\\windows\\notepad.exe \"%1\""));
    EXPECT_EQ(WrittenClass(kPrintCommandKey),
              StringWithoutTerminator("C:\\windows\\notepad.exe /p \"%1\""));
}

TEST_F(NoWithBareArguments, BindsNoSuffix)
{
    ExpectSuffixesUntouched();
}

TEST_F(NoWithBareArguments, WritesAppPathAndUninstallEntry)
{
    ExpectAppPathAndUninstallEntry();
}

TEST_F(NoWithBareArguments, ThePreviousCommandStillOpensTextFiles)
{
    std::string file = record.scratchDir + "\\kept note.txt";
    ASSERT_EQ(0, WriteFileBytes(file, "Still opened by the previous editor.\r\n"));
    DrivenProgram editor;
    HWND window = OpenThroughShell(file, "kept note.txt", &editor);
    ASSERT_NE(window, (HWND)0);
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    EXPECT_STRNE(className, "Quillor");
    std::string image = ProcessImage(editor.process.hProcess);
    CloseEditor(window, &editor);
    const std::string notepad = "\\notepad.exe";
    ASSERT_GT(image.size(), notepad.size());
    EXPECT_EQ(lstrcmpiA(image.c_str() + image.size() - notepad.size(), notepad.c_str()), 0) << image;
}

// No to the question while the commands end in something else than a bare %1.
class NoWithOtherArguments : public InstallationSuite {
protected:
    static void SetUpTestSuite()
    {
        RunPlan plan = {"quillor-e2e-no-other", false, kWorkedGroup, "", 0, nullptr, 0};
        RunSuite(plan, Prepare);
    }

    static void Prepare()
    {
        // Already quoted, as a second run finds it; and shorter than "%1".
        SetClassValue(kOpenCommandKey, "C:\\windows\\notepad.exe \"%1\"");
        SetClassValue(kPrintCommandKey, "1");
    }
};

TEST_F(NoWithOtherArguments, LeavesBothCommandsAlone)
{
    EXPECT_EQ(Now(kOpenCommandKey), Before(kOpenCommandKey));
    EXPECT_EQ(Now(kPrintCommandKey), Before(kPrintCommandKey));
    EXPECT_EQ(Now(kOpenCommandKey).data.c_str(), std::string("C:\\windows\\notepad.exe \"%1\""));
    ExpectCleanEnd();
}

// A [Group] section whose first line is a comment.
class GroupStartingWithComment : public InstallationSuite {
protected:
    static void SetUpTestSuite()
    {
        RunPlan plan = {"quillor-e2e-group-comment", false,
                        "[Group]\r\n"
                        ";Quillor.lnk=Quillor.exe,Quillor text editor,%Quillor.exe,0\r\n"
                        "Read me.lnk=README.TXT,Notes on this version,%Quillor.exe,0\r\n",
                        "", 0, nullptr, 0};
        RunSuite(plan, nullptr);
    }
};

TEST_F(GroupStartingWithComment, CreatesTheFolderWithoutShortcuts)
{
    DWORD attributes = GetFileAttributesA(places.group.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << places.group;
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(ListFolder(places.group).empty());
    EXPECT_FALSE(PathExists(places.desktop + "\\Quillor.lnk"));
    EXPECT_FALSE(PathExists(places.desktop + "\\Read me.lnk"));
    std::vector<std::string> expected = {QuestionShown(), ReportShown()};
    EXPECT_EQ(record.shown, expected);
    ExpectCleanEnd();
}

// A script without a [Group] section.
class WithoutGroup : public InstallationSuite {
protected:
    static void SetUpTestSuite()
    {
        RunPlan plan = {"quillor-e2e-no-group", false, "", "", 0, nullptr, 0};
        RunSuite(plan, nullptr);
    }
};

TEST_F(WithoutGroup, MakesNeitherFolderNorShortcutAndShowsNoMessage)
{
    EXPECT_FALSE(PathExists(places.group));
    EXPECT_FALSE(PathExists(places.desktop + "\\Quillor.lnk"));
    std::vector<std::string> expected = {QuestionShown(), ReportShown()};
    EXPECT_EQ(record.shown, expected);
    ExpectCleanEnd();
}

TEST_F(WithoutGroup, StillWritesAppPathAndUninstallEntry)
{
    ExpectAppPathAndUninstallEntry();
}

}  // namespace
