// The SHA-256 of the setup script's text, taken with the system's own cryptographic provider.
#pragma once

// 64 hexadecimal digits and the terminator.
enum { kHashTextCapacity = 65 };

// Writes the SHA-256 of length bytes of text into hex (kHashTextCapacity bytes) as 64
// lowercase hexadecimal digits. Returns 0, or -1 with hex empty when the provider fails.
int HashText(const char* text, int length, char* hex);
