// The background picture: read once from a BMP file and tiled over the main window.
#pragma once

#include <windows.h>

// Reads the file and converts it for the device context; the bitmap, or 0 after a message
// (IDS_CANNOT_OPEN, IDS_CANNOT_READ, IDS_CANNOT_ALLOCATE, IDS_CANNOT_LOCK or
// IDS_CANNOT_MAKE_BITMAP with the caption and owner given). An empty path gives 0 without a
// message. The file and the memory blocks are released on every path.
HBITMAP LoadBitmapFile(HINSTANCE instance, const char* caption, HWND owner, const char* path,
                       HDC dc);

// WM_CREATE: loads the bitmap named by the Bitmap setting, relative to the program's
// directory, into backgroundBitmap and bitmapPath. Leaves the split of modulePath alone.
void LoadBackground(HWND window);

// WM_SIZE: keeps the client size (the low and high words of the size argument).
void KeepClientSize(LPARAM size);

// WM_PAINT with a bitmap: tiles it over the client area, column by column from the top left.
void PaintBackground(HWND window);

// Deletes the bitmap if there is one and sets backgroundBitmap to 0; safe to call twice.
void DeleteBackground(void);
