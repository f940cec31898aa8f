// The copy engine: one Files entry or one 8192-byte chunk per private message.
#include "copy/copy_engine.h"
#include "copy/installed_files.h"

#include "base/file_size.h"
#include "base/folder_text.h"
#include "base/message_boxes.h"
#include "base/private_messages.h"
#include "base/run_log.h"
#include "base/safe_paths.h"
#include "base/setup_state.h"
#include "base/shared_files.h"
#include "copy/progress_dialog.h"
#include "base/run_record.h"
#include "copy/source_checks.h"
#include "resources/resource_ids.h"
#include "script/files_value.h"
#include "script/script_reader.h"
#include "text/bounded_text.h"

// Windows directory entries get up to two identical attempts.
enum { kWindowsAttempts = 2 };

static void NotifyProgressDialog(WPARAM command)
{
    if (setupState.progressDialog != 0)
        SendMessageA(setupState.progressDialog, WM_COMMAND, command, 0);
}

// Closes an open file of the record; 0 stands for no file.
static void CloseHandleOf(HANDLE* file)
{
    if (*file != 0)
        CloseHandle(*file);
    *file = 0;
}

static void CloseCopyFiles(void)
{
    EndHash(&setupState.sourceHash, 0);
    CloseHandleOf(&setupState.sourceFile);
    CloseHandleOf(&setupState.destFile);
}

// Closes both files of a copy cut short and removes its destination, which holds only part of
// the source: unless it is an older file that the copy has not written to yet, and so still
// holds the whole of what it held. The removal goes through the handle the data was written
// with: the path may name another file by now.
static void CloseCutCopy(void)
{
    SetupState& s = setupState;
    int cut = s.destFile != 0 && (s.destCreated != kDestNotCreated || s.fileCopied > 0);
    if (cut)
        DeleteOpenedFile(s.destFile);
    CloseCopyFiles();
    // The older file it replaced, set aside by a rename, goes back.
    if (cut)
        UndoFileInHand();
}

static int ShowCopyFailure(UINT id, const char* path, UINT type)
{
    SetupState& s = setupState;
    return ShowFormattedMessage(s.instance, s.className, s.mainWindow,
                                id, path, type);
}

// Forms the source path in modulePath after the program's directory. Returns its length, or
// -1 when the name did not fit (a cut path could name another file).
static int FormSourcePath(const char* sourceName)
{
    int dirLength = setupState.dirLength;
    if (dirLength < 0 || dirLength >= kPathCapacity)
        return -1;
    int nameLength = TextLength(sourceName);
    int length = AppendBounded(setupState.modulePath, kPathCapacity, dirLength, sourceName,
                               nameLength);
    if (length != dirLength + nameLength)
        return -1;
    return length;
}

// The length of the folder part of destPath (up to its last separator), or 0.
static int FolderPartLength(void)
{
    const char* last = FindLastChar(setupState.destPath, '\\');
    return last == 0 ? 0 : (int)(last - setupState.destPath);
}

// The destination as a new file, recorded for the undoing (an older file there is set aside
// first, never written over); with `check`, one made through a link on the way goes again.
static HANDLE OpenDestinationPath(PathCheck check)
{
    SetAsideResult replaced = kAsideNothing;
    HANDLE file = CreateRecordedFile(setupState.destPath, check, &replaced);
    // The editor is registered as soon as the copy ends: a held one cannot wait for the restart,
    // and is not opened.
    if (replaced == kAsideHeld && setupState.editorInHand) {
        CloseHandle(file);
        UndoFileInHand();
        SetLastError(ERROR_SHARING_VIOLATION);
        file = INVALID_HANDLE_VALUE;
    }
    setupState.destCreated = file == INVALID_HANDLE_VALUE ? kDestNotCreated
                             : replaced == kAsideNothing ? kDestNew
                                                         : kDestOverOlder;
    return file;
}

// How much of destPath's folder part (length bytes) earlier entries entered and checked, up to
// a separator where it agrees with one of them: those folders are neither made nor checked
// again. They are the installation's own by then, and the file's own check covers its whole
// path anyway.
static int EnteredLength(int length)
{
    int longest = 0;
    for (int slot = 0; slot < kEnteredFolders; slot++) {
        const char* entered = setupState.enteredFolders[slot];
        for (int i = 0; i <= length; i++) {
            if (setupState.destPath[i] == '\\' && (entered[i] == '\\' || entered[i] == '\0') &&
                i > longest)
                longest = i;
            if (entered[i] != setupState.destPath[i])
                break;
        }
    }
    return longest;
}

// A destination below the target: no folder and no file that is a link, or is reached through
// one, is written, and a file that was there before is set aside, never written. Every folder
// from the target down is made so that only administrators can change it, and the new files
// take that access list from their folder.
static HANDLE OpenTargetDestination(const char* name)
{
    int length = JoinPath(setupState.destPath, kPathCapacity, setupState.targetDir, name);
    int folderLength = FolderPartLength();
    int targetLength = TextLength(setupState.targetDir);
    // The script may place a file elsewhere (through a ".." step, say), but nothing outside
    // the target gets the installation's access list, and nothing there is removed when a
    // later version no longer installs it.
    int inside = StaysInside(name, TextLength(name));
    if (length < 0)
        return INVALID_HANDLE_VALUE;
    int entered = inside ? EnteredLength(folderLength) : 0;
    // The first separator from the target's last character on ends the target itself, whether
    // or not targetDir ends in one.
    int protectFrom = inside ? targetLength - 1 : kPathCapacity;
    if (CreatePathDirectories(setupState.destPath, entered, protectFrom, setupState.mainWindow,
                              setupState.className) != 0)
        return INVALID_HANDLE_VALUE;
    // Folders outside the target were not given the installation's access list: not kept.
    if (inside && entered < folderLength) {
        CopyBounded(setupState.enteredFolders[setupState.nextEntered], kPathCapacity,
                    setupState.destPath, folderLength);
        setupState.nextEntered = (setupState.nextEntered + 1) & (kEnteredFolders - 1);
    }
    return OpenDestinationPath(kWholePath);
}

// One attempt at the Windows directory: fails without opening anything when the directory is
// unavailable or the whole path does not fit destPath.
static HANDLE TryWindowsDestination(const char* name)
{
    return JoinWindowsPath(setupState.destPath, name) == 0 ? OpenDestinationPath(kNoCheck) : INVALID_HANDLE_VALUE;
}

static HANDLE OpenWindowsDestination(const char* name)
{
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < kWindowsAttempts && file == INVALID_HANDLE_VALUE; attempt++)
        file = TryWindowsDestination(name);
    return file;
}

UINT StartCopy(void)
{
    SetupState& s = setupState;
    if (FindSection(s.instance, s.className, s.mainWindow,
                    s.filesSection, 1, s.scriptText, &s.cursor) != 0) {
        s.errorCount++;
        return UM_FINISH;
    }
    if (s.runMode != kRunWithoutWindow)
        s.progressDialog = CreateDialogParamA(s.instance, "Copy",
                                                       s.mainWindow, CopyDialogProc, 0);
    // Painted now: while the copy runs a step message always waits in the queue, and the
    // queue hands out posted messages before WM_PAINT.
    if (s.progressDialog != 0)
        UpdateWindow(s.progressDialog);
    // From here on every change is recorded, the registry's too, until the final report.
    OpenRunRecord();
    s.underWay = 1;
    s.cancelled = 0;
    s.copiedBytes = 0;
    s.lineLength = 0;
    return UM_NEXT_FILE;
}

enum EntryKind { kEndOfSection, kNothingToCopy, kFileEntry };

// Reads the next Files entry into entryKey and entryValue, tells the progress dialog, and
// splits the value: entryValue keeps the destination name, *sourceName points at the source.
static EntryKind ReadNextEntry(int* toWindows, const char** sourceName)
{
    SetupState& s = setupState;
    s.cursor += s.lineLength;
    const char* line = s.scriptText + s.cursor;
    s.lineLength = ParseEntry(line, &s.keyLength, &s.valueStart,
                                       &s.valueLength);
    if (s.lineLength == 0)
        return kEndOfSection;
    if (s.keyLength == 0 && s.valueLength == 0)
        return kNothingToCopy;

    CopyBounded(s.entryKey, kTextCapacity, line, s.keyLength);
    FilesValue split = SplitFilesValue(s.valueStart, s.valueLength,
                                       s.entryValue, kTextCapacity);
    // The label shows the whole value, so the dialog hears of it before the name is ended.
    NotifyProgressDialog(CMD_COPY_NEW_ENTRY);
    s.entryValue[split.nameLength] = '\0';
    *toWindows = split.toWindows;
    *sourceName = split.source;
    return kFileEntry;
}

// The end of an entry that failed: shows message `id` about path (none when id is 0), closes
// both files (removing a destination cut short), counts the error and returns the step to
// post: the next entry, or the end of the installation when the person answered Cancel.
static UINT FailEntry(UINT id, const char* path, UINT type)
{
    int answer = IDOK;
    LogLine("Not copied: %s (Windows error %lu)", setupState.entryValue, GetLastError());
    if (id != 0)
        answer = ShowCopyFailure(id, path, type);
    CloseCutCopy();
    setupState.errorCount++;
    // Cancel there abandons the run: what it changed is undone before the report.
    if (answer != IDCANCEL)
        return UM_NEXT_FILE;
    setupState.abandoned = 1;
    return UM_FINISH;
}

// A source that differs from its Checksums entry: its copy is removed and the run ends as an
// abandoned one, everything undone, with the damaged medium's report.
static UINT StopOnDamagedSource(void)
{
    FailEntry(0, 0, 0);
    setupState.cancelled = 1;
    return UM_COPY_DONE;
}

UINT CopyNextEntry(void)
{
    // Cancelled while this step waited (during a failure box, or by closing the window):
    // nothing further is opened, created or written.
    if (setupState.cancelled)
        return UM_COPY_DONE;
    int toWindows = 0;
    const char* sourceName = 0;
    EntryKind kind = ReadNextEntry(&toWindows, &sourceName);
    if (kind != kFileEntry)
        return kind == kEndOfSection ? UM_COPY_DONE : UM_NEXT_FILE;

    int sourceLength = FormSourcePath(sourceName);
    if (sourceLength == 0)
        return UM_NEXT_FILE;
    HANDLE source = INVALID_HANDLE_VALUE;
    if (sourceLength > 0)
        source = CreateFileA(setupState.modulePath, GENERIC_READ, FILE_SHARE_READ, 0,
                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, 0);
    // Start-up has already reported every source it could not open, so no message here.
    if (source == INVALID_HANDLE_VALUE)
        return FailEntry(0, 0, 0);
    setupState.sourceFile = source;

    // The size is taken before the destination is touched, so that a source whose size
    // cannot be read leaves no destination created.
    long long size = GetOpenFileSize(setupState.sourceFile);
    // A source listed in the Checksums section is hashed as it is copied.
    if (size < 0 || StartSourceHash(sourceName) != 0)
        return FailEntry(IDS_CANNOT_READ, setupState.modulePath, MB_ICONERROR);

    const char* destinationName = setupState.entryValue;
    // The editor is registered only as this run wrote it; a copy that fails now undoes that.
    setupState.editorInHand = !toWindows && lstrcmpiA(destinationName, kEditorFileName) == 0;
    if (setupState.editorInHand)
        setupState.editorWritten = 0;
    HANDLE destination = toWindows ? OpenWindowsDestination(destinationName)
                                   : OpenTargetDestination(destinationName);
    // Cancel abandons the installation here; the progress dialog stays until the end.
    if (destination == INVALID_HANDLE_VALUE)
        return FailEntry(IDS_CANNOT_OPEN, setupState.destPath, MB_OKCANCEL | MB_ICONERROR);
    setupState.destFile = destination;
    setupState.fileCopied = 0;
    setupState.fileSize = size;
    NotifyProgressDialog(CMD_COPY_PROGRESS);
    return UM_COPY_CHUNK;
}

// Ends a fully copied file: cuts an older, longer content, copies the time stamps and closes
// both files. Returns 0, or -1 with both files still open when the cut failed (the old tail
// would stay behind the new data).
static int FinishFile(void)
{
    if (!SetEndOfFile(setupState.destFile))
        return -1;
    FILETIME created, accessed, written;
    if (GetFileTime(setupState.sourceFile, &created, &accessed, &written))
        SetFileTime(setupState.destFile, &created, &accessed, &written);
    CloseCopyFiles();
    if (setupState.editorInHand)
        setupState.editorWritten = 1;
    return 0;
}

UINT CopyNextChunk(void)
{
    if (setupState.cancelled) {
        FailEntry(0, 0, 0);
        return UM_COPY_DONE;
    }

    DWORD count = 0;
    if (!ReadFile(setupState.sourceFile, setupState.workBuffer, kChunkSize, &count, 0) ||
        HashChunk(setupState.workBuffer, (int)count) != 0)
        return FailEntry(IDS_CANNOT_READ, setupState.modulePath, MB_ICONERROR);
    setupState.bytesRead = (int)count;

    if (setupState.bytesRead > 0) {
        DWORD written = 0;
        // A short write (a full disk) is a failure too: taken as the chunk's length it would
        // end the file early and report the cut copy as complete.
        if (!WriteFile(setupState.destFile, setupState.workBuffer, count, &written, 0) ||
            written != count)
            return FailEntry(IDS_CANNOT_WRITE, setupState.destPath, MB_ICONERROR);
        setupState.bytesRead = (int)written;
        setupState.fileCopied += written;
        setupState.copiedBytes += written;
        NotifyProgressDialog(CMD_COPY_PROGRESS);
    }

    if (setupState.bytesRead == kChunkSize)
        return UM_COPY_CHUNK;
    int checked = EndSourceHash();
    if (checked == -1)
        return StopOnDamagedSource();
    if (checked != 0)
        return FailEntry(IDS_CANNOT_READ, setupState.modulePath, MB_ICONERROR);
    if (FinishFile() != 0)
        return FailEntry(IDS_CANNOT_WRITE, setupState.destPath, MB_ICONERROR);
    LogCopiedFile("Copied", setupState.modulePath, setupState.destPath, setupState.fileCopied);
    NoteInstalledFile();
    return UM_NEXT_FILE;
}

UINT FinishCopy(void)
{
    SetupState& s = setupState;
    if (s.progressDialog != 0)
        DestroyWindow(s.progressDialog);
    s.progressDialog = 0;
    return s.cancelled ? UM_FINISH : UM_SHORTCUTS;
}

// What EnterFolder found at a folder's place.
enum FolderEntry {
    kFolderRefused = -1,   // it cannot be had, or is not a plain folder of that name
    kFolderEntered = 0,
    kFileStandsThere = 1,  // as before, the next step fails and tells which
};

// Opens the folder that path names up to `end`, creating it when missing (with the protected
// access list when `inside`, which never holds for a drive root), and checks it by its handle.
static FolderEntry EnterFolder(char* path, int end, int inside)
{
    DWORD access = FILE_READ_ATTRIBUTES | (inside ? READ_CONTROL | WRITE_DAC | WRITE_OWNER : 0);
    char saved = path[end];
    path[end] = '\0';
    int created = 0;
    HANDLE folder = INVALID_HANDLE_VALUE;
    // Opened first: most folders exist already. A missing one is made, then opened.
    for (int attempt = 0; attempt < 2 && folder == INVALID_HANDLE_VALUE; attempt++) {
        if (attempt > 0) {
            created = CreateRecordedFolder(path, inside);
            if (created)
                LogLine("Created folder %s", path);
        }
        folder = CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, 0);
    }
    FolderEntry result = kFolderRefused;
    FILE_ATTRIBUTE_TAG_INFO kind;
    DWORD volumeFlags = 0;
    if (folder != INVALID_HANDLE_VALUE) {
        if (CheckOpenedPath(folder, path, 0, kWholePath) == 0) {
            result = !inside || created || ProtectOpenedObject(folder) == 0 ? kFolderEntered
                                                                             : kFolderRefused;
            // A drive that keeps no access lists (FAT, some shares) protects nothing: the
            // person chose it, so the files go there all the same.
            if (result == kFolderRefused &&
                GetVolumeInformationByHandleW(folder, 0, 0, 0, 0, &volumeFlags, 0, 0) &&
                !(volumeFlags & FILE_PERSISTENT_ACLS)) {
                LogLine("Not protected (the drive keeps no access lists): %s", path);
                result = kFolderEntered;
            }
        } else if (GetFileInformationByHandleEx(folder, FileAttributeTagInfo, &kind,
                                                sizeof kind) &&
                   !(kind.FileAttributes &
                     (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
            result = kFileStandsThere;
        } else {
            // A link on the way is refused; no call failed for that.
            SetLastError(0);
        }
        CloseHandle(folder);
    }
    path[end] = saved;
    return result;
}

int CreatePathDirectories(char* path, int from, int protectFrom, HWND owner, const char* caption)
{
    int length = TextLength(path);
    // The scan starts after a drive prefix such as C:\, which is never created.
    for (int i = from < 3 ? 3 : from + 1; i < length; i++) {
        if (path[i] != '\\')
            continue;
        if (EnterFolder(path, i, i >= protectFrom && i > 3) == kFolderRefused) {
            path[i] = '\0';
            ShowFormattedMessage(setupState.instance, caption, owner, IDS_CANNOT_CREATE, path,
                                 MB_ICONERROR);
            path[i] = '\\';
            return -1;
        }
    }
    return 0;
}
