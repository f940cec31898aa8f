// The SHA-256 of the setup script's text, taken with the system's own cryptographic provider.
#include "base/script_hash.h"

#include <windows.h>
#include <wincrypt.h>

enum { kDigestLength = 32 };

int HashText(const char* text, int length, char* hex)
{
    static const char kDigits[] = "0123456789abcdef";
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    BYTE digest[kDigestLength];
    DWORD digestLength = sizeof digest;

    hex[0] = '\0';
    // A verify-only context needs no key container and never asks anything.
    BOOL ok = CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES,
                                   CRYPT_VERIFYCONTEXT | CRYPT_SILENT);
    if (ok)
        ok = CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash);
    if (ok)
        ok = CryptHashData(hash, reinterpret_cast<const BYTE*>(text), length, 0);
    if (ok)
        ok = CryptGetHashParam(hash, HP_HASHVAL, digest, &digestLength, 0) &&
             digestLength == kDigestLength;
    if (ok) {
        for (int i = 0; i < kDigestLength; i++) {
            hex[2 * i] = kDigits[digest[i] >> 4];
            hex[2 * i + 1] = kDigits[digest[i] & 15];
        }
        hex[2 * kDigestLength] = '\0';
    }
    if (hash != 0)
        CryptDestroyHash(hash);
    if (provider != 0)
        CryptReleaseContext(provider, 0);
    return ok ? 0 : -1;
}
