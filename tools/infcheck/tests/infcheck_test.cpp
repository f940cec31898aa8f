// Tests of infcheck: one script per trap, checked for the report line and the exit status.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "infcheck.h"

namespace {

struct Report {
    int status;
    std::string output;
};

Report Check(const std::string& script, const char* medium = nullptr)
{
    Report report;
    report.status = CheckScript(script, "SETUP.INF", medium, &report.output);
    return report;
}

// The report line that starts with prefix, or "" when there is none.
std::string LineStartingWith(const std::string& output, const std::string& prefix)
{
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            return line;
    }
    return "";
}

// Whether the report holds a warning or an error on the given line (0: none) that carries the
// tag.
bool HasWarning(const std::string& output, int line, const std::string& tag)
{
    std::string prefix = line > 0 ? "SETUP.INF:" + std::to_string(line) + ": " : "SETUP.INF: ";
    std::istringstream lines(output);
    std::string text;
    std::string ending = "[" + tag + "]";
    while (std::getline(lines, text)) {
        if (text.compare(0, prefix.size(), prefix) != 0)
            continue;
        // An error is a warning that stops the installer: it carries its tag the same way.
        std::string rest = text.substr(prefix.size());
        if ((rest.compare(0, 9, "warning: ") == 0 || rest.compare(0, 7, "error: ") == 0) &&
            text.size() >= ending.size() &&
            text.compare(text.size() - ending.size(), ending.size(), ending) == 0)
            return true;
    }
    return false;
}

const char kInstall[] =
    "[Install]\r\n"
    "Application=Quillor\r\n"
    "Caption=Quillor Setup\r\n"
    "Directory=C:\\Quillor\r\n";
const char kFiles[] =
    "[Files]\r\n"
    "Program=Quillor.exe\r\n"
    "Notes=README.TXT\r\n"
    "Uninstall=%Purgax.exe\r\n"
    "Setup script=SETUP.INF\r\n";
const char kGroup[] =
    "[Group]\r\n"
    "Quillor.lnk=Quillor.exe,Quillor text editor,%Quillor.exe,0\r\n";
const char kRegistration[] =
    "[Registration]\r\n"
    "Suffixes=txt ini\r\n";

std::string CleanScript()
{
    return std::string(kInstall) + kFiles + kGroup + kRegistration;
}

// The clean script with its one shortcut line replaced by line.
std::string WithShortcut(const char* line)
{
    return std::string(kInstall) + kFiles + "[Group]\r\n" + line + "\r\n" + kRegistration;
}

// The script with each CR LF turned into CR CR LF, as a second conversion leaves it.
std::string ConvertedTwice(const std::string& script)
{
    std::string converted;
    for (char c : script)
        converted += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return converted;
}

int CountWarnings(const std::string& output)
{
    int count = 0;
    for (size_t at = output.find(": warning: "); at != std::string::npos;
         at = output.find(": warning: ", at + 1))
        count++;
    return count;
}

TEST(Infcheck, CleanScriptReportsEverythingAndExitsZero)
{
    Report report = Check(CleanScript());
    EXPECT_EQ(kCheckClean, report.status) << report.output;
    EXPECT_EQ(std::string::npos, report.output.find(": warning: ")) << report.output;
    EXPECT_EQ("SETUP.INF:2: Application = 'Quillor'", LineStartingWith(report.output, "SETUP.INF:2:"));
    EXPECT_EQ("SETUP.INF:6: file 'Program': 'Quillor.exe' -> <target>\\Quillor.exe",
              LineStartingWith(report.output, "SETUP.INF:6:"));
    EXPECT_EQ("SETUP.INF:11: shortcut <programs>\\Quillor\\Quillor.lnk",
              LineStartingWith(report.output, "SETUP.INF:11:"));
    EXPECT_EQ("    target <target>\\Quillor.exe",
              LineStartingWith(report.output, "    target"));
    EXPECT_EQ("    icon <target>\\Quillor.exe, index 0", LineStartingWith(report.output, "    icon"));
    EXPECT_EQ("    also on the desktop: <desktop>\\Quillor.lnk",
              LineStartingWith(report.output, "    also"));
    EXPECT_EQ("    suffix .ini -> txtfile", LineStartingWith(report.output, "    suffix .ini"));
    EXPECT_EQ("SETUP.INF: 4 settings, 4 files, 1 shortcut, 2 suffixes; 0 warnings, 0 errors",
              LineStartingWith(report.output, "SETUP.INF: 4 settings"));
}

struct TrapCase {
    const char* name;
    std::string script;
    int status;
    int line;          // line of the warning, 0 for a warning about the whole script
    const char* tag;
};

void PrintTo(const TrapCase& row, std::ostream* stream)
{
    *stream << row.name;
}

class Trap : public testing::TestWithParam<TrapCase> {};

TEST_P(Trap, IsWarnedOnItsLine)
{
    const TrapCase& row = GetParam();
    Report report = Check(row.script);
    EXPECT_EQ(row.status, report.status) << report.output;
    EXPECT_TRUE(HasWarning(report.output, row.line, row.tag)) << report.output;
}

const std::string kAfterInstall = std::string(kFiles) + kGroup + kRegistration;

INSTANTIATE_TEST_SUITE_P(
    Infcheck, Trap,
    testing::Values(
        TrapCase{"PrefixKey", std::string(kInstall) + "BitmapFile=SETUP.BMP\r\n" + kAfterInstall,
                 kCheckWarnings, 5, "key-prefix"},
        TrapCase{"KeyInOtherCase", std::string(kInstall) + "bitmap=SETUP.BMP\r\n" + kAfterInstall,
                 kCheckWarnings, 5, "key-case"},
        TrapCase{"BlankBeforeKey",
                 "[Install]\r\nApplication=Quillor\r\n Caption=Quillor Setup\r\n"
                 "Directory=C:\\Q\r\n" + kAfterInstall,
                 kCheckWarnings, 3, "key-blank"},
        TrapCase{"UnknownKey", std::string(kInstall) + "Aplication=Quillor\r\n" + kAfterInstall,
                 kCheckWarnings, 5, "key-unknown"},
        TrapCase{"KeySetTwice", std::string(kInstall) + "Directory=D:\\Q\r\n" + kAfterInstall,
                 kCheckWarnings, 5, "key-repeated"},
        TrapCase{"KeyWithoutEquals", std::string(kInstall) + "Bitmap\r\n" + kAfterInstall,
                 kCheckWarnings, 5, "key-no-value"},
        TrapCase{"MissingCaption",
                 "[Install]\r\nApplication=Quillor\r\nDirectory=C:\\Q\r\n" + kAfterInstall,
                 kCheckWarnings, 0, "key-missing"},
        TrapCase{"MissingApplication",
                 "[Install]\r\nCaption=Quillor Setup\r\n" + kAfterInstall, kCheckUnusable, 0,
                 "key-missing"},
        TrapCase{"EmptyApplication", "[Install]\r\nApplication=\r\nCaption=Q\r\n" + kAfterInstall,
                 kCheckUnusable, 0, "key-missing"},
        TrapCase{"LongSetting",
                 std::string(kInstall) + "Bitmap=" + std::string(130, 'B') + "\r\n" + kAfterInstall,
                 kCheckWarnings, 5, "value-cut"},
        TrapCase{"HeaderByPrefix",
                 std::string("[Installation]\r\n") + (kInstall + 11) + kAfterInstall,
                 kCheckWarnings, 1, "header-prefix"},
        TrapCase{"HeaderInOtherCase", std::string(kInstall) + "[files]\r\nX=x\r\n" + kAfterInstall,
                 kCheckWarnings, 5, "header-case"},
        TrapCase{"BlankBeforeHeader", std::string(kInstall) + " [Files]\r\n" + kAfterInstall,
                 kCheckWarnings, 5, "header-blank"},
        TrapCase{"SecondSection", CleanScript() + "[Files]\r\nExtra=EXTRA.TXT\r\n",
                 kCheckWarnings, 14, "section-repeated"},
        TrapCase{"ByteOrderMark", "\xEF\xBB\xBF" + CleanScript(), kCheckUnusable, 1, "bom"},
        TrapCase{"CarriageReturnsOnly",
                 "[Install]\rApplication=Q\r[Files]\rProgram=Quillor.exe\r", kCheckUnusable, 1,
                 "cr-break"},
        TrapCase{"ZeroByte", CleanScript() + std::string(1, '\0') + "[Other]\r\n",
                 kCheckWarnings, 14, "zero-byte"},
        TrapCase{"LineBeforeAnySection", "Application=Quillor\r\n" + CleanScript(),
                 kCheckWarnings, 1, "outside-section"},
        TrapCase{"FileWithoutSource", std::string(kInstall) + "[Files]\r\nNotes=README.TXT;\r\n" +
                                          kGroup + kRegistration,
                 kCheckWarnings, 6, "source-empty"},
        TrapCase{"FileOfBlanks", std::string(kInstall) + "[Files]\r\nProgram=Quillor.exe\r\n   \r\n" +
                                     kGroup + kRegistration,
                 kCheckWarnings, 7, "source-empty"},
        TrapCase{"SameFileTwice",
                 std::string(kInstall) + "[Files]\r\nProgram=Quillor.exe\r\n"
                 "Again=QUILLOR.EXE;NEW.EXE\r\n" + kGroup + kRegistration,
                 kCheckWarnings, 7, "dest-duplicate"},
        TrapCase{"SameShortcutTwice",
                 std::string(kInstall) + kFiles + kGroup +
                     "quillor.LNK=README.TXT,Notes,,0\r\n" + kRegistration,
                 kCheckWarnings, 12, "dest-duplicate"},
        TrapCase{"PercentInTarget",
                 WithShortcut("Q.lnk=%Quillor.exe,Q,%Quillor.exe,0"),
                 kCheckWarnings, 11, "group-percent"},
        TrapCase{"ShortcutWithoutExtension",
                 WithShortcut("Quillor=Quillor.exe,Q,,0"),
                 kCheckWarnings, 11, "lnk-extension"},
        TrapCase{"ShortcutToAFileNotCopied",
                 WithShortcut("Q.lnk=Quill.exe,Q,,0"),
                 kCheckWarnings, 11, "target-not-installed"},
        TrapCase{"EmptyLineEndsGroup",
                 std::string(kInstall) + kFiles + kGroup + "\r\nNotes.lnk=README.TXT,N,,0\r\n" +
                     kRegistration,
                 kCheckWarnings, 12, "group-ended"},
        TrapCase{"CommentEndsGroup",
                 std::string(kInstall) + kFiles + "[Group]\r\n;first\r\nQ.lnk=Quillor.exe,Q,,0\r\n" +
                     kRegistration,
                 kCheckWarnings, 11, "group-ended"},
        TrapCase{"SuffixWithDot", std::string(kInstall) + kFiles + kGroup +
                                      "[Registration]\r\nSuffixes=txt .ini\r\n",
                 kCheckWarnings, 13, "suffix-dot"},
        TrapCase{"SuffixesByComma", std::string(kInstall) + kFiles + kGroup +
                                        "[Registration]\r\nSuffixes=txt,ini\r\n",
                 kCheckWarnings, 13, "suffix-separator"},
        TrapCase{"MisspeltFilesHeader", std::string(kInstall) + "[File]\r\nProgram=Quillor.exe\r\n" +
                                            kGroup + kRegistration,
                 kCheckUnusable, 5, "header-misspelt"},
        TrapCase{"MisspeltRegistrationHeader", std::string(kInstall) + kFiles + kGroup +
                                                   "[Registartion]\r\nSuffixes=txt\r\n",
                 kCheckWarnings, 12, "header-misspelt"},
        TrapCase{"IconIndexNotANumber",
                 WithShortcut("Q.lnk=Quillor.exe,Q,%Quillor.exe,first"),
                 kCheckWarnings, 11, "group-icon-index"},
        TrapCase{"IconFileAndIndexSwapped",
                 WithShortcut("Q.lnk=Quillor.exe,Q,0,%Quillor.exe"),
                 kCheckWarnings, 11, "group-icon-swapped"},
        TrapCase{"CommaInDescription",
                 WithShortcut("Q.lnk=Quillor.exe,Quillor, the editor,%Quillor.exe,0"),
                 kCheckWarnings, 11, "group-comma"},
        TrapCase{"NoEditorInstalled",
                 std::string(kInstall) + "[Files]\r\nNotes=README.TXT\r\nUninstall=%Purgax.exe\r\n" +
                     "[Group]\r\nNotes.lnk=README.TXT,Notes,,0\r\n" + kRegistration,
                 kCheckWarnings, 0, "editor-missing"},
        TrapCase{"NoUninstallerInTheWindowsDirectory",
                 std::string(kInstall) + "[Files]\r\nProgram=Quillor.exe\r\nUninstall=Purgax.exe\r\n" +
                     kGroup + kRegistration,
                 kCheckWarnings, 0, "uninstaller-missing"},
        TrapCase{"NoCopyOfTheScriptInTheTarget",
                 std::string(kInstall) + "[Files]\r\nProgram=Quillor.exe\r\nUninstall=%Purgax.exe\r\n" +
                     "Script=%SETUP.INF\r\n" + kGroup + kRegistration,
                 kCheckWarnings, 0, "script-copy-missing"},
        TrapCase{"LineEndsConvertedTwice", ConvertedTwice(CleanScript()), kCheckWarnings, 1,
                 "cr-doubled"},
        TrapCase{"SuffixesInOtherCase", std::string(kInstall) + kFiles + kGroup +
                                            "[Registration]\r\nsuffixes=txt\r\n",
                 kCheckWarnings, 13, "key-case"}),
    [](const testing::TestParamInfo<TrapCase>& info) { return std::string(info.param.name); });

TEST(Infcheck, MissingInstallOrFilesMakesTheScriptUnusable)
{
    Report noInstall = Check(kAfterInstall);
    EXPECT_EQ(kCheckUnusable, noInstall.status);
    EXPECT_NE("", LineStartingWith(noInstall.output, "SETUP.INF: error: no section [Install]"));

    Report noFiles = Check(std::string(kInstall) + kGroup + kRegistration);
    EXPECT_EQ(kCheckUnusable, noFiles.status);
    EXPECT_NE("", LineStartingWith(noFiles.output, "SETUP.INF: error: no section [Files]"));
}

TEST(Infcheck, MissingDirectoryIsOnlyANote)
{
    // The proposal comes from the program files folder; Directory only stands in without one.
    Report report = Check("[Install]\r\nApplication=Quillor\r\nCaption=Quillor Setup\r\n" +
                          kAfterInstall);
    EXPECT_EQ(kCheckClean, report.status) << report.output;
    EXPECT_NE("", LineStartingWith(report.output, "SETUP.INF: note: no Directory"));
}

TEST(Infcheck, PublisherAndVersionAreSettings)
{
    Report report = Check(std::string(kInstall) + "Publisher=Q Makers\r\nVersion=1.0\r\n" +
                          kAfterInstall);
    EXPECT_EQ(kCheckClean, report.status) << report.output;
    EXPECT_EQ("SETUP.INF:5: Publisher = 'Q Makers'", LineStartingWith(report.output, "SETUP.INF:5:"));
    EXPECT_EQ("SETUP.INF:6: Version = '1.0'", LineStartingWith(report.output, "SETUP.INF:6:"));
}

TEST(Infcheck, PrefixKeyIsTakenAndNamesItsLine)
{
    Report report = Check(std::string(kInstall) + "BitmapFile=SETUP.BMP\r\n" + kAfterInstall);
    EXPECT_EQ("SETUP.INF:5: Bitmap = 'SETUP.BMP' (from the line 'BitmapFile=SETUP.BMP')",
              LineStartingWith(report.output, "SETUP.INF:5: Bitmap"));
}

TEST(Infcheck, KeyInOtherCaseOrAfterABlankSetsNothing)
{
    Report report = Check(std::string(kInstall) + "bitmap=A.BMP\r\n Bitmap=B.BMP\r\n" + kAfterInstall);
    EXPECT_EQ("", LineStartingWith(report.output, "SETUP.INF:5: Bitmap ="));
    EXPECT_EQ("", LineStartingWith(report.output, "SETUP.INF:6: Bitmap ="));
    EXPECT_TRUE(HasWarning(report.output, 6, "key-blank")) << report.output;
}

TEST(Infcheck, LongFilesValueLosesItsSourceName)
{
    std::string destination = "HELP\\" + std::string(118, 'D') + ".HLP";
    Report report = Check(std::string(kInstall) + "[Files]\r\nHelp=" + destination +
                          ";HELP.HL_\r\n" + kGroup + kRegistration);
    std::string line = LineStartingWith(report.output, "SETUP.INF:6: warning:");
    EXPECT_NE(std::string::npos, line.find("the value is 136 characters")) << line;
    EXPECT_NE(std::string::npos, line.find("so the source becomes '" + destination.substr(0, 127) +
                                           "' instead of 'HELP.HL_'"))
        << line;
}

TEST(Infcheck, FilesValueFormsGiveSourceAndDestination)
{
    Report report = Check(std::string(kInstall) +
                          "[Files]\r\nHelp=HELP\\EDIT.HLP;EDIT.HL_\r\nLib=%EDLIB.DLL;DISK2\\EDLIB.DL_\r\n"
                          "Odd=X;Y;Z\r\n" + kGroup + kRegistration);
    EXPECT_EQ("SETUP.INF:6: file 'Help': 'EDIT.HL_' -> <target>\\HELP\\EDIT.HLP",
              LineStartingWith(report.output, "SETUP.INF:6:"));
    EXPECT_EQ("SETUP.INF:7: file 'Lib': 'DISK2\\EDLIB.DL_' -> <windows>\\EDLIB.DLL",
              LineStartingWith(report.output, "SETUP.INF:7:"));
    // An installation for the current user puts it into the program folder instead.
    EXPECT_NE(std::string::npos,
              report.output.find("<windows>\\EDLIB.DLL\n    for the current user: "
                                 "<target>\\EDLIB.DLL (a user cannot write the Windows directory)\n"))
        << report.output;
    EXPECT_EQ("SETUP.INF:8: file 'Odd': 'Z' -> <target>\\X;Y",
              LineStartingWith(report.output, "SETUP.INF:8:"));
}

TEST(Infcheck, EmptyLineInGroupDropsTheShortcutsAfterIt)
{
    Report report = Check(std::string(kInstall) + kFiles + kGroup +
                          "\r\nNotes.lnk=README.TXT,N,,0\r\nMore.lnk=README.TXT,M,,0\r\n" +
                          kRegistration);
    EXPECT_EQ("", LineStartingWith(report.output, "SETUP.INF:13: shortcut"));
    std::string warning = LineStartingWith(report.output, "SETUP.INF:12: warning:");
    EXPECT_NE(std::string::npos, warning.find("an empty line ends the [Group] list: the shortcuts "
                                              "on lines 13, 14 are never made"))
        << warning;
}

TEST(Infcheck, PercentInTargetIsKeptAndPercentInIconIsTheTarget)
{
    Report report = Check(WithShortcut("Q.lnk=%Quillor.exe,Q,%bin\\Q.ico,2"));
    EXPECT_EQ("    target <target>\\%Quillor.exe", LineStartingWith(report.output, "    target"));
    EXPECT_EQ("    icon <target>\\bin\\Q.ico, index 2", LineStartingWith(report.output, "    icon"));
}

TEST(Infcheck, CarriageReturnsOnlyMakeOneLine)
{
    Report report = Check("[Install]\rApplication=Q\r[Files]\rProgram=Quillor.exe\r");
    EXPECT_EQ("SETUP.INF:1: [Install]", LineStartingWith(report.output, "SETUP.INF:1: [Install]"));
    EXPECT_EQ("", LineStartingWith(report.output, "SETUP.INF:1: Application"));
    EXPECT_NE("", LineStartingWith(report.output, "SETUP.INF: error: no section [Files]"));
}

TEST(Infcheck, LinesConvertedTwiceGiveOneWarningAndNoRawCarriageReturn)
{
    Report report = Check(ConvertedTwice(CleanScript()));
    EXPECT_EQ(1, CountWarnings(report.output)) << report.output;
    EXPECT_NE("", LineStartingWith(report.output, "SETUP.INF:1: warning: 13 lines end in CR CR LF"))
        << report.output;
    EXPECT_EQ("SETUP.INF:2: Application = 'Quillor\\r'",
              LineStartingWith(report.output, "SETUP.INF:2:"));
    EXPECT_EQ(std::string::npos, report.output.find('\r'));
}

TEST(Infcheck, MisspeltHeaderSaysWhatTheInstallerDoesWithoutTheSection)
{
    Report report = Check(std::string(kInstall) + kFiles + "[Grup]\r\n" + (kGroup + 9) +
                          kRegistration);
    EXPECT_EQ("SETUP.INF:10: warning: header '[Grup]' does not open section [Group] (is the name "
              "misspelt?); without a [Group] SETUP.EXE silently makes no group folder and no "
              "shortcuts [header-misspelt]",
              LineStartingWith(report.output, "SETUP.INF:10:"));
}

TEST(Infcheck, CutGroupValueNamesTheFieldsItLoses)
{
    std::string value = "Quillor.exe," + std::string(110, 'D') + ",%Quillor.exe,2";
    Report report = Check(WithShortcut(("Q.lnk=" + value).c_str()));
    std::string line = LineStartingWith(report.output, "SETUP.INF:11: warning: the value is 137");
    EXPECT_NE(std::string::npos,
              line.find("so the shortcut gets the icon file '<target>\\Qui' instead of "
                        "'<target>\\Quillor.exe' and the icon index 0 instead of 2 [value-cut]"))
        << report.output;
}

TEST(Infcheck, SummaryCountsInTheSingular)
{
    Report report = Check("[Install]\r\nApplication=Quillor\r\nCaption=Q\r\n"
                          "[Files]\r\nProgram=Quillor.exe\r\n" + std::string(kGroup) +
                          "[Registration]\r\nSuffixes=txt\r\n");
    EXPECT_EQ("SETUP.INF: 3 settings, 1 file, 1 shortcut, 1 suffix; 2 warnings, 0 errors",
              LineStartingWith(report.output, "SETUP.INF: 3 settings"))
        << report.output;
    Report oneWarning = Check(CleanScript() + "[Files]\r\nExtra=EXTRA.TXT\r\n");
    EXPECT_NE(std::string::npos, oneWarning.output.find("; 1 warning, 0 errors\n"))
        << oneWarning.output;
}

TEST(Infcheck, ByteOrderMarkHidesTheFirstHeader)
{
    Report report = Check("\xEF\xBB\xBF" + CleanScript());
    EXPECT_NE("", LineStartingWith(report.output, "SETUP.INF: error: no section [Install]"));
    EXPECT_NE(std::string::npos,
              LineStartingWith(report.output, "SETUP.INF:1: warning:").find("'[Install]'"));
}

TEST(Infcheck, OnlyTheFirstOfTwoSectionsIsRead)
{
    Report report = Check(CleanScript() + "[Files]\r\nExtra=EXTRA.TXT\r\n");
    EXPECT_EQ("", LineStartingWith(report.output, "SETUP.INF:15:"));
}

class MediumFolder : public testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() /
                 ("infcheck-test-" + std::to_string(getpid()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder / "Help");
        std::ofstream(folder / "Quillor.exe") << std::string(1000, 'q');
        std::ofstream(folder / "Purgax.exe") << std::string(10, 'p');
        std::ofstream(folder / "SETUP.INF") << std::string(6, 's');
        std::ofstream(folder / "Help" / "Quillor.hlp") << std::string(24, 'h');
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::filesystem::path folder;
};

TEST_F(MediumFolder, SourcesAreFoundIgnoringCaseAndSized)
{
    Report report = Check(std::string(kInstall) + "[Files]\r\nProgram=QUILLOR.EXE\r\n"
                          "Help=help\\quillor.HLP\r\nUninstall=%purgax.EXE\r\nScript=setup.inf\r\n" +
                          kGroup +
                          kRegistration,
                          folder.string().c_str());
    EXPECT_EQ(kCheckClean, report.status) << report.output;
    EXPECT_EQ("SETUP.INF:6: file 'Program': 'QUILLOR.EXE' -> <target>\\QUILLOR.EXE (1000 bytes)",
              LineStartingWith(report.output, "SETUP.INF:6:"));
    EXPECT_EQ("SETUP.INF:7: file 'Help': 'help\\quillor.HLP' -> <target>\\help\\quillor.HLP (24 bytes)",
              LineStartingWith(report.output, "SETUP.INF:7:"));
    EXPECT_FALSE(HasWarning(report.output, 6, "source-missing")) << report.output;
    EXPECT_NE(std::string::npos, report.output.find("(1040 bytes found)"));
}

TEST_F(MediumFolder, MissingSourceAndBitmapAreWarned)
{
    Report report = Check(std::string(kInstall) + "Bitmap=SETUP.BMP\r\n" + kFiles + kGroup +
                          kRegistration, folder.string().c_str());
    EXPECT_EQ(kCheckWarnings, report.status);
    EXPECT_TRUE(HasWarning(report.output, 5, "source-missing")) << report.output;
    EXPECT_FALSE(HasWarning(report.output, 7, "source-missing")) << report.output;
    EXPECT_TRUE(HasWarning(report.output, 8, "source-missing")) << report.output;
}

TEST_F(MediumFolder, FindMediumFileRefusesFolders)
{
    long long size = -1;
    EXPECT_EQ(-1, FindMediumFile(folder.string().c_str(), "Help", &size));
    EXPECT_EQ(-1, FindMediumFile(folder.string().c_str(), "", &size));
    EXPECT_EQ(0, FindMediumFile(folder.string().c_str(), "HELP\\QUILLOR.HLP", &size));
    EXPECT_EQ(24, size);
}

}  // namespace
