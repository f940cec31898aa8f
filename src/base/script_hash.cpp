// The SHA-256 of the setup script's text, and of any bytes taken piece by piece, with the
// system's own cryptographic provider.
#include "base/script_hash.h"

enum { kDigestLength = 32 };

int StartHash(RunningHash* running)
{
    running->hash = 0;
    // A verify-only context needs no key container and never asks anything.
    if ((running->provider != 0 ||
         CryptAcquireContextA(&running->provider, nullptr, nullptr, PROV_RSA_AES,
                              CRYPT_VERIFYCONTEXT | CRYPT_SILENT)) &&
        CryptCreateHash(running->provider, CALG_SHA_256, 0, 0, &running->hash))
        return 0;
    ReleaseHash(running);
    return -1;
}

int AddToHash(RunningHash* running, const void* data, int length)
{
    return CryptHashData(running->hash, static_cast<const BYTE*>(data), length, 0) ? 0 : -1;
}

int EndHash(RunningHash* running, unsigned char* digest)
{
    DWORD digestLength = kDigestLength;
    int ok = digest != nullptr && running->hash != 0 &&
             CryptGetHashParam(running->hash, HP_HASHVAL, digest, &digestLength, 0) &&
             digestLength == kDigestLength;
    if (running->hash != 0)
        CryptDestroyHash(running->hash);
    running->hash = 0;
    return ok ? 0 : -1;
}

void ReleaseHash(RunningHash* running)
{
    EndHash(running, nullptr);
    if (running->provider != 0)
        CryptReleaseContext(running->provider, 0);
    running->provider = 0;
}

int HashText(const char* text, int length, char* hex)
{
    static const char kDigits[] = "0123456789abcdef";
    RunningHash running = {};
    BYTE digest[kDigestLength];
    hex[0] = '\0';
    int ok = StartHash(&running) == 0 && AddToHash(&running, text, length) == 0;
    ok = EndHash(&running, ok ? digest : nullptr) == 0 && ok;
    ReleaseHash(&running);
    if (!ok)
        return -1;
    for (int i = 0; i < kDigestLength; i++) {
        hex[2 * i] = kDigits[digest[i] >> 4];
        hex[2 * i + 1] = kDigits[digest[i] & 15];
    }
    hex[2 * kDigestLength] = '\0';
    return 0;
}
