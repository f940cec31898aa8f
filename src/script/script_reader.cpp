// Loading the setup script into memory and finding its sections, with failure messages.
#include "script/script_reader.h"

#include "base/file_size.h"
#include "base/locked_blocks.h"
#include "base/message_boxes.h"
#include "base/setup_state.h"
#include "resources/resource_ids.h"

// The routine named in the memory messages.
static const char kLoaderName[] = "FileRead";

// Largest script taken: its size plus the terminating zero must fit a 32-bit signed count,
// so that every offset into the text is an int.
static const LONGLONG kScriptSizeLimit = 0x7FFFFFFE;

UINT BlockFailureMessage(BlockFailure failure)
{
    return failure == kBlockNotLocked ? IDS_CANNOT_LOCK : IDS_CANNOT_ALLOCATE;
}

int LoadScript(HINSTANCE instance, const char* caption, HWND owner, const char* path,
               HGLOBAL* memory, const char** text)
{
    HANDLE file = INVALID_HANDLE_VALUE;
    HGLOBAL block = 0;
    char* data = 0;
    long long size = 0;
    DWORD bytesRead = 0;
    UINT failure = IDS_CANNOT_OPEN;
    BlockFailure blockFailure = kBlockNotAllocated;

    *memory = 0;
    *text = 0;
    file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING,
                       FILE_FLAG_SEQUENTIAL_SCAN, 0);
    if (file == INVALID_HANDLE_VALUE)
        goto done;
    failure = IDS_CANNOT_ALLOCATE;
    size = GetOpenFileSize(file);
    if (size < 0 || size > kScriptSizeLimit)
        goto done;
    data = reinterpret_cast<char*>(ObtainLockedBlock(static_cast<DWORD>(size) + 1, &block,
                                                     &blockFailure));
    if (data == 0) {
        failure = BlockFailureMessage(blockFailure);
        goto done;
    }
    failure = IDS_CANNOT_READ;
    if (!ReadFile(file, data, static_cast<DWORD>(size), &bytesRead, 0)
        || bytesRead != static_cast<DWORD>(size))
        goto done;
    // The zero byte after the data, left by the zero-initialisation, terminates the text.
    *memory = block;
    *text = data;
    failure = 0;

done:
    if (failure != 0) {
        // The memory messages name the routine, the others the file; a quiet load (no
        // caption) shows none.
        if (caption != 0)
            ShowFormattedMessage(instance, caption, owner, failure,
                                 failure == IDS_CANNOT_ALLOCATE || failure == IDS_CANNOT_LOCK
                                     ? kLoaderName
                                     : path,
                                 MB_ICONERROR);
        ReleaseLockedBlock(block);
    }
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return failure != 0 ? -1 : 0;
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
