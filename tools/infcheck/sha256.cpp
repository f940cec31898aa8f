// The SHA-256 of a file of the medium: OpenSSL's libcrypto in the native build, the system's
// own provider (as SETUP.EXE takes it) in the Windows build.
#include "sha256.h"

#include <stdio.h>

#ifdef _WIN32
#include "base/script_hash.h"
#else
#include <openssl/evp.h>
#endif

namespace {

// One digest being taken, over either library.
struct Digest {
#ifdef _WIN32
    RunningHash running;
#else
    EVP_MD_CTX* context;
#endif
};

int Start(Digest* digest)
{
#ifdef _WIN32
    digest->running = {};
    return StartHash(&digest->running);
#else
    digest->context = EVP_MD_CTX_new();
    if (digest->context != nullptr && EVP_DigestInit_ex(digest->context, EVP_sha256(), nullptr))
        return 0;
    EVP_MD_CTX_free(digest->context);
    return -1;
#endif
}

int Add(Digest* digest, const char* data, size_t length)
{
#ifdef _WIN32
    return AddToHash(&digest->running, data, static_cast<int>(length));
#else
    return EVP_DigestUpdate(digest->context, data, length) ? 0 : -1;
#endif
}

// Ends the digest, into result when ok; releases it either way. Returns 0 or -1.
int End(Digest* digest, int ok, unsigned char* result)
{
#ifdef _WIN32
    ok = EndHash(&digest->running, ok ? result : nullptr) == 0 && ok;
    ReleaseHash(&digest->running);
    return ok ? 0 : -1;
#else
    unsigned int length = 0;
    ok = ok && EVP_DigestFinal_ex(digest->context, result, &length) && length == kDigestBytes;
    EVP_MD_CTX_free(digest->context);
    return ok ? 0 : -1;
#endif
}

}  // namespace

int FileSha256(const std::string& path, unsigned char* digest)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr)
        return -1;
    Digest running;
    int ok = Start(&running) == 0;
    if (!ok) {
        fclose(file);
        return -1;
    }
    char chunk[65536];
    size_t count = 0;
    while (ok && (count = fread(chunk, 1, sizeof chunk, file)) > 0)
        ok = Add(&running, chunk, count) == 0;
    ok = ok && !ferror(file);
    fclose(file);
    return End(&running, ok, digest);
}

int BytesSha256(const std::string& bytes, unsigned char* digest)
{
    Digest running;
    if (Start(&running) != 0)
        return -1;
    return End(&running, Add(&running, bytes.data(), bytes.size()) == 0, digest);
}

std::string DigestHex(const unsigned char* digest)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (int i = 0; i < kDigestBytes; i++) {
        hex += kDigits[digest[i] >> 4];
        hex += kDigits[digest[i] & 15];
    }
    return hex;
}
