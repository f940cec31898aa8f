// The SHA-256 of the setup script's text, and of any bytes taken piece by piece, with the
// system's own cryptographic provider.
#pragma once

#include <windows.h>
#include <wincrypt.h>

// 64 hexadecimal digits and the terminator.
enum { kHashTextCapacity = 65 };

// A SHA-256 being taken: the provider, kept from one hash to the next (acquiring it costs more
// than hashing a small file), and the hash; each 0 when not open.
struct RunningHash {
    HCRYPTPROV provider;
    HCRYPTHASH hash;
};

// Opens a SHA-256 in *running, with its provider when it has none yet. Returns 0, or -1 with
// nothing open when the provider fails.
int StartHash(RunningHash* running);

// Adds length bytes of data to an open hash. Returns 0, or -1 when the provider fails.
int AddToHash(RunningHash* running, const void* data, int length);

// Writes the digest (32 bytes) into digest, unless it is null, and closes the hash whatever the
// outcome; the provider stays for the next one. Returns 0, or -1 without a digest.
int EndHash(RunningHash* running, unsigned char* digest);

// Closes the hash, if open, and releases the provider.
void ReleaseHash(RunningHash* running);

// Writes the SHA-256 of length bytes of text into hex (kHashTextCapacity bytes) as 64
// lowercase hexadecimal digits. Returns 0, or -1 with hex empty when the provider fails.
int HashText(const char* text, int length, char* hex);
