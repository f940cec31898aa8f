// Blocks of the process heap.
#pragma once

#include <windows.h>

// A zero-filled block of size bytes from the process heap, or 0.
void* AllocateBlock(SIZE_T size);

// Gives back a block of AllocateBlock.
void FreeBlock(void* block);
