// Movable global blocks, locked while they are in use: the setup script, its trusted copy and the background picture.
#include "base/locked_blocks.h"

#include "base/file_size.h"

// Largest file read whole: its size plus the terminating zero fit a 32-bit signed count.
static const LONGLONG kWholeFileLimit = 0x7FFFFFFE;

unsigned char* ObtainLockedBlock(DWORD size, HGLOBAL* memory, BlockFailure* failure)
{
    *memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (*memory == 0) {
        *failure = kBlockNotAllocated;
        return 0;
    }
    unsigned char* address = static_cast<unsigned char*>(GlobalLock(*memory));
    if (address == 0) {
        GlobalFree(*memory);
        *memory = 0;
        *failure = kBlockNotLocked;
    }
    return address;
}

void ReleaseLockedBlock(HGLOBAL memory)
{
    if (memory != 0) {
        GlobalUnlock(memory);
        GlobalFree(memory);
    }
}

const char* ReadWholeFile(HANDLE file, HGLOBAL* memory, BlockFailure* failure)
{
    long long size = GetOpenFileSize(file);
    *memory = 0;
    *failure = kBlockNotAllocated;
    if (size < 0 || size > kWholeFileLimit)
        return 0;
    DWORD length = static_cast<DWORD>(size);
    unsigned char* bytes = ObtainLockedBlock(length + 1, memory, failure);
    DWORD got = 0;
    if (bytes == 0)
        return 0;
    if (!ReadFile(file, bytes, length, &got, 0) || got != length) {
        // Taken before the release, which would overwrite it.
        DWORD error = GetLastError();
        ReleaseLockedBlock(*memory);
        *memory = 0;
        *failure = kBlockNotRead;
        SetLastError(error);
        return 0;
    }
    return reinterpret_cast<const char*>(bytes);
}
