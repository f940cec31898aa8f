// Capacities of the fixed text buffers and the copy chunk, shared by the setup program, the
// uninstaller, infcheck and the fuzzers; needs no platform header.
#pragma once

// Each text capacity counts the terminating zero.
enum {
    kNameCapacity = 32,
    kTextCapacity = 128,
    kPathCapacity = 260,
    kWorkCapacity = 8192,
};

// Size of one copy chunk; a chunk shorter than this ends the file.
enum { kChunkSize = 8192 };
