// The background picture: read once from a BMP file and tiled over the main window.
#pragma once

#include <windows.h>

// Reads the file and converts it for the device context; the bitmap, or 0 after a message.
HBITMAP LoadBitmapFile(HINSTANCE instance, const char* caption, HWND owner, const char* path,
                       HDC dc);

// WM_CREATE: loads the bitmap named by the Bitmap setting, if any.
void LoadBackground(HWND window);

// WM_PAINT with a bitmap: tiles it over the client area.
void PaintBackground(HWND window);

// Deletes the bitmap if there is one; safe to call more than once.
void DeleteBackground(void);
