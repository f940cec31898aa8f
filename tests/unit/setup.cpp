// Tests of the message boxes and of dialog placement.
#include <gtest/gtest.h>

#include <string>

#include "setup/centering.h"

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

#include <atomic>
#include <thread>

#include "resources/resource_ids.h"
#include "setup/message_boxes.h"
#include "setup/startup.h"

// What a watch found: the first message box shown by the watched thread.
struct MessageBoxSeen {
    int found;
    std::string caption;
    std::string text;
    HICON icon;
    std::string onScreen;   // the watched thread's windows, when no box came
};

struct BoxSearch {
    HWND box;
    std::string windows;
};

static BOOL CALLBACK FindBoxWindow(HWND window, LPARAM parameter)
{
    BoxSearch* search = reinterpret_cast<BoxSearch*>(parameter);
    char className[64] = "";
    char title[256] = "";
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    search->windows += std::string(" [") + className + " \"" + title + "\"]";
    if (IsWindowVisible(window) && lstrcmpA(className, "#32770") == 0) {
        search->box = window;
        return FALSE;
    }
    return TRUE;
}

static BOOL CALLBACK FindIconControl(HWND window, LPARAM parameter)
{
    if ((GetWindowLongA(window, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HICON*>(parameter) =
            reinterpret_cast<HICON>(SendMessageA(window, STM_GETICON, 0, 0));
        return FALSE;
    }
    return TRUE;
}

// Waits on a second thread (bounded) for a message box of the thread `owner`, records its
// caption, text and icon, and presses `button`. Joins and returns when the box is answered,
// when `shown` is set without a box, or after the bound.
void WatchForMessageBox(DWORD owner, int button, const std::atomic<int>* done,
                        MessageBoxSeen* seen)
{
    seen->found = 0;
    seen->icon = 0;
    const DWORD bound = 10000;
    DWORD start = GetTickCount();
    BoxSearch search;
    for (;;) {
        search.box = 0;
        search.windows.clear();
        EnumThreadWindows(owner, FindBoxWindow, reinterpret_cast<LPARAM>(&search));
        if (search.box != 0)
            break;
        if ((done != 0 && done->load()) || GetTickCount() - start > bound) {
            seen->onScreen = search.windows;
            return;
        }
        Sleep(5);
    }
    char text[1024] = "";
    char caption[256] = "";
    GetDlgItemTextA(search.box, 0xFFFF, text, sizeof text);
    GetWindowTextA(search.box, caption, sizeof caption);
    EnumChildWindows(search.box, FindIconControl, reinterpret_cast<LPARAM>(&seen->icon));
    seen->found = 1;
    seen->caption = caption;
    seen->text = text;
    PostMessageA(search.box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(search.box, button)));
}

static HINSTANCE TestInstance()
{
    return GetModuleHandleA(0);
}

TEST(ShowFormattedMessage, PutsThePathBetweenTheQuotes)
{
    MessageBoxSeen seen;
    std::thread watcher(WatchForMessageBox, GetCurrentThreadId(), IDOK, nullptr, &seen);
    int answer = ShowFormattedMessage(TestInstance(), "Install", 0, IDS_CANNOT_OPEN,
                                      "D:\\DISK1\\MISSING.DLL", MB_ICONERROR);
    watcher.join();
    ASSERT_TRUE(seen.found) << "no message box; on screen:" << seen.onScreen;
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
        MessageBoxSeen seen;
        std::thread watcher(WatchForMessageBox, GetCurrentThreadId(), IDOK, nullptr, &seen);
        ShowFormattedMessage(TestInstance(), "Quillor Setup", 0, row.id, row.argument,
                             MB_ICONINFORMATION);
        watcher.join();
        ASSERT_TRUE(seen.found) << "string " << row.id << "; on screen:" << seen.onScreen;
        EXPECT_EQ(row.expected, seen.text) << "string " << row.id;
        EXPECT_EQ("Quillor Setup", seen.caption);
        EXPECT_EQ(LoadIconA(0, IDI_ASTERISK), seen.icon);
    }
}

TEST(ShowFormattedMessage, CutsAnArgumentTooLongForTheText)
{
    std::string longPath(600, 'a');
    MessageBoxSeen seen;
    std::thread watcher(WatchForMessageBox, GetCurrentThreadId(), IDOK, nullptr, &seen);
    ShowFormattedMessage(TestInstance(), "Install", 0, IDS_CANNOT_OPEN, longPath.c_str(),
                         MB_ICONERROR);
    watcher.join();
    ASSERT_TRUE(seen.found) << "on screen:" << seen.onScreen;
    // 511 characters at most: the format's 16 and 493 of the argument.
    EXPECT_EQ("Cannot open \"" + std::string(493, 'a') + "\" !", seen.text);
}

TEST(ShowStringMessage, AsksTheQuestionAndReturnsTheAnswer)
{
    MessageBoxSeen seen;
    std::thread watcher(WatchForMessageBox, GetCurrentThreadId(), IDYES, nullptr, &seen);
    int answer = ShowStringMessage(TestInstance(), "Quillor Setup", 0, IDS_DEFAULT_EDITOR,
                                   MB_YESNO | MB_ICONQUESTION);
    watcher.join();
    ASSERT_TRUE(seen.found) << "on screen:" << seen.onScreen;
    EXPECT_EQ(IDYES, answer);
    EXPECT_EQ("Would you like Quillor to be registered as your default text editor ?", seen.text);
    EXPECT_EQ("Quillor Setup", seen.caption);
    EXPECT_EQ(LoadIconA(0, IDI_QUESTION), seen.icon);
}

TEST(ShowStringMessage, ShowsTheTextUnformatted)
{
    MessageBoxSeen seen;
    std::thread watcher(WatchForMessageBox, GetCurrentThreadId(), IDOK, nullptr, &seen);
    int answer = ShowStringMessage(TestInstance(), "Quillor Setup", 0, IDS_INSTALL_DONE,
                                   MB_ICONINFORMATION);
    watcher.join();
    ASSERT_TRUE(seen.found) << "on screen:" << seen.onScreen;
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
    char folder[MAX_PATH];
    char path[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    GetTempFileNameA(folder, "gfs", 0, path);
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
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
    DeleteFileA(path);

    EXPECT_EQ(-1, GetOpenFileSize(INVALID_HANDLE_VALUE));
}
#endif
