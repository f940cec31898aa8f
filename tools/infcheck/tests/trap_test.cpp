// Tests of infcheck's traps: one script per trap, warned on its line.
#include "infcheck_fixture.h"

namespace {

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
        TrapCase{"SuffixOfPrograms", std::string(kInstall) + kFiles + kGroup +
                                         "[Registration]\r\nSuffixes=txt exe\r\n",
                 kCheckWarnings, 13, "suffix-program"},
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

}  // namespace
