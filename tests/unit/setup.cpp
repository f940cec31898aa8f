// Tests of the message boxes and of dialog placement.
#include <gtest/gtest.h>

#include <string>

#include "base/centering.h"

struct CenteringRow {
    int parentStart;
    int parentEnd;
    int size;
    int screenSize;
    int expected;
};

TEST(CenteredOrigin, Table)
{
    const CenteringRow rows[] = {
        {0, 1024, 400, 1024, 312},     // centred on a full-screen parent
        {100, 300, 100, 1024, 150},    // centred on a small parent
        {0, 200, 300, 1024, 0},        // the centred -50 is raised to 0
        {900, 1024, 300, 1024, 724},   // would pass the right edge: ends on it
        {0, 1024, 1200, 1024, -176},   // wider than the screen: right edge on the screen's edge
        {10, 15, 10, 1024, 8},         // -5 / 2 truncates toward zero to -2
        {700, 768, 300, 768, 468},     // bottom edge
        {-400, -100, 100, 1024, 0},    // a parent off the screen
    };
    for (const CenteringRow& row : rows) {
        EXPECT_EQ(row.expected,
                  CenteredOrigin(row.parentStart, row.parentEnd, row.size, row.screenSize))
            << row.parentStart << ".." << row.parentEnd << " size " << row.size;
    }
}

TEST(CenteredOrigin, FarCoordinatesDoNotOverflow)
{
    EXPECT_EQ(0, CenteredOrigin(-2147483647 - 1, 2147483647, 10, 1024));
    EXPECT_EQ(1014, CenteredOrigin(2147483600, 2147483647, 10, 1024));
}

#ifdef _WIN32
#include <windows.h>

#include "resources/resource_ids.h"
#include "base/message_boxes.h"
#include "base/run_log.h"
#include "base/file_size.h"
#include "base/system_libraries.h"
#include "setup/startup.h"
#include "files.h"
#include "window_watch.h"

static HINSTANCE TestInstance()
{
    return GetModuleHandleA(0);
}

TEST(ShowFormattedMessage, PutsThePathBetweenTheQuotes)
{
    SeenMessageBox seen;
    int answer = AnswerMessageBoxDuring(IDOK, &seen, [&] {
        return ShowFormattedMessage(TestInstance(), "Install", 0, IDS_CANNOT_OPEN,
                                    "D:\\DISK1\\MISSING.DLL", MB_ICONERROR);
    });
    ASSERT_TRUE(seen.window) << "no message box; on screen:" << seen.onScreen;
    EXPECT_EQ(IDOK, answer);
    EXPECT_EQ("Cannot open \"D:\\DISK1\\MISSING.DLL\" !", seen.text);
    EXPECT_EQ("Install", seen.caption);
    EXPECT_EQ(LoadIconA(0, IDI_HAND), seen.icon);
}

struct FormattedRow {
    UINT id;
    const char* argument;
    const char* expected;
};

TEST(ShowFormattedMessage, Table)
{
    const FormattedRow rows[] = {
        {IDS_INSTALL_PARTIAL, "Quillor",
         "The installation has not been totally correctly effected ! You had better reinstall "
         "after correction !"},
        {IDS_CANNOT_ALLOCATE, "FileRead", "FileRead: cannot allocate memory !"},
        {IDS_CANNOT_LOCK, "GetBitmap", "GetBitmap: cannot lock memory !"},
        {IDS_NO_SECTION, "Install", "Section [Install] does not exist !"},
        {IDS_CANNOT_CREATE, "C:\\Program Files\\Quillor", "Cannot create \"C:\\Program Files\\Quillor\" !"},
        {IDS_INSTALL_DONE, "Quillor",
         "Installation normally terminated. An \"Quillor\" icon has been created on your desktop "
         "and a folder in your \"Start\\programs\" menu."},
        {IDS_CANNOT_OPEN, nullptr, "Cannot open \"\" !"},
    };
    for (const FormattedRow& row : rows) {
        SeenMessageBox seen;
        AnswerMessageBoxDuring(IDOK, &seen, [&] {
            ShowFormattedMessage(TestInstance(), "Quillor Setup", 0, row.id, row.argument,
                                 MB_ICONINFORMATION);
        });
        ASSERT_TRUE(seen.window) << "string " << row.id << "; on screen:" << seen.onScreen;
        EXPECT_EQ(row.expected, seen.text) << "string " << row.id;
        EXPECT_EQ("Quillor Setup", seen.caption);
        EXPECT_EQ(LoadIconA(0, IDI_ASTERISK), seen.icon);
    }
}

TEST(ShowFormattedMessage, CutsAnArgumentTooLongForTheText)
{
    std::string longPath(600, 'a');
    SeenMessageBox seen;
    AnswerMessageBoxDuring(IDOK, &seen, [&] {
        ShowFormattedMessage(TestInstance(), "Install", 0, IDS_CANNOT_OPEN, longPath.c_str(),
                             MB_ICONERROR);
    });
    ASSERT_TRUE(seen.window) << "on screen:" << seen.onScreen;
    // 511 characters at most: the format's 16 and 493 of the argument.
    EXPECT_EQ("Cannot open \"" + std::string(493, 'a') + "\" !", seen.text);
}

TEST(ShowStringMessage, AsksTheQuestionAndReturnsTheAnswer)
{
    SeenMessageBox seen;
    int answer = AnswerMessageBoxDuring(IDYES, &seen, [&] {
        return ShowStringMessage(TestInstance(), "Quillor Setup", 0, IDS_DEFAULT_EDITOR,
                                 MB_YESNO | MB_ICONQUESTION);
    });
    ASSERT_TRUE(seen.window) << "on screen:" << seen.onScreen;
    EXPECT_EQ(IDYES, answer);
    EXPECT_EQ("Would you like Quillor to be registered as your default text editor ?", seen.text);
    EXPECT_EQ("Quillor Setup", seen.caption);
    EXPECT_EQ(LoadIconA(0, IDI_QUESTION), seen.icon);
}

TEST(ShowStringMessage, ShowsTheTextUnformatted)
{
    SeenMessageBox seen;
    int answer = AnswerMessageBoxDuring(IDOK, &seen, [&] {
        return ShowStringMessage(TestInstance(), "Quillor Setup", 0, IDS_INSTALL_DONE,
                                 MB_ICONINFORMATION);
    });
    ASSERT_TRUE(seen.window) << "on screen:" << seen.onScreen;
    EXPECT_EQ(IDOK, answer);
    EXPECT_EQ("Installation normally terminated. An \"%s\" icon has been created on your desktop "
              "and a folder in your \"Start\\programs\" menu.", seen.text);
}

static HWND CreatePopup(HWND owner, int x, int y, int width, int height)
{
    return CreateWindowExA(0, "STATIC", "", WS_POPUP, x, y, width, height, owner, 0,
                           TestInstance(), 0);
}

struct PlacementRow {
    RECT parent;
    int width;
    int height;
    int expectedX;
    int expectedY;
};

TEST(CenterDialog, PlacesRealWindowsOnTheScreen)
{
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_GE(screenWidth, 1024);
    ASSERT_GE(screenHeight, 768);
    const PlacementRow rows[] = {
        {{0, 0, screenWidth, screenHeight}, 400, 300,
         (screenWidth - 400) / 2, (screenHeight - 300) / 2},
        {{0, 0, 200, 200}, 300, 100, 0, 50},   // the centred -50 is raised to 0
        {{screenWidth - 124, 0, screenWidth, 200}, 300, 100, screenWidth - 300, 50},
        {{0, screenHeight - 68, 200, screenHeight}, 100, 300, 50, screenHeight - 300},
        {{0, 0, screenWidth, 200}, screenWidth + 176, 100, -176, 50},   // wider than the screen
    };
    for (const PlacementRow& row : rows) {
        const RECT& p = row.parent;
        HWND parent = CreatePopup(0, p.left, p.top, p.right - p.left, p.bottom - p.top);
        ASSERT_NE(nullptr, parent);
        HWND dialog = CreatePopup(parent, 5, 5, row.width, row.height);
        ASSERT_NE(nullptr, dialog);

        CenterDialog(parent, dialog);

        RECT placed;
        GetWindowRect(dialog, &placed);
        EXPECT_EQ(row.expectedX, placed.left)
            << "parent " << p.left << "," << p.top << " dialog " << row.width;
        EXPECT_EQ(row.expectedY, placed.top)
            << "parent " << p.left << "," << p.top << " dialog " << row.height;
        EXPECT_EQ(row.width, placed.right - placed.left);
        EXPECT_EQ(row.height, placed.bottom - placed.top);
        DestroyWindow(dialog);
        DestroyWindow(parent);
    }
}

// A sparse file past 4 GiB is sized exactly, and the position stays where it was.
TEST(GetOpenFileSize, SizesLargeFilesAndKeepsThePosition)
{
    TempFolder folder;
    std::string path = folder.path + "\\sparse.bin";
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    LARGE_INTEGER size;
    size.QuadPart = (5LL << 30) + 7;
    ASSERT_TRUE(SetFilePointerEx(file, size, NULL, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file));
    LARGE_INTEGER position;
    position.QuadPart = 12345;
    ASSERT_TRUE(SetFilePointerEx(file, position, NULL, FILE_BEGIN));

    EXPECT_EQ(size.QuadPart, GetOpenFileSize(file));
    LARGE_INTEGER zero, now;
    zero.QuadPart = 0;
    SetFilePointerEx(file, zero, &now, FILE_CURRENT);
    EXPECT_EQ(12345, now.QuadPart);
    CloseHandle(file);

    EXPECT_EQ(-1, GetOpenFileSize(INVALID_HANDLE_VALUE));
}
// Both ways of loading take the library from the system directory, and neither takes a name
// that is not there.
TEST(LoadSystemLibrary, TakesTheLibraryFromTheSystemDirectory)
{
    char system[MAX_PATH];
    ASSERT_NE(0u, GetSystemDirectoryA(system, MAX_PATH));
    typedef HMODULE (*Loader)(const char*);
    for (Loader load : {LoadSystemLibrary, LoadSystemLibraryByPath}) {
        HMODULE module = load("msimg32.dll");
        ASSERT_NE(nullptr, module);
        char path[MAX_PATH];
        ASSERT_NE(0u, GetModuleFileNameA(module, path, MAX_PATH));
        EXPECT_EQ(0, lstrcmpiA((std::string(system) + "\\msimg32.dll").c_str(), path)) << path;
        EXPECT_EQ(nullptr, load("quillor-no-such-library.dll"));
    }
    EXPECT_NE(nullptr, FindSystemProcedure("msimg32.dll", "AlphaBlend"));
    EXPECT_EQ(nullptr, FindSystemProcedure("msimg32.dll", "NoSuchProcedure"));
}

// Byte counts past 32 bits are written in full, with the zeros inside them kept.
TEST(LogCopiedFile, WritesCountsPastThirtyTwoBits)
{
    TempFolder folder;
    const std::string path = folder.path + "\\counts.log";
    RunLog saved = runLog;
    runLog = RunLog();
    ASSERT_EQ(0, OpenRunLog(path.c_str(), "Counts"));
    LogCopiedFile("Copied", "A", "B", 0);
    LogCopiedFile("Copied", "A", "B", 999999999LL);
    LogCopiedFile("Copied", "A", "B", 5000000123LL);
    LogCopiedFile("Copied", "A", "B", 1000000000LL);
    CloseRunLog();
    runLog = saved;
    EXPECT_EQ("Copied A -> B, 0 bytes\r\nCopied A -> B, 999999999 bytes\r\n"
              "Copied A -> B, 5000000123 bytes\r\nCopied A -> B, 1000000000 bytes\r\n",
              ReadWholeFile(path));
}
#endif
