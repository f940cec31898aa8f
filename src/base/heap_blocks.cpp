// Fixed, zero-filled memory blocks: one place for the calls, so that each use is one short call.
// They are global blocks, as the script's and the files' are, so that the programs import one
// family of memory calls rather than two.
#include "base/heap_blocks.h"

void* AllocateBlock(SIZE_T size)
{
    return GlobalAlloc(GPTR, size);
}

void FreeBlock(void* block)
{
    GlobalFree(block);
}
