// The SHA-256 of a file of the medium: OpenSSL's libcrypto in the native build, the system's
// own provider (as SETUP.EXE takes it) in the Windows build.
#pragma once

#include <string>

enum { kDigestBytes = 32 };

// Writes the SHA-256 of the file at path into digest. Returns 0, or -1 when it cannot be read.
int FileSha256(const std::string& path, unsigned char* digest);

// Writes the SHA-256 of bytes into digest. Returns 0, or -1 when the library fails.
int BytesSha256(const std::string& bytes, unsigned char* digest);

// The digest as 64 lowercase hexadecimal digits.
std::string DigestHex(const unsigned char* digest);
