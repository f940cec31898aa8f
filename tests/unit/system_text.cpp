// Tests of the pure routines of the system integration: a group entry's fields, the suffix list, the command lines and the version order.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "system/command_line.h"
#include "system/group_fields.h"
#include "system/suffix_walk.h"
#include "system/version_order.h"

struct GroupValueRow {
    const char* value;
    const char* targetPath;
    const char* description;
    const char* iconFile;
    int iconIndex;
};

TEST(SplitGroupValue, Table)
{
    const char* targetDir = "C:\\Program Files\\Quillor";
    const GroupValueRow rows[] = {
        {"Quillor.exe,Quillor text editor,%Quillor.exe,0", "C:\\Program Files\\Quillor\\Quillor.exe",
         "Quillor text editor", "C:\\Program Files\\Quillor\\Quillor.exe", 0},
        {"README.TXT,Notes on this version,C:\\WINDOWS\\NOTEPAD.EXE,0",
         "C:\\Program Files\\Quillor\\README.TXT", "Notes on this version",
         "C:\\WINDOWS\\NOTEPAD.EXE", 0},
        // An entry without "=" has an empty value.
        {"", "C:\\Program Files\\Quillor\\", "", "", 0},
        {"bin\\a.exe,Text,%bin\\a.exe,2", "C:\\Program Files\\Quillor\\bin\\a.exe", "Text",
         "C:\\Program Files\\Quillor\\bin\\a.exe", 2},
        {"a.exe,Text,,", "C:\\Program Files\\Quillor\\a.exe", "Text", "", 0},
        {"a.exe, Text,%a.exe,1", "C:\\Program Files\\Quillor\\a.exe", " Text",
         "C:\\Program Files\\Quillor\\a.exe", 1},
        // The target is always below targetDir and its '%' is an ordinary character, as is a
        // '%' in the description.
        {"C:\\abs.exe,Text%,x.ico", "C:\\Program Files\\Quillor\\C:\\abs.exe", "Text%", "x.ico", 0},
        {"%a.exe,d,i.ico,5", "C:\\Program Files\\Quillor\\%a.exe", "d", "i.ico", 5},
        {"a.exe,d,i.ico,  -7z", "C:\\Program Files\\Quillor\\a.exe", "d", "i.ico", -7},
        {"a.exe,d,i.ico,3,extra", "C:\\Program Files\\Quillor\\a.exe", "d", "i.ico", 3},
        {"a.exe,d,i.ico, x", "C:\\Program Files\\Quillor\\a.exe", "d", "i.ico", 0},
        {"a.exe,d,% i.ico ,1", "C:\\Program Files\\Quillor\\a.exe", "d",
         "C:\\Program Files\\Quillor\\ i.ico ", 1},
        {"a.exe", "C:\\Program Files\\Quillor\\a.exe", "", "", 0},
        {",,%", "C:\\Program Files\\Quillor\\", "", "C:\\Program Files\\Quillor\\", 0},
    };
    for (const GroupValueRow& row : rows) {
        ShortcutFields fields;
        memset(&fields, 'x', sizeof fields);
        SplitGroupValue(row.value, targetDir, &fields);
        EXPECT_STREQ(row.targetPath, fields.targetPath) << row.value;
        EXPECT_STREQ(row.description, fields.description) << row.value;
        EXPECT_STREQ(row.iconFile, fields.iconFile) << row.value;
        EXPECT_EQ(row.iconIndex, fields.iconIndex) << row.value;
    }
}

TEST(SplitGroupValue, LongFieldsAreCutTo259Characters)
{
    std::string targetDir(127, 'd');
    std::string field(300, 'f');
    std::string value = field + "," + field + ",%" + field + ",4";
    ShortcutFields fields;
    SplitGroupValue(value.c_str(), targetDir.c_str(), &fields);
    std::string under = targetDir + "\\" + std::string(259 - 128, 'f');
    EXPECT_EQ(under, fields.targetPath);
    EXPECT_EQ(std::string(259, 'f'), fields.description);
    EXPECT_EQ(under, fields.iconFile);
    EXPECT_EQ(4, fields.iconIndex);
}

static std::vector<std::string> SuffixKeys(const char* list, int capacity)
{
    std::vector<std::string> keys;
    const char* cursor = list;
    char key[300];
    for (int guard = 0; guard < 100; guard++) {
        memset(key, 'x', sizeof key);
        int length = NextSuffixKey(&cursor, key, capacity);
        if (length == 0)
            break;
        EXPECT_EQ(static_cast<size_t>(length) + 1, strlen(key)) << list;
        keys.push_back(key);
    }
    return keys;
}

struct SuffixRow {
    const char* list;
    std::vector<std::string> keys;
};

TEST(NextSuffixKey, Table)
{
    const SuffixRow rows[] = {
        {"txt  log\tini", {".txt", ".log", ".ini"}},
        {"   \t  ", {}},
        {"", {}},
        {"\t txt \t", {".txt"}},
        {".txt", {"..txt"}},
        {"a", {".a"}},
        {"txt,log ini", {".txt,log", ".ini"}},
    };
    for (const SuffixRow& row : rows)
        EXPECT_EQ(row.keys, SuffixKeys(row.list, 300)) << '"' << row.list << '"';
}

TEST(NextSuffixKey, LongRunIsCutAndSkippedWhole)
{
    std::vector<std::string> expected = {".ab", ".x"};
    EXPECT_EQ(expected, SuffixKeys("abcdef x", 4));

    const char* cursor = "txt";
    char key[1] = {'x'};
    EXPECT_EQ(0, NextSuffixKey(&cursor, key, 1));
    EXPECT_EQ('\0', key[0]);
}

struct QuoteRow {
    const char* command;
    int capacity;
    int quoted;
    const char* expected;
};

TEST(QuoteFinalArgument, Table)
{
    const QuoteRow rows[] = {
        {"C:\\WINDOWS\\NOTEPAD.EXE %1", 262, 1, "C:\\WINDOWS\\NOTEPAD.EXE \"%1\""},
        {"%1", 262, 1, "\"%1\""},
        {"x \"%1\"", 262, 0, "x \"%1\""},
        {"x %1 ", 262, 0, "x %1 "},
        {"x %2", 262, 0, "x %2"},
        {"x %1%1", 262, 1, "x %1\"%1\""},
        {"1", 262, 0, "1"},
        {"", 262, 0, ""},
        {"ab%1", 6, 0, "ab%1"},   // no room for the two more characters and the terminator
        {"ab%1", 7, 1, "ab\"%1\""},
    };
    for (const QuoteRow& row : rows) {
        char command[300];
        memset(command, 'z', sizeof command);
        strcpy(command, row.command);
        EXPECT_EQ(row.quoted, QuoteFinalArgument(command, row.capacity)) << row.command;
        EXPECT_STREQ(row.expected, command) << row.command;
        EXPECT_EQ('z', command[row.capacity]) << row.command;
    }
}

TEST(QuoteFinalArgument, LongestReadCommandFitsTheCommandBuffer)
{
    char command[262];
    std::string text = std::string(257, 'c') + "%1";
    strcpy(command, text.c_str());
    EXPECT_EQ(1, QuoteFinalArgument(command, sizeof command));
    EXPECT_EQ(std::string(257, 'c') + "\"%1\"", command);
}

struct ProgramCommandRow {
    const char* folder;
    ProgramQuoting quoting;
    int capacity;
    const char* expected;   // nullptr: the command does not fit
};

TEST(BuildProgramCommand, Table)
{
    const ProgramCommandRow rows[] = {
        {"C:\\Program Files\\Q", kQuoteAlways, 262, "\"C:\\Program Files\\Q\\Q.exe\" /p"},
        {"C:\\Apps", kQuoteAlways, 262, "\"C:\\Apps\\Q.exe\" /p"},
        {"C:\\My Windows", kQuoteWhenBlank, 262, "\"C:\\My Windows\\Q.exe\" /p"},
        {"C:\\WINDOWS", kQuoteWhenBlank, 262, "C:\\WINDOWS\\Q.exe /p"},
        {"C:\\Program Files\\Q", kQuoteNever, 262, "C:\\Program Files\\Q\\Q.exe /p"},
        {"C:\\Apps", kQuoteAlways, 19, "\"C:\\Apps\\Q.exe\" /p"},
        {"C:\\Apps", kQuoteAlways, 18, nullptr},   // a cut command would name another program
        {"C:\\Apps\\", kQuoteAlways, 262, "\"C:\\Apps\\Q.exe\" /p"},   // one separator only
        {"C:\\", kQuoteNever, 262, "C:\\Q.exe /p"},
        {"C:\\", kQuoteAlways, 14, "\"C:\\Q.exe\" /p"},
        {"C:\\", kQuoteAlways, 13, nullptr},
    };
    for (const ProgramCommandRow& row : rows) {
        char command[300];
        int length = BuildProgramCommand(command, row.capacity, row.folder, "Q.exe", row.quoting,
                                         " /p");
        if (row.expected == nullptr) {
            EXPECT_EQ(-1, length) << row.folder;
            continue;
        }
        EXPECT_STREQ(row.expected, command) << row.folder;
        EXPECT_EQ(static_cast<int>(strlen(row.expected)), length) << row.folder;
    }
}

TEST(CompareVersions, Table)
{
    struct Row {
        const char* left;
        const char* right;
        int order;
    };
    const Row rows[] = {
        {"1.0", "1.0", 0},          {"1.0", "1", 0},           {"01.2", "1.02", 0},
        {"", "0.0", 0},             {"1.9", "1.10", -1},       {"2.0", "1.99.99", 1},
        {"1.2.3", "1.2", 1},        {"1.2", "1.2.0.1", -1},    {"1.2beta", "1.2", 0},
        {"3.x", "3.1", -1},         {"99999999999999999999", "99999999999999999998", 1},
        {"10", "9", 1},             {"1..2", "1.0.2", 0},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.order, CompareVersions(row.left, row.right)) << row.left << " " << row.right;
        EXPECT_EQ(-row.order, CompareVersions(row.right, row.left)) << row.right << " " << row.left;
    }
}
