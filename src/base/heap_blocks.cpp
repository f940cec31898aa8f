// Blocks of the process heap: one place for the heap calls, so that each use is one short call.
#include "base/heap_blocks.h"

void* AllocateBlock(SIZE_T size)
{
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size);
}

void FreeBlock(void* block)
{
    HeapFree(GetProcessHeap(), 0, block);
}
