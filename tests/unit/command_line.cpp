// Tests of the setup program's switches as read from its command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/capacities.h"
#include "setup/switch_parse.h"

struct SwitchRow {
    const char* commandLine;
    std::vector<SwitchKind> kinds;
    std::vector<std::string> values;
};

TEST(ReadSwitch, Table)
{
    const SwitchRow rows[] = {
        {"SETUP.EXE", {}, {}},
        {"\"C:\\a b\\SETUP.EXE\" /S", {kSwitchVerySilent}, {""}},
        {"SETUP /verysilent -Silent /PASSIVE /norestart /? -help",
         {kSwitchVerySilent, kSwitchPassive, kSwitchPassive, kSwitchNoRestart, kSwitchHelp,
          kSwitchHelp},
         {"", "", "", "", "", ""}},
        {"SETUP /DIR=\"C:\\Program Files\\Q\" /LOG=C:\\l.txt",
         {kSwitchDirectory, kSwitchLog},
         {"C:\\Program Files\\Q", "C:\\l.txt"}},
        // /D= unquoted takes blanks too, up to the blanks before a known switch or the end.
        {"SETUP /S /D=C:\\Program Files\\Q /LOG=x  ",
         {kSwitchVerySilent, kSwitchDirectory, kSwitchLog},
         {"", "C:\\Program Files\\Q", "x"}},
        {"SETUP /D=C:\\Q /S", {kSwitchDirectory, kSwitchVerySilent}, {"C:\\Q", ""}},
        {"SETUP /D=C:\\a /b -c \"/S\"", {kSwitchDirectory, kSwitchVerySilent},
         {"C:\\a /b -c", ""}},
        // Switches glued to one without a value are read one by one.
        {"SETUP /S/D=C:\\Q", {kSwitchVerySilent, kSwitchDirectory}, {"", "C:\\Q"}},
        {"SETUP /S/NORESTART/LOG=x", {kSwitchVerySilent, kSwitchNoRestart, kSwitchLog},
         {"", "", "x"}},
        {"SETUP /REGISTER /REGISTER=\"txt log\"", {kSwitchRegister, kSwitchRegister},
         {"", "txt log"}},
        // Whole switches quoted, as argument lists quote words with blanks.
        {"SETUP \"/DIR=C:\\Program Files\\Q\" \"/S\" \"-log=a b\"",
         {kSwitchDirectory, kSwitchVerySilent, kSwitchLog},
         {"C:\\Program Files\\Q", "", "a b"}},
        {"SETUP \"/D=C:\\a b \"/S\"x \"/DIR\"",
         {kSwitchUnknown, kSwitchWord, kSwitchUnknown, kSwitchUnknown},
         {"\"/D=C:\\a", "b", "\"/S\"x", "\"/DIR\""}},
        // Unknown words, missing or unwanted values, unclosed or glued quotes.
        {"SETUP plain /X /SILENTLY /DIR /LOG= /S=1 /LOG=\"a b /D=\"C:\\x\"y",
         {kSwitchWord, kSwitchUnknown, kSwitchUnknown, kSwitchUnknown, kSwitchUnknown,
          kSwitchUnknown, kSwitchUnknown, kSwitchWord, kSwitchUnknown},
         {"plain", "/X", "/SILENTLY", "/DIR", "/LOG=", "/S=1", "/LOG=\"a", "b",
          "/D=\"C:\\x\"y"}},
        // Words that are no switch (a dropped file, a launcher's argument) are words, quoted
        // parts and all.
        {"SETUP \"C:\\my notes\\a.txt\" /S from-launcher",
         {kSwitchWord, kSwitchVerySilent, kSwitchWord},
         {"\"C:\\my notes\\a.txt\"", "", "from-launcher"}},
        // Words after an unquoted value are its rest, cut at a blank: the switch is refused
        // with them, up to the next switch.
        {"SETUP /DIR=C:\\Program Files\\Q /S /REGISTER=txt log \"x y\" /LOG=a.log",
         {kSwitchUnknown, kSwitchVerySilent, kSwitchUnknown, kSwitchLog},
         {"/DIR=C:\\Program Files\\Q", "", "/REGISTER=txt log \"x y\"", "a.log"}},
    };
    for (const SwitchRow& row : rows) {
        SCOPED_TRACE(row.commandLine);
        const char* cursor = SkipProgramName(row.commandLine);
        char value[kPathCapacity];
        size_t count = 0;
        for (SwitchKind kind; (kind = ReadSwitch(&cursor, value, kPathCapacity)) != kSwitchEnd;
             count++) {
            ASSERT_LT(count, row.kinds.size());
            EXPECT_EQ(row.kinds[count], kind) << count;
            EXPECT_EQ(row.values[count], value) << count;
        }
        EXPECT_EQ(row.kinds.size(), count);
    }
}

TEST(ReadSwitch, ValueThatDoesNotFitIsRefused)
{
    std::string line = "SETUP /LOG=C:\\" + std::string(300, 'x');
    const char* cursor = SkipProgramName(line.c_str());
    char value[kPathCapacity];
    EXPECT_EQ(kSwitchUnknown, ReadSwitch(&cursor, value, kPathCapacity));
    EXPECT_EQ(kSwitchEnd, ReadSwitch(&cursor, value, kPathCapacity));
}

TEST(HoldsQuietSwitch, Table)
{
    const struct {
        const char* arguments;
        int quiet;
    } rows[] = {
        {"/S", 1},          {"\"/S\"", 1},     {"/x /verysilent", 1}, {"/X/S", 1},
        {"-s /D=C:\\Q", 1}, {"/Bogus/S", 1},   {"", 0},               {"/SILENT", 0},
        {"/Sx", 0},         {"/D=C:\\S", 0},   {"C:\\Q/S", 1},      {"/S=1", 1},       {"my-s", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments);
        EXPECT_EQ(row.quiet, HoldsQuietSwitch(row.arguments));
    }
}

TEST(CheckGivenTarget, Table)
{
    const struct {
        const char* path;
        const char* checked;   // nullptr: refused
    } rows[] = {
        {"C:\\Program Files\\Quillor", "C:\\Program Files\\Quillor"},
        {"d:\\q\\\\", "d:\\q"},
        {"\\\\server\\share\\q", "\\\\server\\share\\q"},
        {"C:\\", nullptr},
        {"C:", nullptr},
        {"C:q", nullptr},
        {"q\\r", nullptr},
        {"\\q", nullptr},
        {"C:\\q\\..\\Windows", nullptr},
        {"C:\\q\\.", nullptr},
        {"C:\\q\\a:b", nullptr},
        {"C:\\q*", nullptr},
        {"C:\\q\\..x", "C:\\q\\..x"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        char path[kPathCapacity];
        std::string(row.path).copy(path, kPathCapacity - 1);
        path[std::string(row.path).size()] = '\0';
        int length = CheckGivenTarget(path);
        if (row.checked == nullptr) {
            EXPECT_EQ(-1, length);
        } else {
            EXPECT_EQ(std::string(row.checked), path);
            EXPECT_EQ(static_cast<int>(std::string(row.checked).size()), length);
        }
    }
}
