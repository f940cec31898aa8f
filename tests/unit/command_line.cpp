// Tests of the setup program's switches as read from its command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/capacities.h"
#include "base/scope_choice.h"
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
        // /D= unquoted takes the rest of the line, blanks included, without the final blanks.
        {"SETUP /S /D=C:\\Program Files\\Q /LOG=x  ",
         {kSwitchVerySilent, kSwitchDirectory},
         {"", "C:\\Program Files\\Q /LOG=x"}},
        {"SETUP /REGISTER /REGISTER=\"txt log\"", {kSwitchRegister, kSwitchRegister},
         {"", "txt log"}},
        {"SETUP /AllUsers -currentuser /ALLUSERS=1", {kSwitchAllUsers, kSwitchCurrentUser,
                                                       kSwitchUnknown},
         {"", "", "/ALLUSERS=1"}},
        // Whole switches quoted, as argument lists quote words with blanks.
        {"SETUP \"/DIR=C:\\Program Files\\Q\" \"/S\" \"-log=a b\"",
         {kSwitchDirectory, kSwitchVerySilent, kSwitchLog},
         {"C:\\Program Files\\Q", "", "a b"}},
        {"SETUP \"/D=C:\\a b \"/S\"x \"/DIR\"",
         {kSwitchUnknown, kSwitchUnknown, kSwitchUnknown, kSwitchUnknown},
         {"\"/D=C:\\a", "b", "\"/S\"x", "\"/DIR\""}},
        // Unknown words, missing or unwanted values, unclosed or glued quotes.
        {"SETUP plain /X /SILENTLY /DIR /LOG= /S=1 /LOG=\"a b /D=\"C:\\x\"y",
         {kSwitchUnknown, kSwitchUnknown, kSwitchUnknown, kSwitchUnknown, kSwitchUnknown,
          kSwitchUnknown, kSwitchUnknown, kSwitchUnknown, kSwitchUnknown},
         {"plain", "/X", "/SILENTLY", "/DIR", "/LOG=", "/S=1", "/LOG=\"a", "b",
          "/D=\"C:\\x\"y"}},
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

// The scope of a run: what the command line asks, with whether the token is elevated.
TEST(ChooseScope, Table)
{
    struct Row {
        ScopeAsked asked;
        int elevated;
        InstallScope scope;
        ScopeReason reason;
    };
    const Row rows[] = {
        {kScopeByRights, 1, kScopeAllUsers, kReasonElevated},
        {kScopeByRights, 0, kScopeCurrentUser, kReasonNotElevated},
        {kScopeAllUsersAsked, 1, kScopeAllUsers, kReasonSwitch},
        {kScopeAllUsersAsked, 0, kScopeAllUsers, kReasonRefused},
        {kScopeCurrentUserAsked, 1, kScopeCurrentUser, kReasonSwitch},
        {kScopeCurrentUserAsked, 0, kScopeCurrentUser, kReasonSwitch},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.asked << " elevated " << row.elevated);
        ScopeChoice choice = ChooseScope(row.asked, row.elevated);
        EXPECT_EQ(row.scope, choice.scope);
        EXPECT_EQ(row.reason, choice.reason);
    }
}
