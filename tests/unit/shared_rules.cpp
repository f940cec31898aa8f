// Unit tests of the rules that both programs follow, on the real registry and real files: the
// shared-file counts and the trusted copy of the setup script.
#include <gtest/gtest.h>

// Windows calls only: the native build compiles nothing of this file.
#ifdef _WIN32

#include <windows.h>

#include <string>

#include "base/locked_blocks.h"
#include "base/product_names.h"
#include "base/script_copy.h"
#include "base/script_hash.h"
#include "base/shared_files.h"
#include "files.h"
#include "registry.h"

namespace {

// An installation lets go of a file: the others' counts stay theirs, the last one's count is
// left for the caller, and a file nobody counted stays.
TEST(SharedFiles, ReleaseLowersTheCountUntilTheLastInstallation)
{
    const std::string path = "C:\\windows\\QUILLOR-TEST-SHARED.INI";
    ASSERT_EQ(0, WriteSharedCount(path.c_str(), 2));
    EXPECT_EQ(kSharedStill, ReleaseSharedFile(path.c_str()));
    EXPECT_EQ(1, ReadSharedCount(path.c_str()));
    EXPECT_EQ(kSharedLast, ReleaseSharedFile(path.c_str()));
    EXPECT_EQ(1, ReadSharedCount(path.c_str()));
    ASSERT_EQ(0, WriteSharedCount(path.c_str(), 0));
    EXPECT_EQ(-1, ReadSharedCount(path.c_str()));
    EXPECT_EQ(kSharedUncounted, ReleaseSharedFile(path.c_str()));
    EXPECT_EQ(0, WriteSharedCount(path.c_str(), 0));
}

// The copy is taken only as the very text whose hash the entry recorded, in either letter case.
TEST(TrustedScriptCopy, OnlyThePlainFileThatTheEntryVouchesFor)
{
    TempFolder target;
    const std::string entry = std::string(kUninstallKey) + "\\Quillor Trusted Copy Test";
    const std::string copy = target.path + "\\" + kScriptCopyName;
    const std::string script = "[Install]\r\nApplication=Quillor\r\n";
    char hash[kHashTextCapacity];
    ASSERT_EQ(0, HashText(script.data(), (int)script.size(), hash));
    std::string upper = hash;
    for (char& c : upper) c = (char)toupper((unsigned char)c);
    ASSERT_EQ(0, WriteRegistryText(HKEY_LOCAL_MACHINE, entry, kScriptHashValue, upper));

    HGLOBAL memory = 0;
    const char* text = nullptr;
    ASSERT_EQ(0, WriteFileBytes(copy, script));
    ASSERT_EQ(0, LoadTrustedScriptCopy(HKEY_LOCAL_MACHINE, entry.c_str(), target.path.c_str(), &memory, &text));
    EXPECT_EQ(script, text);
    ReleaseLockedBlock(memory);

    ASSERT_EQ(0, WriteFileBytes(copy, script + "[Files]\r\n"));
    EXPECT_EQ(-1, LoadTrustedScriptCopy(HKEY_LOCAL_MACHINE, entry.c_str(), target.path.c_str(), &memory, &text));
    EXPECT_EQ(nullptr, text);

    RegDeleteKeyA(HKEY_LOCAL_MACHINE, entry.c_str());
}

}  // namespace

#endif
