// The [Checksums] section of a setup script: the size and SHA-256 that each source must have.
#pragma once

enum { kSha256Length = 32 };

// What one source file of the medium must be: its size in bytes and its SHA-256.
struct SourceChecksum {
    long long size;
    unsigned char digest[kSha256Length];
};

// Reads a Checksums value of length bytes, "<size>,<sha256>": the size in decimal digits (at
// most 18), a comma, 64 hexadecimal digits in either case, then nothing but blanks and tabs.
// Returns 0 with *checksum filled, or -1 when the value is not written so.
int ReadChecksumValue(const char* value, int length, SourceChecksum* checksum);

// Looks for the source name (nameLength bytes, as the Files section writes it) among the keys
// of the section whose first entry line starts at text + cursor; keys are compared in any
// letter case. The search starts at *next (a line of the section, or 0 for its start), goes on
// to the section's end, then from its start; *next is left after the entry found, so that a
// section in the order of the Files entries is read once over. Each source has one entry: with
// two, the first found counts. Returns 1 with *checksum filled, 0 when no entry names the
// source, or -1 when its entry's value is not written as it must be.
int FindChecksum(const char* text, int cursor, const char* name, int nameLength,
                 SourceChecksum* checksum, int* next);
