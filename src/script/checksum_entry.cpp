// The [Checksums] section of a setup script: the size and SHA-256 that each source must have.
#include "script/checksum_entry.h"

#include "base/folder_text.h"
#include "script/script_scan.h"

enum { kMaxSizeDigits = 18 };   // below 2^63: the size never overflows

// The value of a hexadecimal digit in either case, or -1.
static int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(c | 0x20);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

int ReadChecksumValue(const char* value, int length, SourceChecksum* checksum)
{
    int at = 0;
    long long size = 0;
    while (at < length && at < kMaxSizeDigits && value[at] >= '0' && value[at] <= '9')
        size = size * 10 + (value[at++] - '0');
    if (at == 0 || at >= length || value[at] != ',')
        return -1;
    at++;
    if (length - at < 2 * kSha256Length)
        return -1;
    // Two digits a byte, the first one high: each digit shifts the one before it up.
    for (int i = 0; i < 2 * kSha256Length; i++) {
        int digit = HexDigit(value[at + i]);
        if (digit < 0)
            return -1;
        unsigned char& byte = checksum->digest[i / 2];
        byte = static_cast<unsigned char>(byte << 4 | digit);
    }
    for (at += 2 * kSha256Length; at < length; at++) {
        if (value[at] != ' ' && value[at] != '\t')
            return -1;
    }
    checksum->size = size;
    return 0;
}

int FindChecksum(const char* text, int cursor, const char* name, int nameLength,
                 SourceChecksum* checksum, int* next)
{
    int keyLength = 0;
    const char* valueStart = 0;
    int valueLength = 0;
    int from = *next > cursor ? *next : cursor;
    // From `from` to the section's end, then from its start up to `from`.
    for (int pass = 0; pass < 2; pass++) {
        int at = pass == 0 ? from : cursor;
        for (int n; (pass == 0 || at < from) &&
                    (n = ParseEntry(text + at, &keyLength, &valueStart, &valueLength)) != 0;
             at += n) {
            if (keyLength == nameLength && nameLength > 0 &&
                CompareFolded(text + at, name, nameLength) == 0) {
                *next = at + n;
                return ReadChecksumValue(valueStart, valueLength, checksum) == 0 ? 1 : -1;
            }
        }
    }
    return 0;
}
