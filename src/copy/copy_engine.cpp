// The copy engine: one Files entry or one 8192-byte chunk per private message.
#include "copy/copy_engine.h"
#include "copy/installed_files.h"

#include "base/file_size.h"
#include "base/message_boxes.h"
#include "base/private_messages.h"
#include "base/setup_state.h"
#include "copy/progress_dialog.h"
#include "copy/run_record.h"
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
    CloseHandleOf(&setupState.sourceFile);
    CloseHandleOf(&setupState.destFile);
}

// Closes both files of a copy cut short and removes its destination, which holds only part of
// the source: unless it is an older file that the copy has not written to yet, and so still
// holds the whole of what it held.
static void CloseCutCopy(void)
{
    int cut = setupState.destFile != 0 && (setupState.destCreated || setupState.fileCopied > 0);
    CloseCopyFiles();
    if (cut)
        UndoFileInHand();
}

static int ShowCopyFailure(UINT id, const char* path, UINT type)
{
    return ShowFormattedMessage(setupState.instance, setupState.className, setupState.mainWindow,
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

// An older file is set aside first, so that it can be put back untouched.
static HANDLE OpenDestinationPath(void)
{
    int replaced = 0;
    HANDLE file = CreateRecordedFile(setupState.destPath, &replaced);
    setupState.destCreated = file == INVALID_HANDLE_VALUE ? 0 : replaced > 0 ? 2 : 1;
    return file;
}

static HANDLE OpenTargetDestination(const char* name)
{
    JoinPath(setupState.destPath, kPathCapacity, setupState.targetDir, name);
    // A directory that cannot be created has been reported; the open below tells the rest.
    CreatePathDirectories(setupState.destPath, setupState.mainWindow, setupState.className);
    return OpenDestinationPath();
}

// One attempt at the Windows directory: fails without opening anything when the directory is
// unavailable or the whole path does not fit destPath.
static HANDLE TryWindowsDestination(const char* name)
{
    char windowsDir[kPathCapacity];
    UINT directoryLength = GetWindowsDirectoryA(windowsDir, kPathCapacity);
    if (directoryLength == 0 || directoryLength >= kPathCapacity)
        return INVALID_HANDLE_VALUE;
    if (JoinPath(setupState.destPath, kPathCapacity, windowsDir, name) < 0)
        return INVALID_HANDLE_VALUE;
    return OpenDestinationPath();
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
    if (FindSection(setupState.instance, setupState.className, setupState.mainWindow,
                    setupState.filesSection, 1, setupState.scriptText, &setupState.cursor) != 0) {
        setupState.errorCount++;
        return UM_FINISH;
    }
    setupState.progressDialog = CreateDialogParamA(setupState.instance, "Copy",
                                                   setupState.mainWindow, CopyDialogProc, 0);
    // Painted now: while the copy runs a step message always waits in the queue, and the
    // queue hands out posted messages before WM_PAINT.
    if (setupState.progressDialog != 0)
        UpdateWindow(setupState.progressDialog);
    setupState.cancelled = 0;
    setupState.copiedBytes = 0;
    setupState.lineLength = 0;
    return UM_NEXT_FILE;
}

enum EntryKind { kEndOfSection, kNothingToCopy, kFileEntry };

// Reads the next Files entry into entryKey and entryValue, tells the progress dialog, and
// splits the value: entryValue keeps the destination name, *sourceName points at the source.
static EntryKind ReadNextEntry(int* toWindows, const char** sourceName)
{
    setupState.cursor += setupState.lineLength;
    const char* line = setupState.scriptText + setupState.cursor;
    setupState.lineLength = ParseEntry(line, &setupState.keyLength, &setupState.valueStart,
                                       &setupState.valueLength);
    if (setupState.lineLength == 0)
        return kEndOfSection;
    if (setupState.keyLength == 0 && setupState.valueLength == 0)
        return kNothingToCopy;

    CopyBounded(setupState.entryKey, kTextCapacity, line, setupState.keyLength);
    FilesValue split = SplitFilesValue(setupState.valueStart, setupState.valueLength,
                                       setupState.entryValue, kTextCapacity);
    // The label shows the whole value, so the dialog hears of it before the name is ended.
    NotifyProgressDialog(CMD_COPY_NEW_ENTRY);
    setupState.entryValue[split.nameLength] = '\0';
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
    if (id != 0)
        answer = ShowCopyFailure(id, path, type);
    CloseCutCopy();
    setupState.errorCount++;
    return answer == IDCANCEL ? UM_FINISH : UM_NEXT_FILE;
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
    if (size < 0)
        return FailEntry(IDS_CANNOT_READ, setupState.modulePath, MB_ICONERROR);

    const char* destinationName = setupState.entryValue;
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
    return 0;
}

UINT CopyNextChunk(void)
{
    if (setupState.cancelled) {
        FailEntry(0, 0, 0);
        return UM_COPY_DONE;
    }

    DWORD count = 0;
    if (!ReadFile(setupState.sourceFile, setupState.workBuffer, kChunkSize, &count, 0))
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
    if (FinishFile() != 0)
        return FailEntry(IDS_CANNOT_WRITE, setupState.destPath, MB_ICONERROR);
    NoteInstalledFile();
    return UM_NEXT_FILE;
}

UINT FinishCopy(void)
{
    if (setupState.progressDialog != 0)
        DestroyWindow(setupState.progressDialog);
    setupState.progressDialog = 0;
    return setupState.cancelled ? UM_FINISH : UM_SHORTCUTS;
}

// Whether the directory named by path up to `end` can be taken as existing: created now, found,
// or refused (a protected directory that exists answers access denied).
static int CreateOneDirectory(char* path, int end)
{
    char saved = path[end];
    path[end] = '\0';
    int done = CreateDirectoryA(path, 0) != 0;
    DWORD error = done ? 0 : GetLastError();
    if (done)
        NoteCreated(path, 0);
    path[end] = saved;
    return done || error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
}

int CreatePathDirectories(char* path, HWND owner, const char* caption)
{
    int length = TextLength(path);
    // The whole directory part is tried first: when it exists or can be created, so do all of
    // its prefixes. Successive entries mostly share their directory, and under Wine each
    // attempt is a round trip to the server, a dozen per entry in deep trees.
    int last = length - 1;
    while (last >= 3 && path[last] != '\\')
        last--;
    if (last < 3)
        return 0;
    if (CreateOneDirectory(path, last))
        return 0;
    // The scan starts after a drive prefix such as C:\, which is never created.
    for (int i = 3; i < length; i++) {
        if (path[i] != '\\')
            continue;
        if (!CreateOneDirectory(path, i)) {
            path[i] = '\0';
            ShowFormattedMessage(setupState.instance, caption, owner, IDS_CANNOT_CREATE, path,
                                 MB_ICONERROR);
            path[i] = '\\';
            return -1;
        }
    }
    return 0;
}
