// Fuzz target: any bytes as a BMP file, its headers checked before the reads they size.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "background/bitmap_header.h"

namespace {

// A broken invariant ends the run as a crash, which libFuzzer saves.
void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

unsigned ReadUnsigned32(const uint8_t* bytes)
{
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<unsigned>(bytes[3]) << 24;
}

// Checks the headers against a file of fileSize bytes; when the input is the whole file,
// reads the parts the way the loader does, into blocks of exactly the sizes returned.
void CheckAndRead(const uint8_t* data, size_t size, unsigned long long fileSize)
{
    BitmapSizes sizes = {0xDEADBEEFu, 0xDEADBEEFu};
    int result = CheckBitmapHeader(data, data + kFileHeaderSize, fileSize, &sizes);
    Require(result == kBitmapUsable || result == kBitmapTruncated || result == kBitmapUnusable);
    if (result != kBitmapUsable) {
        Require(sizes.headerBytes == 0xDEADBEEFu && sizes.pixelBytes == 0xDEADBEEFu);
        return;
    }
    unsigned long long pixelOffset = ReadUnsigned32(data + 10);
    Require(sizes.headerBytes == pixelOffset - kFileHeaderSize);
    Require(sizes.headerBytes >= kInfoHeaderSize);
    Require(ReadUnsigned32(data + kFileHeaderSize) <= sizes.headerBytes);
    Require(pixelOffset + sizes.pixelBytes <= fileSize);

    int width = static_cast<int>(ReadUnsigned32(data + 18));
    int height = static_cast<int>(ReadUnsigned32(data + 22));
    unsigned bitCount = data[28] | data[29] << 8;
    unsigned compression = ReadUnsigned32(data + 30);
    if (compression == 0) {
        long long rows = height < 0 ? -static_cast<long long>(height) : height;
        unsigned long long rowBytes = (static_cast<unsigned long long>(width) * bitCount + 31) / 32 * 4;
        Require(width > 0 && sizes.pixelBytes >= rowBytes * static_cast<unsigned long long>(rows));
    }

    if (fileSize != size)
        return;
    // The information header with its colour table, then the pixel data right after it.
    uint8_t* header = static_cast<uint8_t*>(malloc(sizes.headerBytes + 1));
    uint8_t* pixels = static_cast<uint8_t*>(malloc(static_cast<size_t>(sizes.pixelBytes) + 1));
    memcpy(header, data + kFileHeaderSize, sizes.headerBytes);
    memcpy(pixels, data + pixelOffset, sizes.pixelBytes);
    free(pixels);
    free(header);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < kFileHeaderSize + kInfoHeaderSize)
        return 0;
    CheckAndRead(data, size, size);
    // The file sizes that only a file too large to fuzz would have, from the input's last
    // eight bytes, when they lie beyond the headers.
    if (size >= kFileHeaderSize + kInfoHeaderSize + 8) {
        unsigned long long fileSize = 0;
        for (int i = 0; i < 8; i++)
            fileSize = fileSize << 8 | data[size - 1 - i];
        CheckAndRead(data, size, fileSize);
    }
    return 0;
}
