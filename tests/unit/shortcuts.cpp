// Tests of the shortcuts: shell links saved and loaded back, and the group step driven with the real shell folders.
#include <gtest/gtest.h>

#include <string>

// Windows calls only: the native build compiles nothing of this file.
#ifdef _WIN32
#include "system_steps.h"

namespace {

TEST(CreateShellShortcut, WritesALinkThatLoadsBack)
{
    TempFolder folder;
    std::string target = folder.path + "\\Quillor.exe";
    ASSERT_EQ(0, WriteFileBytes(target, ""));
    std::string icon = folder.path + "\\icons.dll";
    std::string link = folder.path + "\\Quillor.lnk";

    ASSERT_EQ(S_OK, CreateShellShortcut(target.c_str(), link.c_str(), "Quillor text editor",
                                        icon.c_str(), 3));
    EndRunRecord(0);
    ExpectLink(link, target, "Quillor text editor", icon, 3);
}

TEST(CreateShellShortcut, UsesTheNameExactlyAndAnEmptyIconFile)
{
    TempFolder folder;
    std::string target = folder.path + "\\README.TXT";
    std::string link = folder.path + "\\Read me";
    ASSERT_EQ(S_OK, CreateShellShortcut(target.c_str(), link.c_str(), "", "", 0));
    EndRunRecord(0);
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
        SetText(setupState.groupSection, kNameCapacity, "Group");
        SetText(setupState.applicationName, kTextCapacity, "Quillor");
    }
    void TearDown() override
    {
        // The links and the folder stay, as a finished run keeps them.
        EndRunRecord(0);
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


}  // namespace

#endif
