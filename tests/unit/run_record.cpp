// Unit tests of the run record's undoing of a killed run, on real files and the real registry.
#include <gtest/gtest.h>

// Windows calls only: the native build compiles nothing of this file.
#ifdef _WIN32

#include <windows.h>

#include <string>

#include "base/run_log.h"
#include "base/safe_paths.h"
#include "base/run_record.h"
#include "files.h"
#include "registry.h"
#include "unix_links.h"

namespace {

const char kRecordKey[] = "Software\\Quillor Setup\\Run record";
const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char kPendingValue[] = "PendingFileRenameOperations";

// One change as a killed run leaves it in the record: held, the identity of the file (volume,
// index high and low), then the path and the name it was set aside at, each ended by a zero.
std::string RecordedChange(const std::string& identified, const std::string& path,
                           const std::string& aside)
{
    HANDLE file = CreateFileA(identified.c_str(), FILE_READ_ATTRIBUTES, 7, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info = {};
    GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    const DWORD fields[] = {0, info.dwVolumeSerialNumber, info.nFileIndexHigh,
                            info.nFileIndexLow};
    std::string value(reinterpret_cast<const char*>(fields), sizeof fields);
    value += path + '\0';
    if (!aside.empty()) value += aside + '\0';
    return value;
}

// A killed reinstall had set the older LIB.DLL aside and written a new one, which a program now
// holds as its image (as a program that runs holds its own file): the new one cannot be deleted,
// so it moves to the first free name beside it and waits there for its deletion at the next
// restart, and the older one goes back. A link of another user's at a name tried is neither
// replaced nor followed.
TEST(UndoKilledRun, ANewFileInUseIsMovedAsideForTheRestartAndTheOlderOneGoesBack)
{
    TempFolder folder;
    TempFolder decoys;
    const std::string path = folder.path + "\\LIB.DLL";
    const std::string setAside = path + ".1~";
    const std::string linked = path + ".2~";
    ASSERT_EQ(0, WriteFileBytes(setAside, "the older LIB.DLL"));
    std::string library;
    ASSERT_EQ(0, ReadFileBytes(ProgramFolder() + "\\plant_marker.dll", &library));
    ASSERT_EQ(0, WriteFileBytes(path, library));
    ASSERT_EQ(0, WriteFileBytes(decoys.path + "\\KEEP.DLL", "a decoy"));
    ASSERT_EQ(0, MakeUnixLink(linked, decoys.path + "\\KEEP.DLL"));
    ASSERT_EQ(0, WriteRegistryValue(HKEY_LOCAL_MACHINE, kRecordKey, "00000001", REG_BINARY,
                                    RecordedChange(setAside, path, setAside)));
    ASSERT_EQ(0, WriteRegistryValue(HKEY_LOCAL_MACHINE, kRecordKey, "00000002", REG_BINARY,
                                    RecordedChange(path, path, "")));
    HMODULE held = LoadLibraryExA(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_TRUE(held);
    const StoredValue savedPending =
        ReadStoredValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue);
    runLog.length = 0;

    UndoKilledRun();

    const std::string movedAside = path + ".3~";
    EXPECT_EQ("the older LIB.DLL", ReadWholeFile(path));
    EXPECT_EQ(library, ReadWholeFile(movedAside));
    EXPECT_FALSE(PathExists(setAside));
    EXPECT_EQ("a decoy", ReadWholeFile(linked)) << "the link stays as it was";
    EXPECT_EQ("a decoy", ReadWholeFile(decoys.path + "\\KEEP.DLL"));
    const std::string pending =
        ReadStoredValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue).data;
    EXPECT_NE(std::string::npos, pending.find("\\??\\" + movedAside + std::string(2, '\0')))
        << "no deletion of " << movedAside << " waits for the restart";
    EXPECT_EQ("In use until the restart: " + movedAside +
                  "\r\nA killed run's record was found and undone\r\n",
              std::string(runLog.buffer, runLog.length));
    EXPECT_EQ(-1, SubkeyCount(HKEY_LOCAL_MACHINE, kRecordKey)) << "the record is still there";

    runLog.length = 0;
    FreeLibrary(held);
    RemoveUnixLink(linked);
    RestoreStoredValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue, savedPending);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kRecordKey);
}

// Kept, a run whose new copy waits beside an older file that another program holds logs that
// file, whose replacement waits for the next restart.
TEST(EndRunRecord, AKeptRunLogsEachFileInUseThatWaitsForTheRestart)
{
    TempFolder folder;
    const std::string path = folder.path + "\\HELD.TXT";
    ASSERT_EQ(0, WriteFileBytes(path, "the older HELD.TXT"));
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    const StoredValue savedPending =
        ReadStoredValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue);
    SetAsideResult replaced = kAsideNothing;
    HANDLE file = CreateRecordedFile(path.c_str(), kNoCheck, &replaced);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    EXPECT_EQ(kAsideHeld, replaced);
    runLog.length = 0;

    EXPECT_NE(0, EndRunRecord(0));
    EXPECT_EQ("In use until the restart: " + path + "\r\n",
              std::string(runLog.buffer, runLog.length));

    runLog.length = 0;
    CloseHandle(held);
    RestoreStoredValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue, savedPending);
}

}  // namespace

#endif  // _WIN32
