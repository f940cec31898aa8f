// Checks of a BMP file's headers before its data are read (no window calls).
#pragma once

// Sizes to read from a bitmap file, derived from its 14-byte file header and 40-byte
// information header: 0 with the sizes filled, or -1 when the file cannot be a sound picture.
struct BitmapSizes {
    unsigned headerBytes;  // bfOffBits - 14: information header and colour table
    unsigned pixelBytes;   // pixel data bytes to read
};

int CheckBitmapHeader(const unsigned char* fileHeader, const unsigned char* infoHeader,
                      unsigned long long fileSize, BitmapSizes* sizes);
