// Tests of the uninstaller's text rules and folder table, and of the script hash it shares with the installer.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "base/folder_text.h"
#include "uninstall/folder_table.h"
#include "text/uninstall_command.h"
#include "uninstall/uninstall_paths.h"

namespace {

struct CommandRow {
    const char* command;
    const char* target;    // nullptr: no target
    const char* program;
};

TEST(UninstallCommand, TargetAndProgram)
{
    const CommandRow rows[] = {
        {"C:\\WINDOWS\\Purgax.exe /C:\\Program Files\\Quillor", "C:\\Program Files\\Quillor",
         "C:\\WINDOWS\\Purgax.exe"},
        // A quoted program name may hold a '/'; a quoted target loses its quotes.
        {"\"C:/WIN DOWS/Purgax.exe\" /\"C:\\Quillor\"", "C:\\Quillor", "C:/WIN DOWS/Purgax.exe"},
        {"  Purgax.exe   /C:\\a/b", "C:\\a/b", "Purgax.exe"},
        // Two targets name no one folder.
        {"Purgax.exe /C:\\a /C:\\b", nullptr, "Purgax.exe"},
        {"Purgax.exe /", "", "Purgax.exe"},
        {"Purgax.exe C:\\Quillor", nullptr, "Purgax.exe C:\\Quillor"},
        {"\"Purgax.exe", nullptr, "Purgax.exe"},
        {"", nullptr, ""},
    };
    for (const CommandRow& row : rows) {
        SCOPED_TRACE(row.command);
        UninstallCommand read;
        ReadUninstallCommand(row.command, &read);
        if (row.target == nullptr) {
            EXPECT_EQ(nullptr, read.target);
        } else {
            ASSERT_NE(nullptr, read.target);
            EXPECT_EQ(row.target, std::string(read.target, read.targetLength));
        }
        int length = -1;
        const char* program = FindCommandProgram(row.command, &length);
        EXPECT_EQ(row.program, std::string(program, length));
    }
}

struct SwitchRow {
    const char* arguments;   // after the program's quoted name
    int quiet;
    const char* log;         // nullptr: none
    const char* target;      // nullptr: none
};

// The switches as tools write them: quoted one by one or whole, glued, before or after the
// target, '-' for '/', any letter case.
TEST(UninstallCommand, QuietSwitchesInEveryForm)
{
    const SwitchRow rows[] = {
        {"/S /C:\\Q", 1, nullptr, "C:\\Q"},
        {"\"/S\" \"/C:\\Q R\"", 1, nullptr, "C:\\Q R"},
        {"/S/C:\\Q", 1, nullptr, "C:\\Q"},
        {"/C:\\Program Files\\Q /S", 1, nullptr, "C:\\Program Files\\Q"},
        {"/C:\\Q/s", 1, nullptr, "C:\\Q"},
        {"-s /C:\\Q -LOG=C:\\u.log", 1, "C:\\u.log", "C:\\Q"},
        {"\"/LOG=C:\\my logs\\un.log\" /C:\\Q \"/S\"", 1, "C:\\my logs\\un.log", "C:\\Q"},
        {"/LOG=\"C:\\my logs\\un.log\" /C:\\Q", 0, "C:\\my logs\\un.log", "C:\\Q"},
        {"/C:\\a -b\\Q", 0, nullptr, "C:\\a -b\\Q"},
        // Blanks at the end of the line are the target's own: they refuse it.
        {"/C:\\Q  ", 0, nullptr, "C:\\Q  "},
        {"/Q /S", 1, nullptr, "Q"},
        {"/SILENT /C:\\Q", 0, nullptr, nullptr},
        {"/S \"/LOG=C:\\unclosed", 1, nullptr, "LOG=C:\\unclosed"},
        {"/S", 1, nullptr, nullptr},
        {"/C:\\Q \"/S", 1, nullptr, nullptr},
    };
    for (const SwitchRow& row : rows) {
        SCOPED_TRACE(row.arguments);
        const std::string command = std::string("\"C:\\W\\Purgax.exe\" ") + row.arguments;
        UninstallCommand read;
        ReadUninstallCommand(command.c_str(), &read);
        EXPECT_EQ(row.quiet, read.quiet);
        EXPECT_EQ(row.log == nullptr, read.log == nullptr);
        if (row.log != nullptr && read.log != nullptr) {
            EXPECT_EQ(row.log, std::string(read.log, read.logLength));
        }
        EXPECT_EQ(row.target == nullptr, read.target == nullptr);
        if (row.target != nullptr && read.target != nullptr) {
            EXPECT_EQ(row.target, std::string(read.target, read.targetLength));
        }
    }
}

// The folder of an entry's program: quoted or not, with arguments after it.
TEST(UninstallCommand, FolderOfTheProgram)
{
    const CommandRow rows[] = {
        {"\"C:\\Program Files\\Vendor\\unins000.exe\" /SILENT", "C:\\Program Files\\Vendor", ""},
        {"C:\\Vendor\\uninst.exe -remove C:\\Vendor\\log.txt", "C:\\Vendor", ""},
        {"C:\\Program Files\\Vendor\\uninst.exe", "C:\\Program Files\\Vendor", ""},
        {"MsiExec.exe /X{12345678-1234-1234-1234-123456789012}", nullptr, ""},
        {"\\uninst.exe", nullptr, ""},
    };
    for (const CommandRow& row : rows) {
        SCOPED_TRACE(row.command);
        int length = -1;
        const char* folder = FindCommandFolder(row.command, &length);
        EXPECT_EQ(row.target == nullptr, folder == nullptr);
        if (row.target != nullptr && folder != nullptr) {
            EXPECT_EQ(row.target, std::string(folder, length));
        }
    }
}

struct TargetRow {
    const char* text;
    int length;   // -1: refused
};

TEST(UninstallCommand, TargetsThatAreRefused)
{
    const TargetRow rows[] = {
        {"C:\\Program Files\\Quillor", 24},
        {"c:\\Quillor\\", 10},
        {"\\\\server\\share\\Quillor", 22},
        {"C:\\A\\B.C\\d e", 12},
        {"", -1},
        {"Quillor", -1},
        {"\\Quillor", -1},
        {"C:Quillor", -1},
        {"C:", -1},
        {"C:\\", -1},
        {"C:\\\\", -1},
        {"1:\\Quillor", -1},
        {"\\\\server\\share", -1},
        {"\\\\server\\share\\", -1},
        {"\\\\server", -1},
        {"\\\\?\\C:\\Quillor", -1},
        {"\\\\.\\C:\\Quillor", -1},
        {"C:\\Quillor\\..", -1},
        {"C:\\Quillor\\.\\x", -1},
        {"C:\\Quillor\\...", -1},
        {"C:\\ . \\x", -1},
        {"C:\\Quillor\\\\x", -1},
        {"C:\\Quillor/x", -1},
        {"C:\\Quillor\\D:x", -1},
        {"C:\\Quil*lor", -1},
        {"C:\\Quil\"lor", -1},
        {"C:\\Quil\tlor", -1},
    };
    for (const TargetRow& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(row.length, CheckTargetText(row.text, (int)strlen(row.text)));
    }
}

struct NameRow {
    const char* name;
    int staysInside;
    int plain;
};

TEST(UninstallNames, DestinationsThatStayInside)
{
    const NameRow rows[] = {
        {"Quillor.exe", 1, 1},
        {"SAMPLES\\HELLO.TXT", 1, 0},
        {"X;Y", 1, 1},
        {"a.b c", 1, 1},
        {"", 0, 0},
        {"..", 0, 0},
        {".", 0, 0},
        {"..\\x", 0, 0},
        {"a\\..\\..\\x", 0, 0},
        {"a\\ .. \\x", 0, 0},
        {"\\x", 0, 0},
        {"a\\", 0, 0},
        {"a\\\\b", 0, 0},
        {"a/b", 0, 0},
        {"/x", 0, 0},
        {"C:x", 0, 0},
        {"C:\\x", 0, 0},
        {"x:stream", 0, 0},
        {"NUL", 0, 0},
        {"sub\\aux.txt", 0, 0},
        {"Con .log", 0, 0},
        {"COM7", 0, 0},
        {"CONOUT$", 0, 0},
        {"COM0", 1, 1},
        {"NULL", 1, 1},
        {"LPT", 1, 1},
        {"sub.nul", 1, 1},
    };
    for (const NameRow& row : rows) {
        SCOPED_TRACE(row.name);
        int length = (int)strlen(row.name);
        EXPECT_EQ(row.staysInside, StaysInside(row.name, length));
        EXPECT_EQ(row.plain, IsPlainName(row.name, length));
    }
}

struct PlaceRow {
    const char* path;
    const char* folder;
    int below;
};

TEST(UninstallNames, PathsBelowFoldersWithoutRegardToCase)
{
    const PlaceRow rows[] = {
        {"C:\\Windows", "C:\\WINDOWS", 1},
        {"c:\\windows\\system32\\", "C:\\Windows\\", 1},
        {"C:\\WindowsApps", "C:\\Windows", 0},
        {"C:\\Win", "C:\\Windows", 0},
        {"D:\\Anything", "D:\\", 1},
        {"C:\\x", "", 0},
    };
    for (const PlaceRow& row : rows) {
        SCOPED_TRACE(std::string(row.path) + " in " + row.folder);
        EXPECT_EQ(row.below, IsSameOrBelow(row.path, row.folder));
    }
    const char target[] = "C:\\Program Files\\Quillor";
    int length = (int)strlen(target);
    EXPECT_TRUE(PointsInto("c:\\program files\\quillor\\Quillor.exe %1", target, length));
    EXPECT_TRUE(PointsInto("\"C:\\Program Files\\Quillor\\Quillor.exe\" \"%1\"", target, length));
    EXPECT_FALSE(PointsInto("C:\\Program Files\\Quillor2\\Quillor.exe", target, length));
    EXPECT_FALSE(PointsInto("C:\\Program Files\\Quillor", target, length));
    EXPECT_FALSE(PointsInto("%SystemRoot%\\system32\\NOTEPAD.EXE %1", target, length));
}

struct CanonicalRow {
    const char* text;
    const char* canonical;
};

TEST(UninstallNames, FoldersInTheFormTheSystemResolves)
{
    const CanonicalRow rows[] = {
        {"C:\\Program Files (x86).", "C:\\Program Files (x86)"},
        {"C:\\windows ", "C:\\windows"},
        {"C:\\a. .\\b..\\", "C:\\a\\b"},
        {"C:\\a\\\\b", "C:\\a\\b"},
        {"C:\\", "C:\\"},
        {"C:\\..", "C:\\.."},
        {"\\\\localhost\\c$\\windows", "c:\\windows"},
        {"\\\\LOCALHOST\\D$", "D:\\"},
        {"\\\\127.0.0.1\\c$\\x.", "c:\\x"},
        {"\\\\?\\C:\\Quillor", "C:\\Quillor"},
        {"\\\\.\\C:\\Quillor\\", "C:\\Quillor"},
        {"\\\\?\\UNC\\localhost\\c$\\Quillor", "c:\\Quillor"},
        {"\\\\server\\c$\\Quillor.", "\\\\server\\c$\\Quillor"},
        {"\\\\localhost\\share\\x", "\\\\localhost\\share\\x"},
    };
    for (const CanonicalRow& row : rows) {
        SCOPED_TRACE(row.text);
        char text[64];
        strcpy(text, row.text);
        int length = CanonicalFolderText(text, (int)strlen(text));
        EXPECT_EQ(row.canonical, std::string(text));
        EXPECT_EQ((int)strlen(row.canonical), length);
    }
}

struct EditorRow {
    const char* command;
    const char* folder;   // nullptr: the command does not start the program
};

TEST(UninstallNames, TheFolderOfAProgramInACommand)
{
    const EditorRow rows[] = {
        {"C:\\QA\\Quillor.exe", "C:\\QA"},
        {"\"C:\\QA\\quillor.EXE\" \"%1\"", "C:\\QA"},
        {"C:\\QA\\Quillor.exe /p %1", "C:\\QA"},
        {"\"C:\\Q A\\Quillor.exe\" /p %1", "C:\\Q A"},
        {"C:\\QA\\B\\Quillor.exe", "C:\\QA\\B"},
        {"C:\\QA\\Quillor.exe2", nullptr},
        {"\"C:\\QA\\Quillor.exe", nullptr},
        {"\"C:\\QA\"\\Quillor.exe", nullptr},
        {"Quillor.exe", nullptr},
        {"", nullptr},
    };
    for (const EditorRow& row : rows) {
        SCOPED_TRACE(row.command);
        int length = -1;
        const char* folder = FindProgramFolder(row.command, "Quillor.exe", &length);
        if (row.folder == nullptr) {
            EXPECT_EQ(nullptr, folder);
        } else {
            ASSERT_NE(nullptr, folder);
            EXPECT_EQ(row.folder, std::string(folder, length));
        }
    }
}

TEST(UninstallFolders, EachFolderOnceAndTheDeepestFirst)
{
    static FolderTable table;
    ClearFolderTable(&table);
    const char* paths[] = {"SMALL", "SMALL\\S1", "MEDIUM", "small\\s1", "SMALL\\S1\\DEEP", "BIG"};
    const int expected[] = {0, 1, 2, 1, 3, 4};
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(expected[i], FindOrAddFolder(&table, paths[i], (int)strlen(paths[i])))
            << paths[i];
    OrderDeepestFirst(&table);
    std::string order;
    for (int i = 0; i < table.count; i++)
        order += std::string(table.pool + table.records[i].start, table.records[i].length) + "|";
    EXPECT_EQ(0u, order.find("SMALL\\S1\\DEEP|SMALL\\S1|")) << order;
    EXPECT_EQ(order.size() - 4, order.rfind("BIG|")) << order;

    // A full table adds nothing more.
    ClearFolderTable(&table);
    for (int i = 0; i < kFolderLimit; i++) {
        std::string name = std::to_string(i);
        ASSERT_EQ(i, FindOrAddFolder(&table, name.c_str(), (int)name.size()));
    }
    EXPECT_EQ(-1, FindOrAddFolder(&table, "new", 3));
    EXPECT_EQ(7, FindOrAddFolder(&table, "7", 1));
}

}  // namespace

#ifdef _WIN32
#include "base/script_hash.h"

TEST(ScriptHash, IsTheSha256OfTheText)
{
    char hex[kHashTextCapacity];
    ASSERT_EQ(0, HashText("abc", 3, hex));
    EXPECT_STREQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", hex);
    ASSERT_EQ(0, HashText("", 0, hex));
    EXPECT_STREQ("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855", hex);
}
#endif
