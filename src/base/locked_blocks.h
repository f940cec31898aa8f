// Movable global blocks, locked while they are in use: the setup script and the background picture.
#pragma once

#include <windows.h>

// Obtains a movable, zero-filled block of size bytes and locks it; the address, or 0 with the
// id of the message to show in failure, IDS_CANNOT_ALLOCATE or IDS_CANNOT_LOCK (the block is
// then already freed and *memory is 0).
unsigned char* ObtainLockedBlock(DWORD size, HGLOBAL* memory, UINT* failure);

// Unlocks and frees a block of ObtainLockedBlock; 0 stands for no block.
void ReleaseLockedBlock(HGLOBAL memory);
