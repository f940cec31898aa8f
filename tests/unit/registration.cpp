// Tests of the application registration: App Paths, the uninstall entry and the default-editor commands and suffixes, on the real registry.
#include <gtest/gtest.h>

#include <string>

// Windows calls only: the native build compiles nothing of this file.
#ifdef _WIN32
#include "system_steps.h"

namespace {

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
