// The background picture: read once from a BMP file and tiled over the main window.
#include "background/background_bitmap.h"

#include "background/bitmap_header.h"
#include "base/file_size.h"
#include "base/locked_blocks.h"
#include "base/message_boxes.h"
#include "base/setup_messages.h"
#include "base/setup_state.h"
#include "script/script_reader.h"
#include "resources/resource_ids.h"
#include "text/bounded_text.h"

namespace {

const char kRoutineName[] = "GetBitmap";

// Reads exactly count bytes; 0, or -1 when the read fails or comes short.
int ReadExactly(HANDLE file, void* buffer, DWORD count)
{
    DWORD delivered = 0;
    if (!ReadFile(file, buffer, count, &delivered, NULL) || delivered != count)
        return -1;
    return 0;
}

}  // namespace

HBITMAP LoadBitmapFile(HINSTANCE instance, const char* caption, HWND owner, const char* path,
                       HDC dc)
{
    HANDLE file = INVALID_HANDLE_VALUE;
    HGLOBAL headerMemory = 0;
    HGLOBAL pixelMemory = 0;
    unsigned char* header = 0;
    unsigned char* pixels = 0;
    HBITMAP bitmap = 0;
    UINT failure = 0;
    BlockFailure blockFailure = kBlockNotAllocated;
    unsigned char fileHeader[kFileHeaderSize];
    unsigned char infoHeader[kInfoHeaderSize];
    BitmapSizes sizes = {0, 0};
    BitmapCheck check = kBitmapUsable;
    long long fileSize = 0;

    if (path[0] == '\0')
        goto done;
    file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                       FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        failure = IDS_CANNOT_OPEN;
        goto done;
    }
    if (ReadExactly(file, fileHeader, kFileHeaderSize) != 0 ||
        ReadExactly(file, infoHeader, kInfoHeaderSize) != 0) {
        failure = IDS_CANNOT_READ;
        goto done;
    }
    // The sizes in the headers are checked against the file before anything is allocated, so
    // that a garbage header never leads to a huge block or to a conversion past the data.
    fileSize = GetOpenFileSize(file);
    if (fileSize < 0)
        fileSize = 0;
    check = CheckBitmapHeader(fileHeader, infoHeader, static_cast<unsigned long long>(fileSize),
                              &sizes);
    if (check != kBitmapUsable) {
        failure = check == kBitmapTruncated ? IDS_CANNOT_READ : IDS_CANNOT_MAKE_BITMAP;
        goto done;
    }

    header = ObtainLockedBlock(sizes.headerBytes + 1, &headerMemory, &blockFailure);
    if (header == 0) {
        failure = BlockFailureMessage(blockFailure);
        goto done;
    }
    CopyMemory(header, infoHeader, kInfoHeaderSize);
    if (ReadExactly(file, header + kInfoHeaderSize, sizes.headerBytes - kInfoHeaderSize) != 0) {
        failure = IDS_CANNOT_READ;
        goto done;
    }
    pixels = ObtainLockedBlock(sizes.pixelBytes + 1, &pixelMemory, &blockFailure);
    if (pixels == 0) {
        failure = BlockFailureMessage(blockFailure);
        goto done;
    }
    // The file position is now bfOffBits, where the pixel data begin.
    if (ReadExactly(file, pixels, sizes.pixelBytes) != 0) {
        failure = IDS_CANNOT_READ;
        goto done;
    }
    CloseHandle(file);
    file = INVALID_HANDLE_VALUE;

    bitmap = CreateDIBitmap(dc, reinterpret_cast<BITMAPINFOHEADER*>(header), CBM_INIT, pixels,
                            reinterpret_cast<BITMAPINFO*>(header), DIB_RGB_COLORS);
    if (bitmap == 0)
        failure = IDS_CANNOT_MAKE_BITMAP;

done:
    ReleaseLockedBlock(pixelMemory);
    ReleaseLockedBlock(headerMemory);
    if (failure != 0)
        ShowLoadFailure(instance, caption, owner, failure, path, kRoutineName,
                        failure == IDS_CANNOT_MAKE_BITMAP ? MB_ICONINFORMATION : MB_ICONERROR);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return bitmap;
}

void LoadBackground(HWND window)
{
    if (setupState.bitmapFile[0] == '\0')
        return;

    // The split stays in locals and the path in a full-size buffer: the shared split of
    // modulePath, which the copy engine extends at dirLength, must not change here.
    char path[kPathCapacity];
    DWORD length = GetModuleFileNameA(setupState.instance, path, kPathCapacity);
    if (length == 0 || length >= static_cast<DWORD>(kPathCapacity))
        return;  // start-up has already refused such a program path
    PathSplit split = SplitPath(path);
    int bitmapLength = TextLength(setupState.bitmapFile);
    int pathLength = AppendBounded(path, kPathCapacity, split.dirLength, setupState.bitmapFile,
                                   bitmapLength);
    CopyBounded(setupState.bitmapPath, kTextCapacity, path, pathLength);
    if (pathLength < split.dirLength + bitmapLength) {
        // A cut path could name another file: report it as not found.
        ShowSetupMessage(setupState.className, window, IDS_CANNOT_OPEN, path, MB_ICONERROR);
        return;
    }

    HDC dc = GetDC(window);
    setupState.backgroundBitmap =
        LoadBitmapFile(setupState.instance, setupState.className, window, path, dc);
    ReleaseDC(window, dc);
}

void KeepClientSize(LPARAM size)
{
    SetupState& s = setupState;
    s.clientWidth = LOWORD(size);
    s.clientHeight = HIWORD(size);
}

void PaintBackground(HWND window)
{
    SetupState& s = setupState;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HDC memoryDc = CreateCompatibleDC(dc);
    if (memoryDc != 0) {
        HGDIOBJ previous = SelectObject(memoryDc, s.backgroundBitmap);
        BITMAP picture;
        if (GetObjectA(s.backgroundBitmap, sizeof picture, &picture) == sizeof picture &&
            picture.bmWidth > 0 && picture.bmHeight > 0) {
            // The client size is below 65536 and the steps below 2^31: no sum wraps.
            unsigned width = static_cast<unsigned>(picture.bmWidth);
            unsigned height = static_cast<unsigned>(picture.bmHeight);
            for (unsigned x = 0; x < static_cast<unsigned>(s.clientWidth); x += width) {
                for (unsigned y = 0; y < static_cast<unsigned>(s.clientHeight); y += height) {
                    BitBlt(dc, static_cast<int>(x), static_cast<int>(y), picture.bmWidth,
                           picture.bmHeight, memoryDc, 0, 0, SRCCOPY);
                }
            }
        }
        SelectObject(memoryDc, previous);
        DeleteDC(memoryDc);
    }
    EndPaint(window, &paint);
}

void DeleteBackground(void)
{
    if (setupState.backgroundBitmap != 0) {
        DeleteObject(setupState.backgroundBitmap);
        setupState.backgroundBitmap = 0;
    }
}
