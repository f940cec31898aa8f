// Tests of the [Checksums] section: the reading of its values and entries, and (under Wine) the SHA-256 that the copy takes in chunks with the system's provider, against published test vectors.
#include <gtest/gtest.h>

#include <string>

#include "script/checksum_entry.h"

#ifdef _WIN32
#include "base/script_hash.h"
#endif

namespace {

const char kAbcDigest[] = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
const char kEmptyDigest[] = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
[[maybe_unused]] const char k448BitMessage[] = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
[[maybe_unused]] const char k448BitDigest[] = "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1";

std::string Hex(const unsigned char* digest)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (int i = 0; i < kSha256Length; i++) {
        hex += kDigits[digest[i] >> 4];
        hex += kDigits[digest[i] & 15];
    }
    return hex;
}

TEST(ChecksumValue, SizeCommaAndDigestInEitherCase)
{
    const struct {
        std::string value;
        int result;
        long long size;
    } rows[] = {
        {std::string("3,") + kAbcDigest, 0, 3},
        {"0," + std::string(kEmptyDigest).substr(0, 32) + "27AE41E4649B934CA495991B7852B855", 0, 0},
        {std::string("123456789012345678,") + kAbcDigest + " \t", 0, 123456789012345678LL},
        {std::string("1234567890123456789,") + kAbcDigest, -1, 0},   // 19 digits
        {std::string(",") + kAbcDigest, -1, 0},
        {std::string("3 ,") + kAbcDigest, -1, 0},
        {std::string("-3,") + kAbcDigest, -1, 0},
        {std::string("3,") + std::string(kAbcDigest).substr(1), -1, 0},   // 63 digits
        {std::string("3,") + kAbcDigest + "0", -1, 0},
        {std::string("3,") + std::string(kAbcDigest).replace(5, 1, "g"), -1, 0},
        {"3", -1, 0},
        {"", -1, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        SourceChecksum checksum = {};
        ASSERT_EQ(row.result, ReadChecksumValue(row.value.data(), static_cast<int>(row.value.size()),
                                                &checksum));
        if (row.result == 0) {
            EXPECT_EQ(row.size, checksum.size);
        }
    }
    SourceChecksum mixed = {};
    std::string upper = "3," + std::string(kAbcDigest);
    for (char& c : upper) c = static_cast<char>(toupper(c));
    ASSERT_EQ(0, ReadChecksumValue(upper.data(), static_cast<int>(upper.size()), &mixed));
    EXPECT_EQ(kAbcDigest, Hex(mixed.digest));
}

TEST(ChecksumEntries, FoundByTheSourceNameInAnyCaseWithinTheSection)
{
    const std::string text = std::string("[Checksums]\r\n") + "DISK2\\Edit.HL_=3," + kAbcDigest +
                             "\r\n;note\r\nBAD=3,xyz\r\nEDIT.HL_=0," + kEmptyDigest +
                             "\r\n[Other]\r\nLATER.TXT=3," + kAbcDigest + "\r\n";
    const int cursor = 13;   // after the header line
    const struct {
        const char* name;
        int found;
        long long size;
    } rows[] = {
        {"disk2\\EDIT.hl_", 1, 3}, {"EDIT.HL_", 1, 0}, {"BAD", -1, 0},
        {"LATER.TXT", 0, 0},       {"DISK2", 0, 0},    {"", 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        // From the start, and from a later line: the search comes round to the start.
        for (int from : {0, static_cast<int>(text.find(";note"))}) {
            SourceChecksum checksum = {};
            int next = from;
            EXPECT_EQ(row.found, FindChecksum(text.c_str(), cursor, row.name,
                                              static_cast<int>(std::string(row.name).size()),
                                              &checksum, &next));
            if (row.found == 1) {
                EXPECT_EQ(row.size, checksum.size);
            }
        }
    }
    // Looked up in the order of the section, each search starts after the last entry found.
    SourceChecksum checksum = {};
    int next = 0;
    ASSERT_EQ(1, FindChecksum(text.c_str(), cursor, "EDIT.HL_", 8, &checksum, &next));
    EXPECT_EQ(static_cast<int>(text.find("[Other]")), next);
}

#ifdef _WIN32
// The digest of text fed in pieces of `piece` bytes, as the copy feeds its chunks.
std::string ProviderDigest(const std::string& text, size_t piece)
{
    RunningHash running = {};
    unsigned char digest[kSha256Length];
    EXPECT_EQ(0, StartHash(&running));
    for (size_t at = 0; at < text.size(); at += piece)
        EXPECT_EQ(0, AddToHash(&running, text.data() + at,
                               static_cast<int>(std::min(piece, text.size() - at))));
    EXPECT_EQ(0, EndHash(&running, digest));
    EXPECT_EQ(0u, running.hash);
    ReleaseHash(&running);
    return Hex(digest);
}

TEST(SourceHash, PublishedVectorsWholeAndInPieces)
{
    EXPECT_EQ(kAbcDigest, ProviderDigest("abc", 3));
    EXPECT_EQ(kAbcDigest, ProviderDigest("abc", 1));
    EXPECT_EQ(kEmptyDigest, ProviderDigest("", 8192));
    EXPECT_EQ(k448BitDigest, ProviderDigest(k448BitMessage, 56));
    EXPECT_EQ(k448BitDigest, ProviderDigest(k448BitMessage, 7));
    // The million a's, in the copy's chunks of 8192 bytes.
    EXPECT_EQ("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0",
              ProviderDigest(std::string(1000000, 'a'), 8192));
    char hex[kHashTextCapacity];
    ASSERT_EQ(0, HashText("abc", 3, hex));
    EXPECT_STREQ(kAbcDigest, hex);
}
#endif

}  // namespace
