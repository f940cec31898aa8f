// Tests of the registry key paths, the shortcuts and the application registration.
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

#ifdef _WIN32
#include <windows.h>
#include <shlobj.h>

#include "base/private_messages.h"
#include "base/setup_state.h"
#include "base/key_paths.h"
#include "resources/resource_ids.h"
#include "system/registration.h"
#include "unix_links.h"
#include "system/shortcuts.h"
#include "checks.h"
#include "files.h"
#include "links.h"
#include "registry.h"
#include "window_watch.h"

namespace {

std::string ScratchName()
{
    return "QuillorSetupTests-system-" + std::to_string(GetCurrentProcessId());
}

// The handle value that the next open gets: it grows when handles leak.
HKEY NextHandleValue()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return nullptr;
    RegCloseKey(key);
    return key;
}

class KeyPaths : public ::testing::Test {
protected:
    void SetUp() override
    {
        scratch = "Software\\" + ScratchName();
        RegDeleteTreeA(HKEY_CURRENT_USER, scratch.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, scratch.c_str());
    }
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, scratch.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, scratch.c_str());
        EXPECT_EQ(0, KeyChainLength());
    }
    LONG Write(const std::string& path, const char* name, const char* text)
    {
        return WriteKeyPathValue(HKEY_CURRENT_USER, path.c_str(), name, REG_SZ, text,
                                 static_cast<DWORD>(strlen(text)));
    }
    std::string scratch;
};

TEST_F(KeyPaths, WriteCreatesEveryMissingKeyAndReadsBack)
{
    std::string path = scratch + "\\one\\two\\three";
    ASSERT_EQ(0, Write(path, "Name", "hello"));
    EXPECT_EQ(0, KeyChainLength());
    EXPECT_EQ(1, SubkeyCount(HKEY_CURRENT_USER, scratch));
    EXPECT_EQ(1, SubkeyCount(HKEY_CURRENT_USER, scratch + "\\one"));
    EXPECT_EQ(1, SubkeyCount(HKEY_CURRENT_USER, scratch + "\\one\\two"));

    StoredValue raw = ReadStoredValue(HKEY_CURRENT_USER, path, "Name");
    ASSERT_TRUE(raw.valueExists);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), raw.type);
    EXPECT_EQ("hello", std::string(raw.data.c_str()));

    char buffer[128];
    memset(buffer, 'x', sizeof buffer);
    ASSERT_EQ(0, ReadKeyPathValue(HKEY_CURRENT_USER, path.c_str(), "Name", REG_SZ, buffer,
                                  sizeof buffer));
    EXPECT_STREQ("hello", buffer);
    EXPECT_EQ('x', buffer[sizeof buffer - 1]);   // only the data and its terminator are copied
}

TEST_F(KeyPaths, EmptyPathAddressesTheRootKey)
{
    std::string name = ScratchName();
    ASSERT_EQ(0, WriteKeyPathValue(HKEY_CURRENT_USER, "", name.c_str(), REG_SZ, "root", 4));
    StoredValue raw = ReadStoredValue(HKEY_CURRENT_USER, "", name.c_str());
    char buffer[16] = "";
    LONG nullPath = ReadKeyPathValue(HKEY_CURRENT_USER, nullptr, name.c_str(), REG_SZ, buffer,
                                     sizeof buffer);
    RegDeleteValueA(HKEY_CURRENT_USER, name.c_str());
    ASSERT_TRUE(raw.valueExists);
    EXPECT_EQ("root", std::string(raw.data.c_str()));
    EXPECT_EQ(0, nullPath);
    EXPECT_STREQ("root", buffer);
}

TEST_F(KeyPaths, EmptyAndNullNamesAddressTheDefaultValue)
{
    std::string path = scratch + "\\d";
    ASSERT_EQ(0, Write(path, "", "by empty"));
    char buffer[32] = "";
    ASSERT_EQ(0, ReadKeyPathValue(HKEY_CURRENT_USER, path.c_str(), nullptr, REG_SZ, buffer,
                                  sizeof buffer));
    EXPECT_STREQ("by empty", buffer);
    ASSERT_EQ(0, WriteKeyPathValue(HKEY_CURRENT_USER, path.c_str(), nullptr, REG_SZ, "by null", 7));
    ASSERT_EQ(0, ReadKeyPathValue(HKEY_CURRENT_USER, path.c_str(), "", REG_SZ, buffer,
                                  sizeof buffer));
    EXPECT_STREQ("by null", buffer);
}

TEST_F(KeyPaths, TrailingBackslashNamesTheSameKey)
{
    ASSERT_EQ(0, Write(scratch + "\\k\\", "V", "trailing"));
    EXPECT_EQ(0, SubkeyCount(HKEY_CURRENT_USER, scratch + "\\k"));
    char buffer[32] = "";
    ASSERT_EQ(0, ReadKeyPathValue(HKEY_CURRENT_USER, (scratch + "\\k").c_str(), "V", REG_SZ,
                                  buffer, sizeof buffer));
    EXPECT_STREQ("trailing", buffer);
}

TEST_F(KeyPaths, DoubledAndLeadingBackslashesReopenTheSameKey)
{
    ASSERT_EQ(0, Write(scratch + "\\\\k", "V", "doubled"));
    EXPECT_EQ(1, SubkeyCount(HKEY_CURRENT_USER, scratch));
    EXPECT_EQ(0, SubkeyCount(HKEY_CURRENT_USER, scratch + "\\k"));
    char buffer[32] = "";
    ASSERT_EQ(0, ReadKeyPathValue(HKEY_CURRENT_USER, ("\\" + scratch + "\\k").c_str(), "V",
                                  REG_SZ, buffer, sizeof buffer));
    EXPECT_STREQ("doubled", buffer);
}

TEST_F(KeyPaths, MissingValueOrKeyFailsAndLeavesTheBuffer)
{
    ASSERT_EQ(0, Write(scratch + "\\k", "V", "x"));
    const std::string paths[] = {scratch + "\\k", scratch + "\\missing\\deeper"};
    for (const std::string& path : paths) {
        char buffer[16];
        memset(buffer, 'u', sizeof buffer);
        EXPECT_NE(0, ReadKeyPathValue(HKEY_CURRENT_USER, path.c_str(), "Missing", REG_SZ, buffer,
                                      sizeof buffer))
            << path;
        EXPECT_EQ(std::string(16, 'u'), std::string(buffer, 16)) << path;
        EXPECT_EQ(0, KeyChainLength());
    }
    EXPECT_EQ(-1, SubkeyCount(HKEY_CURRENT_USER, scratch + "\\missing"));
}

TEST_F(KeyPaths, TooLargeValueFailsAndLeavesTheBuffer)
{
    std::string path = scratch + "\\k";
    ASSERT_EQ(0, Write(path, "V", "0123456789abcdefghij"));
    char buffer[10];
    memset(buffer, 'u', sizeof buffer);
    EXPECT_NE(0, ReadKeyPathValue(HKEY_CURRENT_USER, path.c_str(), "V", REG_SZ, buffer,
                                  sizeof buffer));
    EXPECT_EQ(std::string(10, 'u'), std::string(buffer, 10));
}

TEST_F(KeyPaths, ValueFillingTheCapacityWithoutTerminatorDoesNotFit)
{
    std::string path = scratch + "\\k";
    ASSERT_EQ(0, WriteKeyPathValue(HKEY_CURRENT_USER, path.c_str(), "Bare", REG_SZ, "abcdefgh", 8));
    ASSERT_EQ(0, WriteKeyPathValue(HKEY_CURRENT_USER, path.c_str(), "Ended", REG_SZ, "abcdefg", 8));

    char buffer[9];
    memset(buffer, 'u', sizeof buffer);
    EXPECT_NE(0, ReadKeyPathValue(HKEY_CURRENT_USER, path.c_str(), "Bare", REG_SZ, buffer, 8));
    EXPECT_EQ(std::string(9, 'u'), std::string(buffer, 9));

    ASSERT_EQ(0, ReadKeyPathValue(HKEY_CURRENT_USER, path.c_str(), "Bare", REG_SZ, buffer, 9));
    EXPECT_STREQ("abcdefgh", buffer);

    memset(buffer, 'u', sizeof buffer);
    ASSERT_EQ(0, ReadKeyPathValue(HKEY_CURRENT_USER, path.c_str(), "Ended", REG_SZ, buffer, 8));
    EXPECT_STREQ("abcdefg", buffer);
    EXPECT_EQ('u', buffer[8]);

    EXPECT_NE(0, ReadKeyPathValue(HKEY_CURRENT_USER, path.c_str(), "Ended", REG_SZ, buffer, 0));
}

TEST_F(KeyPaths, WholeFieldSizeIsStoredAsGiven)
{
    char name[128] = "Quillor";
    std::string path = scratch + "\\Uninstall\\Quillor";
    ASSERT_EQ(0, WriteKeyPathValue(HKEY_CURRENT_USER, path.c_str(), "DisplayName", REG_SZ, name,
                                   sizeof name));
    StoredValue raw = ReadStoredValue(HKEY_CURRENT_USER, path, "DisplayName");
    ASSERT_TRUE(raw.valueExists);
    EXPECT_EQ(std::string(name, sizeof name), raw.data);
}

TEST_F(KeyPaths, OverlongComponentFailsCleanly)
{
    // The registry takes names of at most 255 characters, so a component cut to its first
    // 260 characters still fails; the walk stops there and closes what it opened.
    std::string fits(255, 'k');
    ASSERT_EQ(0, Write(scratch + "\\" + fits, "V", "fits"));
    char buffer[16] = "";
    ASSERT_EQ(0, ReadKeyPathValue(HKEY_CURRENT_USER, (scratch + "\\" + fits).c_str(), "V",
                                  REG_SZ, buffer, sizeof buffer));
    EXPECT_STREQ("fits", buffer);

    EXPECT_NE(0, Write(scratch + "\\" + std::string(400, 'k') + "\\below", "V", "x"));
    EXPECT_EQ(0, KeyChainLength());
    EXPECT_EQ(1, SubkeyCount(HKEY_CURRENT_USER, scratch));
}

TEST_F(KeyPaths, NoHandleStaysOpenAfterManyOperations)
{
    std::string path = scratch + "\\a\\b\\c";
    ASSERT_EQ(0, Write(path, "V", "value"));
    HKEY before = NextHandleValue();
    char buffer[8];
    for (int i = 0; i < 200; i++) {
        EXPECT_EQ(0, Write(path, "V", "value"));
        EXPECT_EQ(0, ReadKeyPathValue(HKEY_CURRENT_USER, path.c_str(), "V", REG_SZ, buffer,
                                      sizeof buffer));
        EXPECT_NE(0, ReadKeyPathValue(HKEY_CURRENT_USER, path.c_str(), "None", REG_SZ, buffer,
                                      sizeof buffer));
        EXPECT_NE(0, ReadKeyPathValue(HKEY_CURRENT_USER, (path + "\\x\\y").c_str(), "V", REG_SZ,
                                      buffer, sizeof buffer));
        EXPECT_NE(0, ReadKeyPathValue(HKEY_CURRENT_USER, path.c_str(), "V", REG_SZ, buffer, 3));
        ASSERT_EQ(0, KeyChainLength());
    }
    EXPECT_EQ(before, NextHandleValue());
}

TEST(CreateShellShortcut, WritesALinkThatLoadsBack)
{
    TempFolder folder;
    std::string target = folder.path + "\\Quillor.exe";
    ASSERT_EQ(0, WriteFileBytes(target, ""));
    std::string icon = folder.path + "\\icons.dll";
    std::string link = folder.path + "\\Quillor.lnk";

    ASSERT_EQ(S_OK, CreateShellShortcut(target.c_str(), link.c_str(), "Quillor text editor",
                                        icon.c_str(), 3));
    ExpectLink(link, target, "Quillor text editor", icon, 3);
}

TEST(CreateShellShortcut, UsesTheNameExactlyAndAnEmptyIconFile)
{
    TempFolder folder;
    std::string target = folder.path + "\\README.TXT";
    std::string link = folder.path + "\\Read me";
    ASSERT_EQ(S_OK, CreateShellShortcut(target.c_str(), link.c_str(), "", "", 0));
    EXPECT_FALSE(PathExists(link + ".lnk"));
    ExpectLink(link, target, "", "", 0);
}

TEST(CreateShellShortcut, FailuresAreNegativeAndWriteNothing)
{
    TempFolder folder;
    std::string target = folder.path + "\\a.exe";
    std::string inMissingFolder = folder.path + "\\missing\\a.lnk";
    EXPECT_LT(CreateShellShortcut(target.c_str(), inMissingFolder.c_str(), "d", "", 0), 0);
    EXPECT_FALSE(PathExists(inMissingFolder));

    std::string tooLong = folder.path + "\\" + std::string(300, 'n') + ".lnk";
    EXPECT_LT(CreateShellShortcut(target.c_str(), tooLong.c_str(), "d", "", 0), 0);

    // COM stays usable afterwards: every failure path balanced its initialisation.
    std::string link = folder.path + "\\after.lnk";
    EXPECT_EQ(S_OK, CreateShellShortcut(target.c_str(), link.c_str(), "d", nullptr, 0));
    EXPECT_EQ(S_OK, LoadLink(link).status);
}

// Answers, from another thread, the windows that the code under test opens: first a message
// box (its text is kept), then optionally the file types dialog (its edit text is kept).
struct Answerer {
    std::string caption;
    int boxAnswer = IDYES;
    int expectDialog = 0;
    int dialogAnswer = IDYES;
    std::string dialogText;    // set into the edit field before answering, when not empty
    std::string followingCaption;   // when not empty: a second box follows the first, with OK
    std::string followingText;

    std::string boxText;
    std::string editText;
    int boxSeen = 0;
    int dialogSeen = 0;
    std::string failure;

    // Runs call on this thread while answering its windows.
    template <typename Call>
    void During(Call call)
    {
        WatchWhile([&](const DrivenProgram& tested) {
            Answer(tested);
            // After a failure, closes whatever stays open so that the test ends instead of hanging.
            if (!failure.empty())
                DismissDialogs(tested.onlyThread, *tested.stop);
        }, call);
    }
    void Answer(const DrivenProgram& tested)
    {
        Question box;
        if (AnswerMessageBox(tested, boxAnswer, &box, kWatchMs) != 0) {
            failure = "no message box; on screen:" + box.onScreen;
            return;
        }
        if (box.caption != caption) {
            failure = "a message box titled \"" + box.caption + "\"";
            return;
        }
        boxText = box.text;
        boxSeen = 1;
        if (!followingCaption.empty()) {
            Question next;
            if (AnswerMessageBox(tested, IDOK, &next, kWatchMs) != 0 ||
                next.caption != followingCaption) {
                failure = "no second message box; on screen:" + next.onScreen;
                return;
            }
            followingText = next.text;
        }
        if (!expectDialog)
            return;
        Question dialog;
        if (NextQuestion(tested, &dialog, kWatchMs, kFileTypesQuestion) != 0 ||
            dialog.caption != caption) {
            failure = "no file types dialog; on screen:" + dialog.onScreen;
            return;
        }
        editText = dialog.text;
        dialogSeen = 1;
        if (!dialogText.empty())
            SetControlText(dialog.window, IDC_REGISTRATION_EDIT, dialogText.c_str());
        PressButton(dialog.window, dialogAnswer);
    }
};

void SetText(char* field, int capacity, const std::string& text)
{
    lstrcpynA(field, text.c_str(), capacity);
}

// A fresh state with this program's instance, the class name, the target directory and a
// window of this thread standing in for the main window.
void ResetSetupState()
{
    setupState = SetupState();
    setupState.instance = GetModuleHandleA(nullptr);
    setupState.mainWindow = CreateWindowExA(0, "STATIC", "Install", WS_POPUP | WS_VISIBLE, 0, 0,
                                            200, 100, nullptr, nullptr, setupState.instance,
                                            nullptr);
    SetText(setupState.className, kNameCapacity, "Install");
    SetText(setupState.targetDir, kTextCapacity, "C:\\Program Files\\Quillor");
}

int TakePostedMessage(HWND window, UINT message)
{
    MSG posted;
    int count = 0;
    while (PeekMessageA(&posted, window, message, message, PM_REMOVE))
        count++;
    return count;
}

const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// Wine's shell rewrites the Shell Folders values from these when it first loads in a process.
const char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

class GroupShortcuts : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedPrograms = ReadStoredValue(HKEY_CURRENT_USER, kShellFolders, "Programs");
        savedDesktop = ReadStoredValue(HKEY_CURRENT_USER, kShellFolders, "Desktop");
        savedUserPrograms = ReadStoredValue(HKEY_CURRENT_USER, kUserShellFolders, "Programs");
        savedUserDesktop = ReadStoredValue(HKEY_CURRENT_USER, kUserShellFolders, "Desktop");
        programs = folder.path + "\\Programs";
        desktop = folder.path + "\\Desktop";
        CreateDirectoryA(programs.c_str(), nullptr);
        CreateDirectoryA(desktop.c_str(), nullptr);
        SetFolder("Programs", programs);
        SetFolder("Desktop", desktop);

        ResetSetupState();
        // The user's own Shell Folders: where an installation for the current user puts them.
        setupState.scope = kScopeCurrentUser;
        SetText(setupState.groupSection, kNameCapacity, "Group");
        SetText(setupState.applicationName, kTextCapacity, "Quillor");
    }
    void TearDown() override
    {
        RestoreStoredValue(HKEY_CURRENT_USER, kShellFolders, "Programs", savedPrograms);
        RestoreStoredValue(HKEY_CURRENT_USER, kShellFolders, "Desktop", savedDesktop);
        RestoreStoredValue(HKEY_CURRENT_USER, kUserShellFolders, "Programs", savedUserPrograms);
        RestoreStoredValue(HKEY_CURRENT_USER, kUserShellFolders, "Desktop", savedUserDesktop);
        DestroyWindow(setupState.mainWindow);
        setupState = SetupState();
    }
    void SetFolder(const char* name, const std::string& path)
    {
        const char* const keys[] = {kShellFolders, kUserShellFolders};
        for (const char* keyPath : keys) {
            DWORD type = keyPath == kShellFolders ? REG_SZ : REG_EXPAND_SZ;
            ASSERT_EQ(0, WriteRegistryValue(HKEY_CURRENT_USER, keyPath, name, type,
                                            std::string(path.c_str(), path.size() + 1)));
        }
    }
    void UseScript(const char* text)
    {
        script = text;
        setupState.scriptText = script.c_str();
    }
    TempFolder folder;
    std::string programs;
    std::string desktop;
    std::string script;
    StoredValue savedPrograms;
    StoredValue savedDesktop;
    StoredValue savedUserPrograms;
    StoredValue savedUserDesktop;
};

TEST_F(GroupShortcuts, MakesTheFolderAndTheLinksOfTheWorkedExample)
{
    UseScript("[Install]\r\nApplication=Quillor\r\n[Group]\r\n"
              "Quillor.lnk=Quillor.exe,Quillor text editor,%Quillor.exe,0\r\n"
              "Read me.lnk=README.TXT,Notes on this version,C:\\WINDOWS\\NOTEPAD.EXE,0\r\n"
              "[Registration]\r\nSuffixes=txt\r\n");
    EXPECT_EQ(0, CreateGroupShortcuts());
    EXPECT_EQ(0, TakePostedMessage(setupState.mainWindow, UM_REGISTER));  // the sequence posts it
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ(0, setupState.errorCount);

    std::string group = programs + "\\Quillor";
    EXPECT_EQ(group, setupState.groupFolder);
    EXPECT_EQ(desktop, setupState.desktopFolder);
    std::string editor = "C:\\Program Files\\Quillor\\Quillor.exe";
    const std::string editorLinks[] = {group + "\\Quillor.lnk", desktop + "\\Quillor.lnk"};
    for (const std::string& path : editorLinks)
        ExpectLink(path, editor, "Quillor text editor", editor, 0);
    ExpectLink(group + "\\Read me.lnk", "C:\\Program Files\\Quillor\\README.TXT",
               "Notes on this version", "C:\\WINDOWS\\NOTEPAD.EXE", 0);
    EXPECT_FALSE(PathExists(desktop + "\\Read me.lnk"));
}

TEST_F(GroupShortcuts, ExistingFolderIsUsedAndAnEmptyLineEndsTheList)
{
    CreateDirectoryA((programs + "\\Quillor").c_str(), nullptr);
    UseScript("[Group]\r\nfirst=a.exe,A,,1\r\n\r\nsecond=b.exe,B,,2\r\n");
    EXPECT_EQ(0, CreateGroupShortcuts());
    EXPECT_EQ(0, TakePostedMessage(setupState.mainWindow, UM_REGISTER));  // the sequence posts it
    EXPECT_TRUE(PathExists(programs + "\\Quillor\\first"));
    EXPECT_TRUE(PathExists(desktop + "\\first"));
    EXPECT_FALSE(PathExists(programs + "\\Quillor\\second"));
    EXPECT_EQ(0, setupState.errorCount);
}

TEST_F(GroupShortcuts, HeaderOnlyMakesTheFolderAndNoLink)
{
    UseScript("[Group]\r\n[Registration]\r\n");
    EXPECT_EQ(0, CreateGroupShortcuts());
    EXPECT_EQ(0, TakePostedMessage(setupState.mainWindow, UM_REGISTER));  // the sequence posts it
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY,
              GetFileAttributesA((programs + "\\Quillor").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(ListFolder(desktop).empty()) << "no link on the desktop";
}

TEST_F(GroupShortcuts, MissingGroupSectionOnlyPostsTheNextStep)
{
    UseScript("[Install]\r\nApplication=Quillor\r\n");
    EXPECT_EQ(0, CreateGroupShortcuts());
    EXPECT_EQ(0, TakePostedMessage(setupState.mainWindow, UM_REGISTER));  // the sequence posts it
    EXPECT_FALSE(PathExists(programs + "\\Quillor"));
    EXPECT_EQ(0, setupState.errorCount);
}

TEST_F(GroupShortcuts, UnreadableProgramsFolderContinuesAtOnce)
{
    DeleteRegistryValue(HKEY_CURRENT_USER, kShellFolders, "Programs");
    ASSERT_FALSE(ReadStoredValue(HKEY_CURRENT_USER, kShellFolders, "Programs").valueExists);
    UseScript("[Group]\r\nQuillor.lnk=Quillor.exe,Q,%Quillor.exe,0\r\n");
    EXPECT_EQ(-1, CreateGroupShortcuts());
    EXPECT_EQ(0, TakePostedMessage(setupState.mainWindow, UM_REGISTER));
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ(1, setupState.errorCount);  // no folder and no shortcut: not a clean end
    EXPECT_FALSE(PathExists(desktop + "\\Quillor.lnk"));
}

TEST_F(GroupShortcuts, EmptyProgramsOrDesktopValueCountsAsMissingNotAsTheCurrentFolder)
{
    TempFolder current;
    char saved[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryA(current.path.c_str()));
    UseScript("[Group]\r\nQuillor.lnk=Quillor.exe,Q,%Quillor.exe,0\r\n");

    SetFolder("Desktop", "");
    EXPECT_EQ(0, CreateGroupShortcuts());
    EXPECT_EQ(1, setupState.errorCount);
    EXPECT_TRUE(PathExists(programs + "\\Quillor\\Quillor.lnk"));

    SetFolder("Programs", "");
    setupState.errorCount = 0;
    EXPECT_EQ(-1, CreateGroupShortcuts());
    EXPECT_EQ(1, setupState.errorCount);
    SetCurrentDirectoryA(saved);
    EXPECT_TRUE(ListFolder(current.path).empty()) << "made beside the current directory";
}

TEST_F(GroupShortcuts, AGroupFolderOrALinkFileThatIsALinkIsNotWrittenThrough)
{
    TempFolder decoys;
    std::string decoy = decoys.path + "\\win.ini";
    ASSERT_EQ(0, WriteFileBytes(decoy, "[windows]"));
    UseScript("[Group]\r\nQuillor.lnk=Quillor.exe,Q,%Quillor.exe,0\r\n");

    // The group folder leads elsewhere: reported as not made, nothing written there.
    ASSERT_EQ(0, MakeUnixLink(programs + "\\Quillor", decoys.path));
    Answerer answerer;
    answerer.caption = "Quillor";
    answerer.boxAnswer = IDOK;
    answerer.During([] { CreateGroupShortcuts(); });
    ASSERT_EQ("", answerer.failure);
    EXPECT_EQ("Cannot create \"" + programs + "\\Quillor\" !", answerer.boxText);
    EXPECT_EQ(1, setupState.errorCount);
    EXPECT_EQ(1u, ListFolder(decoys.path).size());

    // A real folder, but the shortcut's name leads to a file elsewhere (on the desktop too).
    ASSERT_EQ(0, RemoveTree(programs + "\\Quillor"));
    ASSERT_TRUE(CreateDirectoryA((programs + "\\Quillor").c_str(), nullptr));
    ASSERT_EQ(0, MakeUnixLink(programs + "\\Quillor\\Quillor.lnk", decoy));
    ASSERT_EQ(0, MakeUnixLink(desktop + "\\Quillor.lnk", decoy));
    setupState.errorCount = 0;
    EXPECT_EQ(0, CreateGroupShortcuts());
    EXPECT_EQ(2, setupState.errorCount);
    EXPECT_EQ("[windows]", ReadWholeFile(decoy));
    RemoveTree(programs + "\\Quillor\\Quillor.lnk");
    RemoveTree(desktop + "\\Quillor.lnk");
}

TEST_F(GroupShortcuts, EachShortcutThatCannotBeMadeIsCountedWithoutAMessage)
{
    // The first link names a missing folder, in the group and on the desktop; the second works.
    UseScript("[Group]\r\nmissing\\first.lnk=a.exe,A,,0\r\nsecond.lnk=b.exe,B,,0\r\n");
    EXPECT_EQ(0, CreateGroupShortcuts());
    EXPECT_EQ(2, setupState.errorCount);
    EXPECT_TRUE(PathExists(programs + "\\Quillor\\second.lnk"));

    // A desktop folder that cannot be read leaves the first shortcut without its copy there.
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_SET_VALUE,
                                           &key));
    RegDeleteValueA(key, "Desktop");
    RegCloseKey(key);
    setupState.errorCount = 0;
    UseScript("[Group]\r\nthird.lnk=c.exe,C,,0\r\n");
    EXPECT_EQ(0, CreateGroupShortcuts());
    EXPECT_EQ(1, setupState.errorCount);
    EXPECT_TRUE(PathExists(programs + "\\Quillor\\third.lnk"));
    EXPECT_EQ(0, TakePostedMessage(setupState.mainWindow, UM_REGISTER));  // the sequence posts it
}

TEST_F(GroupShortcuts, FolderThatCannotBeMadeIsReportedAndCounted)
{
    SetFolder("Programs", folder.path + "\\missing\\Programs");
    UseScript("[Group]\r\nQuillor.lnk=Quillor.exe,Q,%Quillor.exe,0\r\n");
    Answerer answerer;
    answerer.caption = "Quillor";
    answerer.boxAnswer = IDOK;
    int result = 0;
    answerer.During([&] { result = CreateGroupShortcuts(); });
    EXPECT_EQ(0, result);
    ASSERT_EQ("", answerer.failure);
    std::string expected = "Cannot create \"" + folder.path + "\\missing\\Programs\\Quillor\" !";
    EXPECT_EQ(expected, answerer.boxText);
    EXPECT_EQ(1, setupState.errorCount);
    EXPECT_EQ(0, TakePostedMessage(setupState.mainWindow, UM_REGISTER));  // the sequence posts it
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_FALSE(PathExists(desktop + "\\Quillor.lnk"));
}

// The keys that RegisterApplication writes, saved before and restored after each test.
const char kAppPaths[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Quillor.exe";
const char kOpenCommand[] = "txtfile\\shell\\open\\command";
const char kPrintCommand[] = "txtfile\\shell\\print\\command";
const char* const kTestSuffixes[] = {".qxa", ".qxb", ".qxc", ".qxd"};

class Registration : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedAppPath = ReadStoredValue(HKEY_LOCAL_MACHINE, kAppPaths, "");
        appPathsExisted = SubkeyCount(HKEY_LOCAL_MACHINE, kAppPaths) >= 0;
        savedOpen = ReadStoredValue(HKEY_CLASSES_ROOT, kOpenCommand, "");
        savedPrint = ReadStoredValue(HKEY_CLASSES_ROOT, kPrintCommand, "");
        uninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + ScratchName();
        RemoveWrittenKeys();

        ResetSetupState();
        // The editor is in place, as the copy left it: the Yes branch needs it.
        SetText(setupState.targetDir, kTextCapacity, installed.path);
        editor = installed.path + "\\Quillor.exe";
        CloseHandle(CreateFileA(editor.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                nullptr));
        setupState.editorWritten = 1;
        SetText(setupState.registrationSection, kNameCapacity, "Registration");
        SetText(setupState.suffixesKey, kNameCapacity, "Suffixes");
        SetText(setupState.applicationName, kTextCapacity, ScratchName());
        SetText(setupState.caption, kTextCapacity, "Quillor Setup Test");
        answerer.caption = setupState.caption;
    }
    void TearDown() override
    {
        RemoveWrittenKeys();
        if (appPathsExisted)
            RestoreStoredValue(HKEY_LOCAL_MACHINE, kAppPaths, "", savedAppPath);
        RestoreStoredValue(HKEY_CLASSES_ROOT, kOpenCommand, "", savedOpen);
        RestoreStoredValue(HKEY_CLASSES_ROOT, kPrintCommand, "", savedPrint);
        DestroyWindow(setupState.mainWindow);
        setupState = SetupState();
    }
    void RemoveWrittenKeys()
    {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, uninstallKey.c_str());
        if (!appPathsExisted)
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAppPaths);
        for (const char* suffix : kTestSuffixes)
            RegDeleteKeyA(HKEY_CLASSES_ROOT, suffix);
    }
    void Run(const char* script)
    {
        scriptText = script;
        setupState.scriptText = scriptText.c_str();
        answerer.During([] { RegisterApplication(); });
        EXPECT_EQ("", answerer.failure);
    }
    // Runs with Yes to the question, watching for a file types dialog that must not come.
    void RunWithoutDialog(const char* script)
    {
        answerer.expectDialog = 1;
        scriptText = script;
        setupState.scriptText = scriptText.c_str();
        answerer.During([] { RegisterApplication(); });
        EXPECT_EQ(1, answerer.boxSeen);
        EXPECT_EQ(0, answerer.dialogSeen);
    }
    void SetCommand(const char* path, const char* data, DWORD size)
    {
        ASSERT_EQ(0,
                  WriteRegistryValue(HKEY_CLASSES_ROOT, path, "", REG_SZ, std::string(data, size)));
    }
    std::string Text(HKEY root, const std::string& path, const char* name)
    {
        StoredValue raw = ReadStoredValue(root, path, name);
        if (!raw.valueExists)
            return "(missing)";
        return std::string(raw.data.c_str());
    }

    // The editor's quoted path followed by tail, as the txtfile commands hold it.
    std::string Command(const char* tail)
    {
        return "\"" + editor + "\"" + tail;
    }

    Answerer answerer;
    TempFolder installed;
    std::string editor;
    std::string scriptText;
    std::string uninstallKey;
    StoredValue savedAppPath;
    StoredValue savedOpen;
    StoredValue savedPrint;
    bool appPathsExisted = false;
};

TEST_F(Registration, YesWritesEveryEntryAndBindsTheListedSuffixes)
{
    answerer.expectDialog = 1;
    Run("[Install]\r\n[Registration]\r\nSuffixes=txt\r\n;Suffixes=no\r\n\r\n"
        "Suffixes=qxa  qxb\tqxc\r\n[Other]\r\nSuffixes=qxd\r\n");

    EXPECT_EQ("Would you like Quillor to be registered as your default text editor ?",
              answerer.boxText);
    EXPECT_EQ("qxa  qxb\tqxc", answerer.editText);
    EXPECT_EQ(editor, Text(HKEY_LOCAL_MACHINE, kAppPaths, ""));

    StoredValue displayName = ReadStoredValue(HKEY_LOCAL_MACHINE, uninstallKey, "DisplayName");
    ASSERT_TRUE(displayName.valueExists);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), displayName.type);
    std::string name = ScratchName();
    EXPECT_EQ(name + std::string(128 - name.size(), '\0'), displayName.data);

    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(std::string(windows) + "\\Purgax.exe /" + installed.path,
              Text(HKEY_LOCAL_MACHINE, uninstallKey, "UninstallString"));

    EXPECT_EQ(Command(" \"%1\""), Text(HKEY_CLASSES_ROOT, kOpenCommand, ""));
    EXPECT_EQ(Command(" /p \"%1\""), Text(HKEY_CLASSES_ROOT, kPrintCommand, ""));
    for (const char* suffix : {".qxa", ".qxb", ".qxc"}) {
        StoredValue bound = ReadStoredValue(HKEY_CLASSES_ROOT, suffix, "");
        ASSERT_TRUE(bound.valueExists) << suffix;
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), bound.type);
        EXPECT_EQ("txtfile", std::string(bound.data.c_str()));
    }
    EXPECT_EQ(-1, SubkeyCount(HKEY_CLASSES_ROOT, ".qxd"));
}

TEST_F(Registration, YesWithoutTheEditorWritesNoCommandNorSuffixAndCountsAnError)
{
    // The file lies there, but this run did not write it: it is not registered.
    setupState.editorWritten = 0;
    SetCommand(kOpenCommand, "C:\\WINDOWS\\NOTEPAD.EXE \"%1\"", 27);
    ASSERT_EQ(0, WriteRegistryValue(HKEY_LOCAL_MACHINE, kAppPaths, "", REG_SZ,
                                    std::string("C:\\Earlier\\Quillor.exe", 23)));
    answerer.followingCaption = "Install";
    RunWithoutDialog("[Registration]\r\nSuffixes=qxa\r\n");
    EXPECT_EQ("Cannot find \"" + editor + "\" !", answerer.followingText);
    EXPECT_EQ(1, setupState.errorCount);
    EXPECT_EQ("C:\\Earlier\\Quillor.exe", Text(HKEY_LOCAL_MACHINE, kAppPaths, ""));
    EXPECT_EQ("(missing)", Text(HKEY_LOCAL_MACHINE, uninstallKey, "DisplayIcon"));
    EXPECT_EQ("C:\\WINDOWS\\NOTEPAD.EXE \"%1\"", Text(HKEY_CLASSES_ROOT, kOpenCommand, ""));
    EXPECT_EQ(-1, SubkeyCount(HKEY_CLASSES_ROOT, ".qxa"));
}

TEST_F(Registration, TheDialogsEditedListIsBound)
{
    answerer.expectDialog = 1;
    answerer.dialogText = " qxd ";
    Run("[Registration]\r\nSuffixes=qxa\r\n");
    EXPECT_EQ("qxa", answerer.editText);
    EXPECT_STREQ(" qxd ", setupState.suffixList);
    EXPECT_EQ("txtfile", Text(HKEY_CLASSES_ROOT, ".qxd", ""));
    EXPECT_EQ(-1, SubkeyCount(HKEY_CLASSES_ROOT, ".qxa"));
}

TEST_F(Registration, NoInTheDialogBindsNothing)
{
    answerer.expectDialog = 1;
    answerer.dialogAnswer = IDNO;
    Run("[Registration]\r\nSuffixes=qxa qxb\r\n");
    EXPECT_EQ(1, answerer.dialogSeen);
    EXPECT_EQ(-1, SubkeyCount(HKEY_CLASSES_ROOT, ".qxa"));
    EXPECT_EQ(-1, SubkeyCount(HKEY_CLASSES_ROOT, ".qxb"));
    EXPECT_EQ(Command(" \"%1\""), Text(HKEY_CLASSES_ROOT, kOpenCommand, ""));
}

TEST_F(Registration, YesWithoutRegistrationSectionWritesTheCommandsWithoutDialog)
{
    RunWithoutDialog("[Install]\r\nSuffixes=qxa\r\n");
    EXPECT_EQ(Command(" \"%1\""), Text(HKEY_CLASSES_ROOT, kOpenCommand, ""));
    EXPECT_EQ(Command(" /p \"%1\""), Text(HKEY_CLASSES_ROOT, kPrintCommand, ""));
    EXPECT_EQ(-1, SubkeyCount(HKEY_CLASSES_ROOT, ".qxa"));
}

TEST_F(Registration, PrefixLineAndLineWithoutEqualsCountAsTheSuffixesLine)
{
    answerer.expectDialog = 1;
    Run("[Registration]\r\nSuffixesOld=qxa\r\n suffixes=qxb\r\n");
    EXPECT_EQ("qxa", answerer.editText);
    EXPECT_EQ("txtfile", Text(HKEY_CLASSES_ROOT, ".qxa", ""));

    answerer.editText = "(none)";
    Run("[Registration]\r\nSuffixes=qxb\r\nSuffixes\r\n");
    EXPECT_EQ("", answerer.editText);
    EXPECT_EQ(-1, SubkeyCount(HKEY_CLASSES_ROOT, ".qxb"));
}

TEST_F(Registration, NoQuotesABareFinalArgumentOnce)
{
    SetCommand(kOpenCommand, "C:\\WINDOWS\\NOTEPAD.EXE %1", 25);
    SetCommand(kPrintCommand, "C:\\WINDOWS\\NOTEPAD.EXE /p %1 ", 29);
    answerer.boxAnswer = IDNO;
    Run("[Registration]\r\nSuffixes=qxa\r\n");
    EXPECT_EQ("C:\\WINDOWS\\NOTEPAD.EXE \"%1\"", Text(HKEY_CLASSES_ROOT, kOpenCommand, ""));
    StoredValue open = ReadStoredValue(HKEY_CLASSES_ROOT, kOpenCommand, "");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), open.type);
    EXPECT_EQ("C:\\WINDOWS\\NOTEPAD.EXE /p %1 ", Text(HKEY_CLASSES_ROOT, kPrintCommand, ""));
    EXPECT_EQ(-1, SubkeyCount(HKEY_CLASSES_ROOT, ".qxa"));
    // The uninstall entry is written whatever the answer.
    EXPECT_EQ(ScratchName(), Text(HKEY_LOCAL_MACHINE, uninstallKey, "DisplayName"));

    Run("");
    EXPECT_EQ("C:\\WINDOWS\\NOTEPAD.EXE \"%1\"", Text(HKEY_CLASSES_ROOT, kOpenCommand, ""));
}

TEST_F(Registration, NoLeavesShortAndOverlongCommandsAlone)
{
    SetCommand(kOpenCommand, "1", 1);
    // 260 bytes without a terminator: it does not fit the command buffer and is not read past.
    std::string overlong = std::string(258, 'a') + "%1";
    SetCommand(kPrintCommand, overlong.data(), 260);
    answerer.boxAnswer = IDNO;
    Run("");
    EXPECT_EQ("1", Text(HKEY_CLASSES_ROOT, kOpenCommand, ""));
    EXPECT_EQ(overlong, Text(HKEY_CLASSES_ROOT, kPrintCommand, ""));
}

TEST_F(Registration, EmptyApplicationNameWritesOnTheUninstallKeyItself)
{
    const char uninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    StoredValue savedName = ReadStoredValue(HKEY_LOCAL_MACHINE, uninstall, "DisplayName");
    StoredValue savedString = ReadStoredValue(HKEY_LOCAL_MACHINE, uninstall, "UninstallString");
    setupState.applicationName[0] = '\0';
    std::string wholeField(setupState.applicationName, kTextCapacity);
    answerer.boxAnswer = IDNO;
    Run("");
    StoredValue name = ReadStoredValue(HKEY_LOCAL_MACHINE, uninstall, "DisplayName");
    std::string command = Text(HKEY_LOCAL_MACHINE, uninstall, "UninstallString");
    RestoreStoredValue(HKEY_LOCAL_MACHINE, uninstall, "DisplayName", savedName);
    RestoreStoredValue(HKEY_LOCAL_MACHINE, uninstall, "UninstallString", savedString);
    ASSERT_TRUE(name.valueExists);
    EXPECT_EQ(wholeField, name.data);
    EXPECT_NE(std::string::npos, command.find("\\Purgax.exe /" + installed.path));
}

}  // namespace
#endif

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
