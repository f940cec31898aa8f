// Tests of the registry key paths on the real registry: every key of a path made, read back, and no handle left open.
#include <gtest/gtest.h>

#include <string>
#include <vector>

// Windows calls only: the native build compiles nothing of this file.
#ifdef _WIN32
#include <windows.h>

#include "base/key_paths.h"
#include "registry.h"

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

}  // namespace

#endif
