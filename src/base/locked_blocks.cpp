// Movable global blocks, locked while they are in use: the setup script, its trusted copy and the background picture.
#include "base/locked_blocks.h"

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
