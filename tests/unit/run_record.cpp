// Unit tests of the run record (files set aside, put back, held, changed since, and a killed run's record undone), on real files and the real registry.
#include <gtest/gtest.h>

// Windows calls only: the native build compiles nothing of this file.
#ifdef _WIN32

#include <windows.h>

#include <string>

#include "base/key_paths.h"
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

// One change as a killed run leaves it in the record: its kind, the identity of the file
// (volume, index high and low), two fields of registry changes, the length below which a
// dropped file's emptied folders stay, then the path and the name it was set aside at, each
// ended by a zero.
std::string RecordedChange(const std::string& identified, const std::string& path,
                           const std::string& aside, DWORD keptLength = 0)
{
    HANDLE file = CreateFileA(identified.c_str(), FILE_READ_ATTRIBUTES, 7, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info = {};
    GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    const DWORD fields[] = {0, info.dwVolumeSerialNumber, info.nFileIndexHigh,
                            info.nFileIndexLow, 0, 0, keptLength};
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
    EXPECT_EQ("A killed run's record was found\r\nIn use until the restart: " + movedAside +
                  "\r\nUndone: " + path + "\r\nUndone: " + path + "\r\n",
              std::string(runLog.buffer, runLog.length));
    EXPECT_EQ(-1, SubkeyCount(HKEY_LOCAL_MACHINE, kRecordKey)) << "the record is still there";

    runLog.length = 0;
    FreeLibrary(held);
    RemoveUnixLink(linked);
    RestoreStoredValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue, savedPending);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kRecordKey);
}

// Kept, a run whose new copy waits beside an older file that another program holds logs that
// file, whose replacement waits for the next restart. The new copy takes the next free name
// beside it: an earlier run's copy may wait there for the same restart.
TEST(EndRunRecord, AKeptRunLogsEachFileInUseThatWaitsForTheRestart)
{
    TempFolder folder;
    const std::string path = folder.path + "\\HELD.TXT";
    ASSERT_EQ(0, WriteFileBytes(path, "the older HELD.TXT"));
    // An earlier run's new copy waits for the restart under the first set-aside name.
    ASSERT_EQ(0, WriteFileBytes(path + ".1~", "an earlier run's HELD.TXT"));
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

    EXPECT_EQ(kRecordRestart, EndRunRecord(0));
    EXPECT_EQ("In use until the restart: " + path + "\r\n",
              std::string(runLog.buffer, runLog.length));
    EXPECT_EQ("an earlier run's HELD.TXT", ReadWholeFile(path + ".1~"));
    EXPECT_TRUE(PathExists(path + ".2~")) << "the new copy is not at the next free name";

    runLog.length = 0;
    CloseHandle(held);
    RestoreStoredValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue, savedPending);
}

// A file made new by the run, through its recorded handle, with bytes.
void CreateRecordedWith(const std::string& path, const std::string& bytes, int expectReplaced)
{
    SetAsideResult replaced = kAsideNothing;
    HANDLE file = CreateRecordedFile(path.c_str(), kNoCheck, &replaced);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                          nullptr));
    CloseHandle(file);
    EXPECT_EQ(expectReplaced, replaced) << path;
}

// Kept, a file set aside for good is deleted with its folders that are left empty below the
// kept part of its path; a file that this run created stays where it is.
TEST(SetAsideRecorded, KeptTheFileGoesWithTheFoldersItLeavesEmpty)
{
    TempFolder folder;
    const std::string old = folder.path + "\\A\\B\\OLD.TXT";
    const std::string created = folder.path + "\\NEW.TXT";
    ASSERT_EQ(0, MakeDirectories(folder.path + "\\A\\B"));
    ASSERT_EQ(0, WriteFileBytes(old, "an older file"));
    ASSERT_NO_FATAL_FAILURE(CreateRecordedWith(created, "new", 0));
    const int kept = static_cast<int>(folder.path.size());

    EXPECT_EQ(1, SetAsideRecorded(old.c_str(), kNoCheck, kept));
    EXPECT_EQ("an older file", ReadWholeFile(old + ".2~"));
    EXPECT_FALSE(PathExists(old));
    EXPECT_EQ(0, SetAsideRecorded(created.c_str(), kNoCheck, kept));
    EXPECT_EQ("new", ReadWholeFile(created));

    EXPECT_EQ(0, EndRunRecord(0));
    EXPECT_FALSE(PathExists(old + ".2~"));
    EXPECT_FALSE(PathExists(folder.path + "\\A")) << "the emptied folders stay";
    EXPECT_EQ("new", ReadWholeFile(created));
    EXPECT_EQ(-1, SubkeyCount(HKEY_LOCAL_MACHINE, kRecordKey)) << "the record is still there";
}

// Undone, the run's new files and the folder it made go, and the older file it set aside comes
// back under its own name with its bytes.
TEST(EndRunRecord, UndoneTheNewFilesGoAndTheOlderOneComesBack)
{
    TempFolder folder;
    const std::string made = folder.path + "\\MADE";
    const std::string path = folder.path + "\\LIB.DLL";
    ASSERT_EQ(0, WriteFileBytes(path, "the older LIB.DLL"));
    ASSERT_TRUE(CreateRecordedFolder(made.c_str(), 0));
    ASSERT_NO_FATAL_FAILURE(CreateRecordedWith(path, "the new LIB.DLL", 1));
    ASSERT_NO_FATAL_FAILURE(CreateRecordedWith(made + "\\NEW.TXT", "new", 0));
    EXPECT_EQ("the older LIB.DLL", ReadWholeFile(path + ".2~"));

    EXPECT_EQ(0, EndRunRecord(1));
    EXPECT_EQ("the older LIB.DLL", ReadWholeFile(path));
    EXPECT_FALSE(PathExists(path + ".2~"));
    EXPECT_FALSE(PathExists(made));
    EXPECT_EQ(-1, SubkeyCount(HKEY_LOCAL_MACHINE, kRecordKey)) << "the record is still there";
}

// Only what still is the file recorded is touched: a new file that another took the place of,
// and a set-aside name that holds another file since, stay as they are.
TEST(EndRunRecord, UndoneWhatIsNoLongerTheRecordedFileStays)
{
    TempFolder folder;
    TempFolder elsewhere;
    const std::string created = folder.path + "\\NEW.TXT";
    const std::string path = folder.path + "\\OLD.TXT";
    ASSERT_EQ(0, WriteFileBytes(path, "the older OLD.TXT"));
    ASSERT_NO_FATAL_FAILURE(CreateRecordedWith(created, "new", 0));
    ASSERT_NO_FATAL_FAILURE(CreateRecordedWith(path, "the new OLD.TXT", 1));
    // Moved away rather than deleted, the recorded files keep their identities to themselves.
    ASSERT_TRUE(MoveFileA(created.c_str(), (elsewhere.path + "\\NEW.TXT").c_str()));
    ASSERT_TRUE(MoveFileA((path + ".2~").c_str(), (elsewhere.path + "\\OLD.TXT").c_str()));
    ASSERT_EQ(0, WriteFileBytes(created, "another NEW.TXT"));
    ASSERT_EQ(0, WriteFileBytes(path + ".2~", "another OLD.TXT.2~"));

    EXPECT_EQ(0, EndRunRecord(1));
    EXPECT_EQ("another NEW.TXT", ReadWholeFile(created));
    EXPECT_EQ("another OLD.TXT.2~", ReadWholeFile(path + ".2~"));
    EXPECT_FALSE(PathExists(path)) << "the run's own new file stays";
}

// The record a run leaves in the registry is enough to undo it: killed after setting a file
// aside and writing its new copy, the run is undone by the next one from that record alone.
TEST(UndoKilledRun, TheRecordARunLeavesPutsTheOlderFileBack)
{
    TempFolder folder;
    TempFolder elsewhere;
    const std::string path = folder.path + "\\OLD.TXT";
    const std::string aside = path + ".1~";
    ASSERT_EQ(0, WriteFileBytes(path, "the older OLD.TXT"));
    ASSERT_NO_FATAL_FAILURE(CreateRecordedWith(path, "the new OLD.TXT", 1));
    const StoredValue setAside = ReadStoredValue(HKEY_LOCAL_MACHINE, kRecordKey, "00000001");
    const StoredValue created = ReadStoredValue(HKEY_LOCAL_MACHINE, kRecordKey, "00000002");
    ASSERT_TRUE(setAside.valueExists && created.valueExists);
    // The kill: this process forgets its record (the files out of its reach meanwhile), and the
    // registry holds it again as the run left it.
    const std::string hiddenNew = elsewhere.path + "\\NEW";
    const std::string hiddenOld = elsewhere.path + "\\OLD";
    ASSERT_TRUE(MoveFileA(path.c_str(), hiddenNew.c_str()));
    ASSERT_TRUE(MoveFileA(aside.c_str(), hiddenOld.c_str()));
    EndRunRecord(1);
    ASSERT_TRUE(MoveFileA(hiddenNew.c_str(), path.c_str()));
    ASSERT_TRUE(MoveFileA(hiddenOld.c_str(), aside.c_str()));
    ASSERT_EQ(0, WriteRegistryValue(HKEY_LOCAL_MACHINE, kRecordKey, "00000001", REG_BINARY,
                                    setAside.data));
    ASSERT_EQ(0, WriteRegistryValue(HKEY_LOCAL_MACHINE, kRecordKey, "00000002", REG_BINARY,
                                    created.data));
    runLog.length = 0;

    UndoKilledRun();

    EXPECT_EQ("the older OLD.TXT", ReadWholeFile(path));
    EXPECT_FALSE(PathExists(aside));
    // One line for the new file removed, one for the older one put back.
    EXPECT_EQ("A killed run's record was found\r\nUndone: " + path + "\r\nUndone: " + path +
                  "\r\n",
              std::string(runLog.buffer, runLog.length));
    EXPECT_EQ(-1, SubkeyCount(HKEY_LOCAL_MACHINE, kRecordKey)) << "the record is still there";
}

// An undone run puts back each value it changed or deleted and removes each value and key it
// made; a value that somebody else changed since the run wrote it is theirs and stays.
TEST(EndRunRecord, AnUndoneRunPutsTheRegistryBackWhereItStillHoldsWhatTheRunWrote)
{
    const std::string scratch = "Software\\Quillor Tests\\Run record";
    const std::string kept = scratch + "\\Kept";
    const std::string made = scratch + "\\New\\Deeper";
    ASSERT_EQ(0, WriteRegistryText(HKEY_CURRENT_USER, kept, "Changed", "earlier"));
    ASSERT_EQ(0, WriteRegistryValue(HKEY_CURRENT_USER, kept, "Gone", REG_DWORD,
                                    std::string("\7\0\0\0", 4)));
    ASSERT_EQ(0, WriteRegistryText(HKEY_CURRENT_USER, kept, "Taken", "earlier"));
    const StoredValue changed = ReadStoredValue(HKEY_CURRENT_USER, kept, "Changed");
    const StoredValue gone = ReadStoredValue(HKEY_CURRENT_USER, kept, "Gone");
    const DWORD one = 1;
    runLog.length = 0;

    OpenRunRecord();
    EXPECT_EQ(0, WriteKeyPathValue(HKEY_CURRENT_USER, kept.c_str(), "Changed", REG_SZ, "new", 3));
    EXPECT_EQ(0, DeleteKeyPathValue(HKEY_CURRENT_USER, kept.c_str(), "Gone"));
    EXPECT_EQ(0, WriteKeyPathValue(HKEY_CURRENT_USER, kept.c_str(), "Taken", REG_SZ, "new", 3));
    EXPECT_EQ(0, WriteKeyPathValue(HKEY_CURRENT_USER, made.c_str(), "Made", REG_DWORD, &one,
                                   sizeof one));
    EXPECT_EQ(0, WriteKeyPathValue(HKEY_CURRENT_USER, kept.c_str(), "Changed", REG_SZ, "newer",
                                   5));
    ASSERT_EQ(0, WriteRegistryText(HKEY_CURRENT_USER, kept, "Taken", "somebody's"));
    EXPECT_EQ(kRecordDone, EndRunRecord(1));

    EXPECT_EQ(changed, ReadStoredValue(HKEY_CURRENT_USER, kept, "Changed"));
    EXPECT_EQ(gone, ReadStoredValue(HKEY_CURRENT_USER, kept, "Gone"));
    std::string taken;
    EXPECT_EQ(0, ReadRegistryText(HKEY_CURRENT_USER, kept.c_str(), "Taken", &taken));
    EXPECT_EQ("somebody's", taken);
    EXPECT_NE(std::string::npos, std::string(runLog.buffer, runLog.length)
                                     .find("Left, changed by others since: " + kept + "|Taken\r\n"));
    EXPECT_EQ(-1, SubkeyCount(HKEY_CURRENT_USER, scratch + "\\New"));
    EXPECT_EQ(-1, SubkeyCount(HKEY_LOCAL_MACHINE, kRecordKey)) << "the record is still there";
    // Once the record has ended, writes are not recorded any more.
    EXPECT_EQ(0, WriteKeyPathValue(HKEY_CURRENT_USER, kept.c_str(), "Taken", REG_SZ, "later", 5));
    EXPECT_EQ(-1, SubkeyCount(HKEY_LOCAL_MACHINE, kRecordKey));

    runLog.length = 0;
    RegDeleteKeyA(HKEY_CURRENT_USER, kept.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, scratch.c_str());
}

// Killed between making a file or folder and recording its identity, a run leaves the name
// alone in the record: the next run removes an empty file or folder there (the run writes to a
// file only once its identity is recorded), and leaves anything else there as somebody's.
TEST(UndoKilledRun, ANameRecordedBeforeItsFileWasMadeLosesOnlyAnEmptyFileOrFolder)
{
    TempFolder folder;
    const std::string empty = folder.path + "\\EMPTY.TXT";
    const std::string full = folder.path + "\\FULL.TXT";
    const std::string made = folder.path + "\\MADE";
    ASSERT_EQ(0, WriteFileBytes(empty, ""));
    ASSERT_EQ(0, WriteFileBytes(full, "somebody's FULL.TXT"));
    ASSERT_TRUE(CreateDirectoryA(made.c_str(), nullptr));
    const DWORD unknown[7] = {};
    const std::string fields(reinterpret_cast<const char*>(unknown), sizeof unknown);
    ASSERT_EQ(0, WriteRegistryValue(HKEY_LOCAL_MACHINE, kRecordKey, "00000001", REG_BINARY,
                                    fields + made + '\0'));
    ASSERT_EQ(0, WriteRegistryValue(HKEY_LOCAL_MACHINE, kRecordKey, "00000002", REG_BINARY,
                                    fields + full + '\0'));
    ASSERT_EQ(0, WriteRegistryValue(HKEY_LOCAL_MACHINE, kRecordKey, "00000003", REG_BINARY,
                                    fields + empty + '\0'));

    EXPECT_EQ(kRecordDone, UndoKilledRun());

    EXPECT_FALSE(PathExists(empty));
    EXPECT_FALSE(PathExists(made));
    EXPECT_EQ("somebody's FULL.TXT", ReadWholeFile(full));
    EXPECT_EQ(-1, SubkeyCount(HKEY_LOCAL_MACHINE, kRecordKey)) << "the record is gone";
}

// A run killed while it cleaned up after its end was committed is finished by the next one, not
// undone: its new file stays, the older ones set aside go, and so do the folders that a dropped
// file leaves empty, down to the kept length; then the record goes.
TEST(UndoKilledRun, ACommittedRecordIsFinishedNotUndone)
{
    TempFolder folder;
    const std::string path = folder.path + "\\A.TXT";
    const std::string aside = path + ".1~";
    const std::string deep = folder.path + "\\Old\\Deep";
    const std::string dropped = deep + "\\B.TXT";
    ASSERT_TRUE(CreateDirectoryA((folder.path + "\\Old").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    ASSERT_EQ(0, WriteFileBytes(aside, "the older A.TXT"));
    ASSERT_EQ(0, WriteFileBytes(path, "the new A.TXT"));
    ASSERT_EQ(0, WriteFileBytes(dropped + ".3~", "the dropped B.TXT"));
    ASSERT_EQ(0, WriteRegistryValue(HKEY_LOCAL_MACHINE, kRecordKey, "00000001", REG_BINARY,
                                    RecordedChange(aside, path, aside)));
    ASSERT_EQ(0, WriteRegistryValue(HKEY_LOCAL_MACHINE, kRecordKey, "00000002", REG_BINARY,
                                    RecordedChange(path, path, "")));
    ASSERT_EQ(0, WriteRegistryValue(HKEY_LOCAL_MACHINE, kRecordKey, "00000003", REG_BINARY,
                                    RecordedChange(dropped + ".3~", dropped, dropped + ".3~",
                                                   static_cast<DWORD>(folder.path.size()))));
    ASSERT_EQ(0, WriteRegistryValue(HKEY_LOCAL_MACHINE, kRecordKey, "Committed", REG_DWORD,
                                    std::string("\1\0\0\0", 4)));
    runLog.length = 0;

    EXPECT_EQ(kRecordDone, UndoKilledRun());

    EXPECT_EQ("the new A.TXT", ReadWholeFile(path));
    EXPECT_FALSE(PathExists(aside));
    EXPECT_FALSE(PathExists(dropped + ".3~"));
    EXPECT_FALSE(PathExists(folder.path + "\\Old")) << "the emptied folders go";
    EXPECT_TRUE(PathExists(folder.path));
    EXPECT_EQ(-1, SubkeyCount(HKEY_LOCAL_MACHINE, kRecordKey)) << "the record is gone";
}

// A killed run's set-aside file whose name is taken since (the run's new file there could not be
// removed, or somebody put a file there) does not go back over it: the record stays, with the
// set-aside file, for the next run, and the log says what was not undone.
TEST(UndoKilledRun, ASetAsideFileGoesBackOnlyToAFreeNameAndTheRecordStaysUntilItDoes)
{
    TempFolder folder;
    const std::string path = folder.path + "\\LIB.DLL";
    const std::string setAside = path + ".1~";
    ASSERT_EQ(0, WriteFileBytes(setAside, "the older LIB.DLL"));
    ASSERT_EQ(0, WriteFileBytes(path, "somebody's LIB.DLL"));
    const std::string change = RecordedChange(setAside, path, setAside);
    ASSERT_EQ(0, WriteRegistryValue(HKEY_LOCAL_MACHINE, kRecordKey, "00000001", REG_BINARY,
                                    change));
    runLog.length = 0;

    EXPECT_EQ(kRecordUndoLeft, UndoKilledRun());
    EXPECT_EQ("somebody's LIB.DLL", ReadWholeFile(path));
    EXPECT_EQ("the older LIB.DLL", ReadWholeFile(setAside));
    EXPECT_EQ(change, ReadStoredValue(HKEY_LOCAL_MACHINE, kRecordKey, "00000001").data);
    EXPECT_EQ("A killed run's record was found\r\nNot undone: " + path +
                  "\r\nNot all undone: the rest is left to the next run\r\n",
              std::string(runLog.buffer, runLog.length));

    // Once the name is free, the next run finishes the undo.
    ASSERT_TRUE(DeleteFileA(path.c_str()));
    EXPECT_EQ(kRecordDone, UndoKilledRun());
    EXPECT_EQ("the older LIB.DLL", ReadWholeFile(path));
    EXPECT_EQ(-1, SubkeyCount(HKEY_LOCAL_MACHINE, kRecordKey));
    runLog.length = 0;
}

}  // namespace

#endif  // _WIN32
