// The Start-menu group folder and the shell shortcuts of the Group section.
#include "system/shortcuts.h"

#include <shlobj.h>

#include "base/key_paths.h"
#include "base/message_boxes.h"
#include "base/run_log.h"
#include "base/setup_state.h"
#include "base/system_libraries.h"
#include "resources/resource_ids.h"
#include "script/script_reader.h"
#include "system/group_fields.h"
#include "text/bounded_text.h"

static const char kShellFoldersPath[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

typedef HRESULT(WINAPI* CoInitializeCall)(LPVOID);
typedef HRESULT(WINAPI* CoCreateInstanceCall)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
typedef void(WINAPI* CoUninitializeCall)(void);

// The three COM calls of a shortcut, from the system directory's ole32.
struct ComCalls {
    CoInitializeCall initialise;
    CoCreateInstanceCall createInstance;
    CoUninitializeCall uninitialise;
};

// Fills calls; 0, or -1 when the library or one of its calls cannot be found.
static int FindComCalls(ComCalls* calls)
{
    HMODULE ole = LoadSystemLibrary("ole32.dll");
    if (ole == nullptr)
        return -1;
    calls->initialise = reinterpret_cast<CoInitializeCall>(GetProcAddress(ole, "CoInitialize"));
    calls->createInstance =
        reinterpret_cast<CoCreateInstanceCall>(GetProcAddress(ole, "CoCreateInstance"));
    calls->uninitialise =
        reinterpret_cast<CoUninitializeCall>(GetProcAddress(ole, "CoUninitialize"));
    if (calls->initialise == nullptr || calls->createInstance == nullptr ||
        calls->uninitialise == nullptr)
        return -1;
    return 0;
}

HRESULT CreateShellShortcut(const char* targetPath, const char* linkPath,
                            const char* description, const char* iconFile, int iconIndex)
{
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    WCHAR wideLinkPath[kPathCapacity];
    ComCalls com;
    if (FindComCalls(&com) != 0)
        return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);

    // A failed CoInitialize must not be balanced, or it would undo another owner's init.
    HRESULT initialised = com.initialise(nullptr);
    HRESULT result = com.createInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IShellLinkA, reinterpret_cast<void**>(&link));
    if (SUCCEEDED(result))
        result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(result))
        result = link->SetPath(targetPath);
    if (SUCCEEDED(result))
        result = link->SetDescription(description);
    if (SUCCEEDED(result) && iconFile != nullptr)
        result = link->SetIconLocation(iconFile, iconIndex);
    if (SUCCEEDED(result))
        result = link->SetShowCmd(SW_SHOWNORMAL);
    if (SUCCEEDED(result)) {
        // A path that does not fit would leave the wide buffer unterminated.
        if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wideLinkPath, kPathCapacity) == 0)
            result = HRESULT_FROM_WIN32(GetLastError());
    }
    if (SUCCEEDED(result))
        result = file->Save(wideLinkPath, TRUE);

    if (file != nullptr)
        file->Release();
    if (link != nullptr)
        link->Release();
    if (SUCCEEDED(initialised))
        com.uninitialise();
    return SUCCEEDED(result) ? S_OK : result;
}

// Makes the entry's shortcut in folder, named entryKey, counting an error when it cannot be
// made (a name cut to fit would be another file): the final report must not announce an icon
// that is not there.
static void CreateCountedShortcut(const ShortcutFields& fields, const char* folder)
{
    char linkPath[kPathCapacity];
    HRESULT result = JoinPath(linkPath, kPathCapacity, folder, setupState.entryKey) < 0
                         ? E_FAIL
                         : CreateShellShortcut(fields.targetPath, linkPath, fields.description,
                                               fields.iconFile, fields.iconIndex);
    LogLine("Shortcut %s -> %s, result 0x%lx", linkPath, fields.targetPath, result);
    if (result != S_OK)
        setupState.errorCount++;
}

// Makes one shortcut per entry of the Group section, from the cursor on, until the end of the
// section or the first entry without key and value; the first one also on the desktop.
static void CreateEntryShortcuts(void)
{
    ShortcutFields fields;
    int firstEntry = 1;
    setupState.lineLength = 0;
    for (;;) {
        const char* line = setupState.scriptText + setupState.cursor;
        setupState.lineLength = ParseEntry(line, &setupState.keyLength, &setupState.valueStart,
                                           &setupState.valueLength);
        if (setupState.lineLength == 0)
            break;
        if (setupState.keyLength == 0 && setupState.valueLength == 0)
            break;
        CopyBounded(setupState.entryKey, kTextCapacity, line, setupState.keyLength);
        CopyBounded(setupState.entryValue, kTextCapacity, setupState.valueStart,
                    setupState.valueLength);
        setupState.valueStart = setupState.entryValue;
        SplitGroupValue(setupState.entryValue, setupState.targetDir, &fields);

        CreateCountedShortcut(fields, setupState.groupFolder);

        if (firstEntry) {
            firstEntry = 0;
            if (ReadKeyPathValue(HKEY_CURRENT_USER, kShellFoldersPath, "Desktop", REG_SZ,
                                 setupState.desktopFolder, kTextCapacity) == 0)
                CreateCountedShortcut(fields, setupState.desktopFolder);
            else
                setupState.errorCount++;
        }
        setupState.cursor += setupState.lineLength;
    }
}

int CreateGroupShortcuts(void)
{
    HWND mainWindow = setupState.mainWindow;
    if (FindSection(setupState.instance, setupState.className, mainWindow,
                    setupState.groupSection, 0, setupState.scriptText, &setupState.cursor) != 0)
        return 0;

    SetCapture(mainWindow);
    // No folder and no shortcut can be made: counted, so that the report does not claim them.
    if (ReadKeyPathValue(HKEY_CURRENT_USER, kShellFoldersPath, "Programs", REG_SZ,
                         setupState.programsFolder, kTextCapacity) != 0) {
        setupState.errorCount++;
        ReleaseCapture();
        return -1;
    }

    JoinPath(setupState.groupFolder, kTextCapacity, setupState.programsFolder,
             setupState.applicationName);

    if (!CreateDirectoryA(setupState.groupFolder, nullptr)
        && GetLastError() != ERROR_ALREADY_EXISTS) {
        setupState.errorCount++;
        ReleaseCapture();
        ShowFormattedMessage(setupState.instance, setupState.applicationName, mainWindow,
                             IDS_CANNOT_CREATE, setupState.groupFolder, MB_ICONERROR);
        return 0;
    }

    FindSection(setupState.instance, setupState.className, mainWindow, setupState.groupSection,
                1, setupState.scriptText, &setupState.cursor);
    CreateEntryShortcuts();

    ReleaseCapture();
    return 0;
}
