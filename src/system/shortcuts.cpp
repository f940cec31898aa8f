// The Start-menu group folder and the shell shortcuts of the Group section.
#include "system/shortcuts.h"

#include <shlobj.h>

#include "base/key_paths.h"
#include "base/message_boxes.h"
#include "base/run_log.h"
#include "base/run_record.h"
#include "base/safe_paths.h"
#include "base/setup_messages.h"
#include "base/setup_state.h"
#include "base/system_libraries.h"
#include "resources/resource_ids.h"
#include "script/script_reader.h"
#include "system/group_fields.h"
#include "text/bounded_text.h"

typedef HRESULT(WINAPI* CoInitializeCall)(LPVOID);
typedef HRESULT(WINAPI* CoCreateInstanceCall)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
typedef void(WINAPI* CoUninitializeCall)(void);
typedef HRESULT(WINAPI* CreateStreamCall)(HGLOBAL, BOOL, LPSTREAM*);

// The four COM calls of a shortcut, from the system directory's ole32: found by their names, one
// after the other in kComCallNames, and called through the type of each.
enum ComCall { kInitialise, kCreateInstance, kUninitialise, kCreateStream, kComCallCount };
static const char kComCallNames[] =
    "CoInitialize\0CoCreateInstance\0CoUninitialize\0CreateStreamOnHGlobal";

// Fills calls; 0, or -1 when the library or one of its calls cannot be found.
static int FindComCalls(FARPROC* calls)
{
    HMODULE ole = LoadSystemLibrary("ole32.dll");
    if (ole == nullptr)
        return -1;
    const char* name = kComCallNames;
    for (int call = 0; call < kComCallCount; call++, name += TextLength(name) + 1) {
        calls[call] = GetProcAddress(ole, name);
        if (calls[call] == nullptr)
            return -1;
    }
    return 0;
}

// Writes the link's bytes, made in memory, into linkPath as a new file of the run's record,
// through a handle that is checked to be that file itself: the shell's own save would write
// through a link at that name. An older file there is set aside, to come back when the run is
// undone; a file this call made and could not fill is removed again, and the older one put back.
static HRESULT SaveLinkFile(IShellLinkA* link, const char* linkPath, CreateStreamCall createStream)
{
    IPersistStream* persist = nullptr;
    IStream* stream = nullptr;
    ULONG length = 0;
    HRESULT result = link->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&persist));
    if (SUCCEEDED(result))
        result = createStream(nullptr, TRUE, &stream);
    if (SUCCEEDED(result))
        result = persist->Save(stream, TRUE);
    LARGE_INTEGER start = {};
    if (SUCCEEDED(result))
        result = stream->Seek(start, STREAM_SEEK_SET, nullptr);
    if (SUCCEEDED(result))
        result = stream->Read(setupState.workBuffer, kWorkCapacity, &length);
    if (SUCCEEDED(result)) {
        SetAsideResult replaced;
        DWORD written = 0;
        HANDLE file = CreateRecordedFile(linkPath, kLastStep, &replaced);
        if (file == INVALID_HANDLE_VALUE) {
            result = E_ACCESSDENIED;
        } else {
            if (!WriteFile(file, setupState.workBuffer, length, &written, nullptr) ||
                written != length)
                result = E_FAIL;
            CloseHandle(file);
            if (FAILED(result))
                UndoFileInHand();
        }
    }
    if (stream != nullptr)
        stream->Release();
    if (persist != nullptr)
        persist->Release();
    return result;
}

HRESULT CreateShellShortcut(const char* targetPath, const char* linkPath,
                            const char* description, const char* iconFile, int iconIndex)
{
    IShellLinkA* link = nullptr;
    FARPROC com[kComCallCount];
    if (FindComCalls(com) != 0)
        return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);

    // A failed CoInitialize must not be balanced, or it would undo another owner's init.
    HRESULT initialised = reinterpret_cast<CoInitializeCall>(com[kInitialise])(nullptr);
    HRESULT result = reinterpret_cast<CoCreateInstanceCall>(com[kCreateInstance])(
        CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
        reinterpret_cast<void**>(&link));
    if (SUCCEEDED(result))
        result = link->SetPath(targetPath);
    if (SUCCEEDED(result))
        result = link->SetDescription(description);
    if (SUCCEEDED(result) && iconFile != nullptr)
        result = link->SetIconLocation(iconFile, iconIndex);
    if (SUCCEEDED(result))
        result = link->SetShowCmd(SW_SHOWNORMAL);
    if (SUCCEEDED(result))
        result = SaveLinkFile(link, linkPath,
                              reinterpret_cast<CreateStreamCall>(com[kCreateStream]));

    if (link != nullptr)
        link->Release();
    if (SUCCEEDED(initialised))
        reinterpret_cast<CoUninitializeCall>(com[kUninitialise])();
    return SUCCEEDED(result) ? S_OK : result;
}

// Reads the shell folder `name` into folder (kTextCapacity bytes). 0, or -1 when the value is
// missing or empty: an empty folder would put the files beside the current directory.
static int ReadShellFolder(const char* name, char* folder)
{
    if (ReadKeyPathValue(HKEY_CURRENT_USER, kShellFoldersKey, name, REG_SZ, folder,
                         kTextCapacity) != 0)
        return -1;
    return folder[0] == '\0' ? -1 : 0;
}

// Makes the entry's shortcut in folder, named entryKey, counting an error when it cannot be
// made (a name cut to fit would be another file): the final report must not announce an icon
// that is not there.
static void CreateCountedShortcut(const ShortcutFields& fields, const char* folder)
{
    SetupState& s = setupState;
    char linkPath[kPathCapacity];
    HRESULT result = JoinPath(linkPath, kPathCapacity, folder, s.entryKey) < 0
                         ? E_FAIL
                         : CreateShellShortcut(fields.targetPath, linkPath, fields.description,
                                               fields.iconFile, fields.iconIndex);
    LogLine("Shortcut %s -> %s, result 0x%lx", linkPath, fields.targetPath, result);
    if (result != S_OK)
        s.errorCount++;
}

// Makes one shortcut per entry of the Group section, from the cursor on, until the end of the
// section or the first entry without key and value; the first one also on the desktop.
static void CreateEntryShortcuts(void)
{
    SetupState& s = setupState;
    ShortcutFields fields;
    int firstEntry = 1;
    s.lineLength = 0;
    for (;;) {
        const char* line = s.scriptText + s.cursor;
        s.lineLength = ParseEntry(line, &s.keyLength, &s.valueStart, &s.valueLength);
        if (s.lineLength == 0)
            break;
        if (s.keyLength == 0 && s.valueLength == 0)
            break;
        CopyBounded(s.entryKey, kTextCapacity, line, s.keyLength);
        CopyBounded(s.entryValue, kTextCapacity, s.valueStart, s.valueLength);
        s.valueStart = s.entryValue;
        SplitGroupValue(s.entryValue, s.targetDir, &fields);

        CreateCountedShortcut(fields, s.groupFolder);

        if (firstEntry) {
            firstEntry = 0;
            if (ReadShellFolder(kDesktopFolderValue, s.desktopFolder) == 0)
                CreateCountedShortcut(fields, s.desktopFolder);
            else
                s.errorCount++;
        }
        s.cursor += s.lineLength;
    }
}

int CreateGroupShortcuts(void)
{
    SetupState& s = setupState;
    HWND mainWindow = s.mainWindow;
    if (FindScriptSection(mainWindow, s.groupSection, 0) != 0)
        return 0;

    SetCapture(mainWindow);
    // No folder and no shortcut can be made: counted, so that the report does not claim them.
    if (ReadShellFolder(kProgramsFolderValue, s.programsFolder) != 0) {
        s.errorCount++;
        ReleaseCapture();
        return -1;
    }

    JoinPath(s.groupFolder, kTextCapacity, s.programsFolder, s.applicationName);

    // An existing folder is entered. It is held open, without leave to delete or rename it,
    // while the shortcuts are written into it; one that is a link, or reached through one,
    // counts as not made.
    CreateRecordedFolder(s.groupFolder, 0);
    HANDLE group = CreateFileA(s.groupFolder, FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (group != INVALID_HANDLE_VALUE && CheckOpenedPath(group, s.groupFolder, 0, kLastStep) != 0) {
        CloseHandle(group);
        group = INVALID_HANDLE_VALUE;
    }
    if (group == INVALID_HANDLE_VALUE) {
        s.errorCount++;
        ReleaseCapture();
        ShowSetupMessage(s.applicationName, mainWindow, IDS_CANNOT_CREATE, s.groupFolder,
                         MB_ICONERROR);
        return 0;
    }

    FindScriptSection(mainWindow, s.groupSection, 1);
    CreateEntryShortcuts();
    CloseHandle(group);

    ReleaseCapture();
    return 0;
}
