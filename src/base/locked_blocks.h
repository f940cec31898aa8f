// Movable global blocks, locked while they are in use: the setup script, its trusted copy and the background picture.
#pragma once

#include <windows.h>

// Why ObtainLockedBlock gave no block, or ReadWholeFile no text.
enum BlockFailure {
    kBlockNotAllocated,   // the system had no memory for it (or the file is too large)
    kBlockNotLocked,      // it was obtained but could not be locked (and is freed again)
    kBlockNotRead,        // the file could not be read whole; GetLastError says why
};

// Obtains a movable, zero-filled block of size bytes and locks it; the address, or 0 with the
// reason in *failure (*memory is then 0).
unsigned char* ObtainLockedBlock(DWORD size, HGLOBAL* memory, BlockFailure* failure);

// Reads the whole open file into a locked movable block with a zero after it, which ends the
// text: *memory and the text, or 0 with *memory 0 and the reason in *failure. A file of 2 GiB - 1
// bytes or more, or of no known size, is kBlockNotAllocated before any allocation: every offset
// into the text stays an int.
const char* ReadWholeFile(HANDLE file, HGLOBAL* memory, BlockFailure* failure);

// Unlocks and frees a block of ObtainLockedBlock; 0 stands for no block.
void ReleaseLockedBlock(HGLOBAL memory);
