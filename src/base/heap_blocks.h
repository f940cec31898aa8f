// Fixed, zero-filled memory blocks.
#pragma once

#include <windows.h>

// A zero-filled block of size bytes that does not move, or 0.
void* AllocateBlock(SIZE_T size);

// Gives back a block of AllocateBlock.
void FreeBlock(void* block);
