// Unit tests of the rules that both programs follow, on the real registry and real files: the
// shared-file counts and the trusted copy of the setup script.
#include <gtest/gtest.h>

// Windows calls only: the native build compiles nothing of this file.
#ifdef _WIN32

#include <windows.h>

#include <string>

#include <shlobj.h>

#include "base/capacities.h"
#include "base/install_scope.h"
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
    ASSERT_EQ(0, LoadTrustedScriptCopy(HKEY_LOCAL_MACHINE, entry.c_str(), target.path.c_str(),
                                       &memory, &text));
    EXPECT_EQ(script, text);
    ReleaseLockedBlock(memory);

    ASSERT_EQ(0, WriteFileBytes(copy, script + "[Files]\r\n"));
    EXPECT_EQ(-1, LoadTrustedScriptCopy(HKEY_LOCAL_MACHINE, entry.c_str(), target.path.c_str(),
                                       &memory, &text));
    EXPECT_EQ(nullptr, text);

    RegDeleteKeyA(HKEY_LOCAL_MACHINE, entry.c_str());
}

// Each scope reads its own places: the machine's common shortcut folders, program files folder
// and registry, or the running user's own.
TEST(InstallScope, EachScopeReadsItsOwnPlaces)
{
    struct Row {
        InstallScope scope;
        ShortcutPlace place;
        HKEY root;
        const char* value;
    };
    const Row rows[] = {
        {kScopeAllUsers, kProgramsPlace, HKEY_LOCAL_MACHINE, "Common Programs"},
        {kScopeAllUsers, kDesktopPlace, HKEY_LOCAL_MACHINE, "Common Desktop"},
        {kScopeCurrentUser, kProgramsPlace, HKEY_CURRENT_USER, "Programs"},
        {kScopeCurrentUser, kDesktopPlace, HKEY_CURRENT_USER, "Desktop"},
    };
    char path[MAX_PATH];
    // Asking the shell for the user's folders also records them under Shell Folders.
    SHGetFolderPathA(nullptr, CSIDL_PROGRAMS | CSIDL_FLAG_CREATE, nullptr, 0, path);
    SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY | CSIDL_FLAG_CREATE, nullptr, 0, path);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        std::string expected;
        ASSERT_EQ(0, ReadRegistryText(row.root, kShellFoldersKey, row.value, &expected));
        char folder[kTextCapacity] = "";
        ASSERT_EQ(0, ReadShortcutFolder(row.scope, row.place, folder));
        EXPECT_EQ(expected, folder);
        EXPECT_EQ(row.root, ScopeRoot(row.scope));
    }

    std::string programFiles;
    ASSERT_EQ(0, ReadRegistryText(HKEY_LOCAL_MACHINE, kCurrentVersionKey, kProgramFilesValue,
                                  &programFiles));
    char folder[kTextCapacity] = "";
    ASSERT_EQ(0, ReadProgramsBase(kScopeAllUsers, folder));
    EXPECT_EQ(programFiles, folder);
    char local[kTextCapacity] = "";
    ASSERT_NE(0u, GetEnvironmentVariableA("LOCALAPPDATA", local, kTextCapacity));
    ASSERT_EQ(0, ReadProgramsBase(kScopeCurrentUser, folder));
    EXPECT_EQ(std::string(local) + "\\Programs", folder);

    char key[kPathCapacity];
    EXPECT_EQ(HKEY_CLASSES_ROOT, ScopeClassesKey(kScopeAllUsers, ".txt", key));
    EXPECT_STREQ(".txt", key);
    EXPECT_EQ(HKEY_CURRENT_USER, ScopeClassesKey(kScopeCurrentUser, ".txt", key));
    EXPECT_STREQ("Software\\Classes\\.txt", key);
}

}  // namespace

#endif
