// Start-up: string table, window class, setup script and settings, size pass, message loop.
#include "setup/startup.h"

#include <stddef.h>

#include "base/exit_statuses.h"
#include "base/file_size.h"
#include "base/locked_blocks.h"
#include "base/message_boxes.h"
#include "base/private_messages.h"
#include "base/run_mutex.h"
#include "base/run_log.h"
#include "base/setup_messages.h"
#include "base/setup_state.h"
#include "base/run_record.h"
#include "copy/source_checks.h"
#include "resources/resource_ids.h"
#include "script/files_value.h"
#include "script/script_reader.h"
#include "script/script_scan.h"
#include "setup/installation_sequence.h"
#include "setup/switches.h"
#include "text/bounded_text.h"

namespace {

const char kScriptExtension[] = ".INF";
const int kScriptExtensionLength = 4;

const COLORREF kBarColor = 0xFF0000;    // pure blue
const COLORREF kGrayColor = 0xC0C0C0;   // light grey

// A string of the table and the field of setupState it is loaded into, by the field's offset:
// four bytes a row, and no address that the loader would have to relocate.
struct StringField {
    unsigned char id;
    unsigned char capacity;
    unsigned short offset;
};

#define STRING_FIELD(id, field, capacity) {id, capacity, offsetof(SetupState, field)}

void LoadNames(void)
{
    SetupState& s = setupState;
    static const StringField names[] = {
        STRING_FIELD(IDS_CLASS_NAME, className, kNameCapacity),
        STRING_FIELD(IDS_DIRECTORY_PROMPT, directoryPrompt, kTextCapacity),
        STRING_FIELD(IDS_SIZE_FORMAT, sizeFormat, kTextCapacity),
        STRING_FIELD(IDS_FILES_SECTION, filesSection, kNameCapacity),
        STRING_FIELD(IDS_CHECKSUMS_SECTION, checksumsSection, kNameCapacity),
        STRING_FIELD(IDS_GROUP_SECTION, groupSection, kNameCapacity),
        STRING_FIELD(IDS_INSTALL_SECTION, installSection, kNameCapacity),
        STRING_FIELD(IDS_REGISTRATION_SECTION, registrationSection, kNameCapacity),
        STRING_FIELD(IDS_BITMAP_KEY, bitmapKey, kNameCapacity),
        STRING_FIELD(IDS_APPLICATION_KEY, applicationKey, kNameCapacity),
        STRING_FIELD(IDS_CAPTION_KEY, captionKey, kNameCapacity),
        STRING_FIELD(IDS_DIRECTORY_KEY, directoryKey, kNameCapacity),
        STRING_FIELD(IDS_SUFFIXES_KEY, suffixesKey, kNameCapacity),
        STRING_FIELD(IDS_PUBLISHER_KEY, publisherKey, kNameCapacity),
        STRING_FIELD(IDS_VERSION_KEY, versionKey, kNameCapacity),
    };
    for (const StringField& name : names)
        LoadStringA(s.instance, name.id, reinterpret_cast<char*>(&s) + name.offset,
                    name.capacity);
}

void RegisterMainClass(void)
{
    SetupState& s = setupState;
    WNDCLASSA windowClass = {};
    windowClass.style = CS_VREDRAW | CS_HREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = s.instance;
    windowClass.hIcon = LoadIconA(s.instance, s.className);
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    windowClass.lpszMenuName = NULL;
    windowClass.lpszClassName = s.className;
    RegisterClassA(&windowClass);
}

// Puts the script's path into modulePath and the program path's split into driveLength,
// dirLength and extPosition; 0, or -1 after IDS_CANNOT_OPEN when the path does not fit.
int FormScriptPath(void)
{
    SetupState& s = setupState;
    DWORD length = GetModuleFileNameA(s.instance, s.modulePath, kPathCapacity);
    s.modulePath[kPathCapacity - 1] = '\0';
    int fits = length != 0 && length < static_cast<DWORD>(kPathCapacity);
    if (fits) {
        PathSplit split = SplitPath(s.modulePath);
        s.driveLength = split.driveLength;
        s.dirLength = split.dirLength;
        s.extPosition = split.extPosition;
        // A program name without a '.' gets the extension added at its end.
        int extension = split.extPosition != 0 ? split.extPosition : static_cast<int>(length);
        int scriptLength = AppendBounded(s.modulePath, kPathCapacity, extension, kScriptExtension,
                                         kScriptExtensionLength);
        fits = scriptLength == extension + kScriptExtensionLength;
    }
    if (!fits) {
        // A cut path would name another file.
        ShowSetupMessage(s.className, NULL, IDS_CANNOT_OPEN, s.modulePath, MB_ICONERROR);
        return -1;
    }
    CopyText(s.scriptPath, kPathCapacity, s.modulePath);
    return 0;
}

// Reads the four Install settings; 0, or -1 after IDS_NO_SECTION when the section is missing
// or IDS_NO_APPLICATION when it names no application (whose name the group folder and the
// uninstall entry need).
int ReadInstallSettings(void)
{
    SetupState& s = setupState;
    if (FindScriptSection(NULL, s.installSection, 1) != 0)
        return -1;
    // The key's name and the field its value goes into (kTextCapacity bytes), by their offsets
    // in setupState as the string fields are.
    struct SettingField {
        unsigned short key;
        unsigned short field;
    };
    static const SettingField fields[] = {
        {offsetof(SetupState, bitmapKey), offsetof(SetupState, bitmapFile)},
        {offsetof(SetupState, applicationKey), offsetof(SetupState, applicationName)},
        {offsetof(SetupState, captionKey), offsetof(SetupState, caption)},
        {offsetof(SetupState, directoryKey), offsetof(SetupState, targetDir)},
        {offsetof(SetupState, publisherKey), offsetof(SetupState, publisher)},
        {offsetof(SetupState, versionKey), offsetof(SetupState, version)},
    };
    enum { kDirectorySetting = 3 };
    char* record = reinterpret_cast<char*>(&s);
    NamedKey settings[ARRAYSIZE(fields)];
    for (int i = 0; i < static_cast<int>(ARRAYSIZE(fields)); i++)
        settings[i] = {record + fields[i].key, record + fields[i].field, kTextCapacity};
    // A target from the command line stands in place of the script's Directory.
    char scriptDirectory[kTextCapacity];
    if (s.targetGiven)
        settings[kDirectorySetting].field = scriptDirectory;
    ReadNamedKeys(s.scriptText, &s.cursor, settings, ARRAYSIZE(settings));
    if (s.applicationName[0] == '\0') {
        ShowSetupMessage(s.className, NULL, IDS_NO_APPLICATION, s.installSection,
                         MB_ICONINFORMATION);
        return -1;
    }
    return 0;
}

// The size of the source that a Files value names (valueLength bytes at value), its path
// formed in modulePath after the program's folder as the copy forms it; 0 for a file that
// tells no size, or -1 after IDS_CANNOT_OPEN when the source cannot be opened.
long long SourceSize(const char* value, int valueLength)
{
    SetupState& s = setupState;
    char entry[kTextCapacity];
    FilesValue split = SplitFilesValue(value, valueLength, entry, kTextCapacity);
    const char* source = split.source;
    int sourceLength = TextLength(source);
    int pathLength = AppendBounded(s.modulePath, kPathCapacity, s.dirLength, source, sourceLength);
    if (pathLength == 0)
        return 0;

    // A source path cut at the buffer's end would name another file: it counts as unopenable.
    HANDLE file = INVALID_HANDLE_VALUE;
    if (pathLength == s.dirLength + sourceLength)
        file = CreateFileA(s.modulePath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        // A medium that lists its files is damaged without it: the run ends before the copy.
        if (s.checksumsCursor != 0)
            NoteDamaged(s.modulePath);
        else
            ShowSetupMessage(s.className, NULL, IDS_CANNOT_OPEN, s.modulePath, MB_ICONINFORMATION);
        return -1;
    }
    long long size = GetOpenFileSize(file);
    CheckSourceSize(file, source, size);
    CloseHandle(file);
    return size > 0 ? size : 0;
}

// Sums the sizes of the Files sources into totalBytes, counts those that cannot be opened in
// errorCount, and checks them against the Checksums section; 0, or -1 after IDS_NO_SECTION when
// the Files section is missing.
int SumSourceSizes(void)
{
    SetupState& s = setupState;
    int cursor = 0;
    FindChecksums();
    if (FindSection(s.instance, s.className, NULL, s.filesSection, 1, s.scriptText, &cursor) != 0)
        return -1;
    long long total = 0;
    int unopened = 0;
    for (;;) {
        int keyLength = 0;
        const char* value = 0;
        int valueLength = 0;
        int length = ParseEntry(s.scriptText + cursor, &keyLength, &value, &valueLength);
        if (length == 0)
            break;
        if (keyLength != 0 || valueLength != 0) {
            long long size = SourceSize(value, valueLength);
            if (size < 0)
                unopened++;
            else
                total += size;
        }
        cursor += length;
    }
    s.totalBytes = total;
    s.errorCount = unopened;
    return 0;
}

// Serves the progress dialog first, then the thread's messages; the quit message's status.
int RunMessageLoop(void)
{
    SetupState& s = setupState;
    MSG message;
    for (;;) {
        // Everything waiting for the progress dialog goes first, so that its Cancel button
        // is served even while the copy steps keep the queue full.
        while (s.progressDialog != 0 && PeekMessageA(&message, s.progressDialog, 0, 0, PM_REMOVE)) {
            // The quit message passes the window filter too; handed to the dialog manager it
            // would be lost, and the program would never end while the dialog is still open.
            if (message.message == WM_QUIT)
                return static_cast<int>(message.wParam);
            IsDialogMessageA(s.progressDialog, &message);
        }

        BOOL result = GetMessageA(&message, NULL, 0, 0);
        if (result == 0)
            return static_cast<int>(message.wParam);
        if (result == -1)
            return kExitEarlyEnd;
        if (s.progressDialog != 0 && IsDialogMessageA(s.progressDialog, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Creates the brushes and the full-screen window, queues the first step and runs the loop.
int RunMainWindow(void)
{
    SetupState& s = setupState;
    // Until a report or Cancel says otherwise, the end of the window is an early end.
    s.exitStatus = kExitEarlyEnd;
    s.barBrush = CreateSolidBrush(kBarColor);
    s.grayBrush = CreateSolidBrush(kGrayColor);
    // Without any window the main window still carries the steps' messages, unseen.
    s.mainWindow = CreateWindowExA(0, s.className, s.className,
                                   WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                                   GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                   NULL, NULL, s.instance, NULL);
    if (s.mainWindow == 0)
        return kExitEarlyEnd;
    SetWindowTextA(s.mainWindow, s.caption);
    if (s.runMode != kRunWithoutWindow)
        ShowWindow(s.mainWindow, SW_SHOW);
    PostMessageA(s.mainWindow, UM_START, 0, 0);
    return RunMessageLoop();
}

void ReleaseStartup(void)
{
    SetupState& s = setupState;
    if (s.barBrush != 0)
        DeleteObject(s.barBrush);
    if (s.grayBrush != 0)
        DeleteObject(s.grayBrush);
    s.barBrush = 0;
    s.grayBrush = 0;
    UnregisterClassA(s.className, s.instance);
    ReleaseHash(&s.sourceHash);
    ReleaseLockedBlock(s.scriptMemory);
    s.scriptMemory = 0;
    s.scriptText = 0;
}

// Opens the log under the application's name once it is known, so that a long run's lines
// reach the file while it runs.
void OpenLog(void)
{
    SetupState& s = setupState;
    OpenRunLog(s.logPath, s.applicationName[0] != '\0' ? s.applicationName : "Setup");
}

}  // namespace

int RunSetup(HINSTANCE instance, const char* commandLine)
{
    SetupState& s = setupState;
    int status = kExitEarlyEnd;
    s.instance = instance;
    LoadNames();
    LogStart(commandLine);
    // The switches come first, so that a quiet run refused below shows no box either.
    if (ReadSwitches(commandLine, &status) == 0) {
        char lockPath[kPathCapacity];
        RunLock lock = TakeRunMutex(kRunForAllUsers, lockPath);
        if (lock == kRunLockHeld) {
            ShowRefusal(s.className, NULL, IDS_ANOTHER_RUN, NULL);
            status = kExitAnotherRun;
        } else if (lock == kRunLockFailed) {
            // Without the lock another run could change the same files at the same time.
            ShowSetupMessage(s.className, NULL, IDS_CANNOT_OPEN, lockPath, MB_ICONERROR);
        } else if (UndoKilledRun() == kRecordUndoLeft) {
            // The machine is in neither the old installation nor a new one: nothing may start
            // from there. What is left is undone by the next run of either program.
            ShowRefusal(s.className, NULL, IDS_UNDO_LEFT, NULL);
            status = kExitAnotherRun;
        } else {
            RegisterMainClass();
            if (FormScriptPath() == 0) {
                LogLine("Script: %s", s.modulePath);
                if (LoadScript(s.instance, s.className, NULL, s.modulePath, &s.scriptMemory,
                               &s.scriptText) == 0 &&
                    ReadInstallSettings() == 0 && SumSourceSizes() == 0) {
                    OpenLog();
                    status = EndMediumCheck();
                    if (status < 0)
                        status = RunMainWindow();
                }
            }
            ReleaseStartup();
        }
    }
    LogLine("Exit status %d", status);
    OpenLog();
    CloseRunLog();
    return status;
}
