// Tests of the setup script's loading from a real file, and of the section search with its message.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "example_script.h"

#ifdef _WIN32
#include <windows.h>

#include "resources/resource_ids.h"
#include "script/script_reader.h"
#include "files.h"
#include "window_watch.h"

// A scratch folder under the temporary directory, removed with its files after each test.
class ScriptFileTest : public ::testing::Test {
protected:
    std::string WriteScript(const char* name, const char* bytes, DWORD size)
    {
        std::string path = folder_.path + "\\" + name;
        EXPECT_EQ(0, WriteFileBytes(path, std::string(bytes, size))) << path;
        return path;
    }

    // A sparse file of the given size: only its length is set.
    std::string WriteSparseFile(const char* name, LONGLONG size)
    {
        std::string path = folder_.path + "\\" + name;
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
        EXPECT_NE(INVALID_HANDLE_VALUE, file) << path;
        DWORD returned = 0;
        DeviceIoControl(file, FSCTL_SET_SPARSE, 0, 0, 0, 0, &returned, 0);
        LARGE_INTEGER end;
        end.QuadPart = size;
        EXPECT_TRUE(SetFilePointerEx(file, end, 0, FILE_BEGIN));
        EXPECT_TRUE(SetEndOfFile(file));
        CloseHandle(file);
        return path;
    }

    // Loads path while a second thread answers the message box that may come.
    int Load(const std::string& path, SeenMessageBox* seen)
    {
        return AnswerMessageBoxDuring(IDOK, seen, [&] {
            return LoadScript(GetModuleHandleA(0), "Install", 0, path.c_str(), &memory_, &text_);
        });
    }

    void FreeScript()
    {
        if (memory_ != 0) {
            GlobalUnlock(memory_);
            GlobalFree(memory_);
        }
        memory_ = 0;
        text_ = 0;
    }

    TempFolder folder_;
    HGLOBAL memory_ = 0;
    const char* text_ = 0;
};

TEST_F(ScriptFileTest, LoadsTheWholeFileWithATerminator)
{
    std::string path = WriteScript("SETUP.INF", kExample, sizeof kExample - 1);
    SeenMessageBox seen;
    ASSERT_EQ(0, Load(path, &seen));
    EXPECT_FALSE(seen.window) << seen.text;
    ASSERT_NE(nullptr, memory_);
    ASSERT_NE(nullptr, text_);
    EXPECT_EQ(0, memcmp(kExample, text_, sizeof kExample));   // with the zero byte after
    EXPECT_GE(GlobalSize(memory_), sizeof kExample);
    EXPECT_TRUE(CanOpenExclusively(path));
    EXPECT_EQ(1u, GlobalFlags(memory_) & GMEM_LOCKCOUNT);
    FreeScript();
}

TEST_F(ScriptFileTest, EmptyFileGivesAnEmptyText)
{
    std::string path = WriteScript("EMPTY.INF", "", 0);
    SeenMessageBox seen;
    ASSERT_EQ(0, Load(path, &seen));
    EXPECT_FALSE(seen.window) << seen.text;
    ASSERT_NE(nullptr, text_);
    EXPECT_EQ('\0', text_[0]);
    int cursor = -1;
    EXPECT_EQ(-1, ScanForSection(text_, "Install", &cursor));
    EXPECT_EQ(0, cursor);
    FreeScript();
}

TEST_F(ScriptFileTest, ZeroByteInTheFileEndsTheText)
{
    const char bytes[] = "[Files]\r\nA=b\r\n\0[Install]\r\nCaption=x\r\n";
    std::string path = WriteScript("ZERO.INF", bytes, sizeof bytes - 1);
    SeenMessageBox seen;
    ASSERT_EQ(0, Load(path, &seen));
    ASSERT_NE(nullptr, text_);
    EXPECT_EQ(0, memcmp(bytes, text_, sizeof bytes));
    int cursor = -1;
    EXPECT_EQ(0, ScanForSection(text_, "Files", &cursor));
    EXPECT_EQ(-1, ScanForSection(text_, "Install", &cursor));
    EXPECT_EQ(14, cursor);
    FreeScript();
}

TEST_F(ScriptFileTest, MissingFileShowsItsPath)
{
    std::string path = folder_.path + "\\MISSING.INF";
    SeenMessageBox seen;
    EXPECT_EQ(-1, Load(path, &seen));
    ASSERT_TRUE(seen.window) << "no message box; on screen:" << seen.onScreen;
    EXPECT_EQ("Cannot open \"" + path + "\" !", seen.text);
    EXPECT_EQ("Install", seen.caption);
    EXPECT_EQ(LoadIconA(0, IDI_HAND), seen.icon);
    EXPECT_EQ(nullptr, memory_);
    EXPECT_EQ(nullptr, text_);
}

TEST_F(ScriptFileTest, ShortReadShowsTheReadMessageAndFreesEverything)
{
    // Wine does not enforce byte-range locks on reads, so a short read comes from a file of
    // the host system that states a size of 4096 bytes and holds only a few.
    std::string path = "Z:\\sys\\devices\\system\\cpu\\online";
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)
        || data.nFileSizeLow != 4096)
        GTEST_SKIP() << "no file of the host that reads shorter than its size";
    SeenMessageBox seen;
    EXPECT_EQ(-1, Load(path, &seen));
    ASSERT_TRUE(seen.window) << "no message box; on screen:" << seen.onScreen;
    EXPECT_EQ("Cannot read \"" + path + "\" !", seen.text);
    EXPECT_EQ("Install", seen.caption);
    EXPECT_EQ(LoadIconA(0, IDI_HAND), seen.icon);
    EXPECT_EQ(nullptr, memory_);
    EXPECT_EQ(nullptr, text_);
}

struct TooLargeRow {
    const char* name;
    LONGLONG size;
};

TEST_F(ScriptFileTest, FileTooLargeForItsTerminatorIsRefused)
{
    const TooLargeRow rows[] = {
        {"WRAPPED.INF", 0x100000005LL},   // the 32-bit seek would report 5 bytes
        {"NEGATIVE.INF", 0x8000000ALL},   // the 32-bit seek reports a negative size
        {"MAXIMUM.INF", 0xFFFFFFFFLL},    // size + 1 wraps to 0
    };
    for (const TooLargeRow& row : rows) {
        std::string path = WriteSparseFile(row.name, row.size);
        SeenMessageBox seen;
        EXPECT_EQ(-1, Load(path, &seen)) << row.name;
        ASSERT_TRUE(seen.window) << row.name << ": no message box; on screen:" << seen.onScreen;
        EXPECT_EQ("FileRead: cannot allocate memory !", seen.text);
        EXPECT_EQ("Install", seen.caption);
        EXPECT_EQ(nullptr, memory_);
        EXPECT_TRUE(CanOpenExclusively(path)) << row.name;
    }
}

TEST(FindSection, ReportsAMissingSectionWithItsName)
{
    int cursor = -1;
    SeenMessageBox seen;
    int result = AnswerMessageBoxDuring(IDOK, &seen, [&] {
        return FindSection(GetModuleHandleA(0), "Install", 0, "Nothing", 1, kExample, &cursor);
    });
    EXPECT_EQ(-1, result);
    EXPECT_EQ(279, cursor);
    ASSERT_TRUE(seen.window) << "no message box; on screen:" << seen.onScreen;
    EXPECT_EQ("Section [Nothing] does not exist !", seen.text);
    EXPECT_EQ("Install", seen.caption);
    EXPECT_EQ(LoadIconA(0, IDI_ASTERISK), seen.icon);
}

struct FindRow {
    const char* name;
    int report;
    int result;
    int cursor;
};

TEST(FindSection, SilentWhenFoundOrNotAskedToReport)
{
    const FindRow rows[] = {
        {"Install", 1, 0, 26},
        {"Inst", 1, 0, 26},
        {"Registration", 1, 0, 263},
        {"Nothing", 0, -1, 279},
    };
    for (const FindRow& row : rows) {
        int cursor = -1;
        SeenMessageBox seen;
        int result = AnswerMessageBoxDuring(IDOK, &seen, [&] {
            return FindSection(GetModuleHandleA(0), "Install", 0, row.name, row.report, kExample,
                               &cursor);
        });
        EXPECT_EQ(row.result, result) << row.name;
        EXPECT_EQ(row.cursor, cursor) << row.name;
        EXPECT_FALSE(seen.window) << row.name << ": " << seen.text;
    }
}

#endif
