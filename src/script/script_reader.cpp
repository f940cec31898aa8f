// Loading the setup script into memory and finding its sections, with failure messages.
#include "script/script_reader.h"

#include "base/file_size.h"
#include "base/locked_blocks.h"
#include "base/message_boxes.h"
#include "base/setup_state.h"
#include "resources/resource_ids.h"

// The routine named in the memory messages.
static const char kLoaderName[] = "FileRead";

UINT BlockFailureMessage(BlockFailure failure)
{
    return failure == kBlockNotLocked ? IDS_CANNOT_LOCK
           : failure == kBlockNotRead ? IDS_CANNOT_READ
                                      : IDS_CANNOT_ALLOCATE;
}

int LoadScript(HINSTANCE instance, const char* caption, HWND owner, const char* path,
               HGLOBAL* memory, const char** text)
{
    UINT failure = IDS_CANNOT_OPEN;
    *memory = 0;
    *text = 0;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, 0);
    if (file != INVALID_HANDLE_VALUE) {
        BlockFailure blockFailure;
        *text = ReadWholeFile(file, memory, &blockFailure);
        failure = *text != 0 ? 0 : BlockFailureMessage(blockFailure);
        CloseHandle(file);
    }
    if (failure == 0)
        return 0;
    // A quiet load (no caption) shows none.
    if (caption != 0)
        ShowLoadFailure(instance, caption, owner, failure, path, kLoaderName, MB_ICONERROR);
    return -1;
}

void ShowLoadFailure(HINSTANCE instance, const char* caption, HWND owner, UINT failure,
                     const char* path, const char* routine, UINT type)
{
    ShowFormattedMessage(instance, caption, owner, failure,
                         failure == IDS_CANNOT_ALLOCATE || failure == IDS_CANNOT_LOCK ? routine
                                                                                      : path,
                         type);
}

int FindSection(HINSTANCE instance, const char* caption, HWND owner, const char* name,
                int report, const char* text, int* cursor)
{
    if (ScanForSection(text, name, cursor) == 0)
        return 0;
    if (report)
        ShowFormattedMessage(instance, caption, owner, IDS_NO_SECTION, name, MB_ICONINFORMATION);
    return -1;
}

int FindScriptSection(HWND owner, const char* name, int report)
{
    return FindSection(setupState.instance, setupState.className, owner, name, report,
                       setupState.scriptText, &setupState.cursor);
}
