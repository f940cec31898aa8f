// Checks of a BMP file's headers before its data are read (no window calls).
#pragma once

// Byte counts of the parts of a BMP file.
enum {
    kFileHeaderSize = 14,   // BITMAPFILEHEADER
    kInfoHeaderSize = 40,   // BITMAPINFOHEADER, the smallest information header read
};

// Sizes to read from a bitmap file, derived from its file header and information header.
struct BitmapSizes {
    unsigned headerBytes;  // bfOffBits - 14: information header and colour table
    unsigned pixelBytes;   // pixel data bytes to read, enough for every row the header describes
};

// Results of CheckBitmapHeader.
enum BitmapCheck {
    kBitmapUsable = 0,       // sizes filled
    kBitmapTruncated = -1,   // the header describes more bytes than the file holds
    kBitmapUnusable = -2,    // the header cannot describe a picture the conversion may be given
};

// Checks the 14-byte file header and the first 40 bytes of the information header against the
// file's size. Usable only when the colour table lies between the information header and the
// pixel data, and the pixel bytes, at least the rows that width, height and bit count describe
// (biSizeImage may be 0 or smaller), lie inside the file. Fills sizes only when usable.
BitmapCheck CheckBitmapHeader(const unsigned char* fileHeader, const unsigned char* infoHeader,
                              unsigned long long fileSize, BitmapSizes* sizes);
