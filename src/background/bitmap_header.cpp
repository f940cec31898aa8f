// Checks of a BMP file's headers before its data are read (no window calls).
#include "background/bitmap_header.h"

namespace {

// Compression values of the information header.
enum {
    kCompressionNone = 0,
    kCompressionRle8 = 1,
    kCompressionRle4 = 2,
    kCompressionBitFields = 3,
};

// Limits that keep a garbage header from asking for absurd reads and allocations; a
// background picture is far below them. Below them every count fits 32 bits.
const unsigned kMaxSide = 32767;
const unsigned kMaxHeaderBytes = 1 << 20;
const unsigned kMaxPixelBytes = 1 << 28;
const unsigned kBitFieldMasksSize = 12;

// The file's numbers are little-endian, as the machines that read them: each is copied as it
// is, one move of the processor, wherever it lies.
unsigned ReadUnsigned32(const unsigned char* bytes)
{
    unsigned value;
    __builtin_memcpy(&value, bytes, sizeof value);
    return value;
}

unsigned ReadUnsigned16(const unsigned char* bytes)
{
    unsigned short value;
    __builtin_memcpy(&value, bytes, sizeof value);
    return value;
}

int IsKnownBitCount(unsigned bitCount)
{
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
           bitCount == 24 || bitCount == 32;
}

// Whether the header and colour table that the conversion reads, as the platform counts them,
// fit in headerBytes.
int DescribedHeaderFits(unsigned infoSize, unsigned bitCount, unsigned compression,
                        unsigned colorsUsed, unsigned headerBytes)
{
    unsigned header = infoSize;
    if (compression == kCompressionBitFields && header < kInfoHeaderSize + kBitFieldMasksSize)
        header = kInfoHeaderSize + kBitFieldMasksSize;
    unsigned colors = colorsUsed;
    if (colors == 0 && bitCount <= 8)
        colors = 1u << bitCount;
    // Four bytes per colour could pass 32 bits: the colours are compared with the room left.
    return header <= headerBytes && colors <= (headerBytes - header) / 4;
}

}  // namespace

BitmapCheck CheckBitmapHeader(const unsigned char* fileHeader, const unsigned char* infoHeader,
                              unsigned long long fileSize, BitmapSizes* sizes)
{
    unsigned pixelOffset = ReadUnsigned32(fileHeader + 10);
    unsigned infoSize = ReadUnsigned32(infoHeader);
    int width = static_cast<int>(ReadUnsigned32(infoHeader + 4));
    int height = static_cast<int>(ReadUnsigned32(infoHeader + 8));
    unsigned bitCount = ReadUnsigned16(infoHeader + 14);
    unsigned compression = ReadUnsigned32(infoHeader + 16);
    unsigned imageSize = ReadUnsigned32(infoHeader + 20);
    unsigned colorsUsed = ReadUnsigned32(infoHeader + 32);
    if (pixelOffset < kFileHeaderSize + kInfoHeaderSize)
        return kBitmapUnusable;
    if (pixelOffset > fileSize)
        return kBitmapTruncated;
    unsigned headerBytes = pixelOffset - kFileHeaderSize;
    if (headerBytes > kMaxHeaderBytes)
        return kBitmapUnusable;
    if (infoSize < kInfoHeaderSize || infoSize > headerBytes)
        return kBitmapUnusable;
    if (!IsKnownBitCount(bitCount))
        return kBitmapUnusable;
    // The height's magnitude, taken unsigned so that the most negative one has one too.
    unsigned rows = height < 0 ? 0u - static_cast<unsigned>(height) : static_cast<unsigned>(height);
    if (width <= 0 || static_cast<unsigned>(width) > kMaxSide || rows == 0 || rows > kMaxSide)
        return kBitmapUnusable;
    unsigned pixelBytes;
    if (compression == kCompressionNone ||
        (compression == kCompressionBitFields && (bitCount == 16 || bitCount == 32))) {
        // At most 131,068 bytes a row and 32,767 rows: the product stays below 2^32.
        unsigned rowBytes = (static_cast<unsigned>(width) * bitCount + 31) / 32 * 4;
        unsigned described = rowBytes * rows;
        pixelBytes = imageSize < described ? described : imageSize;
    } else if ((compression == kCompressionRle8 && bitCount == 8) ||
               (compression == kCompressionRle4 && bitCount == 4)) {
        // Run-length data end where biSizeImage says; only a bottom-up picture may use them.
        if (imageSize == 0 || height < 0)
            return kBitmapUnusable;
        pixelBytes = imageSize;
    } else {
        return kBitmapUnusable;
    }
    if (!DescribedHeaderFits(infoSize, bitCount, compression, colorsUsed, headerBytes))
        return kBitmapUnusable;
    if (pixelBytes > fileSize - pixelOffset)
        return kBitmapTruncated;
    if (pixelBytes > kMaxPixelBytes)
        return kBitmapUnusable;
    sizes->headerBytes = headerBytes;
    sizes->pixelBytes = pixelBytes;
    return kBitmapUsable;
}
