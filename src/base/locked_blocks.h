// Movable global blocks, locked while they are in use: the setup script, its trusted copy and the background picture.
#pragma once

#include <windows.h>

// Why ObtainLockedBlock gave no block.
enum BlockFailure {
    kBlockNotAllocated,   // the system had no memory for it
    kBlockNotLocked,      // it was obtained but could not be locked (and is freed again)
};

// Obtains a movable, zero-filled block of size bytes and locks it; the address, or 0 with the
// reason in *failure (*memory is then 0).
unsigned char* ObtainLockedBlock(DWORD size, HGLOBAL* memory, BlockFailure* failure);

// Unlocks and frees a block of ObtainLockedBlock; 0 stands for no block.
void ReleaseLockedBlock(HGLOBAL memory);
