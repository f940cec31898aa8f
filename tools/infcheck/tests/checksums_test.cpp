// Tests of the checker's [Checksums] side: its SHA-256 (libcrypto) against published vectors, the section it writes for a medium, and each finding when a file differs from its entry.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "infcheck.h"
#include "sha256.h"

namespace {

namespace fs = std::filesystem;

std::string Digest(const std::string& bytes)
{
    unsigned char digest[kDigestBytes];
    EXPECT_EQ(0, BytesSha256(bytes, digest));
    return DigestHex(digest);
}

TEST(CheckerSha256, PublishedVectors)
{
    EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", Digest("abc"));
    EXPECT_EQ("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855", Digest(""));
    EXPECT_EQ("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1",
              Digest("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"));
}

const char kScript[] =
    "[Install]\r\nApplication=Quillor\r\n\r\n[Files]\r\nProgram=Quillor.exe\r\n"
    "Help=HELP\\EDIT.HLP;DISK2\\EDIT.HL_\r\nSetup script=SETUP.INF\r\n";

class ChecksumsMedium : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/infcheck-checksums-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        folder = pattern;
        fs::create_directory(folder + "/DISK2");
        Write("Quillor.exe", "abc");
        Write("DISK2/EDIT.HL_", std::string(70000, 'h'));
        Write("SETUP.INF", kScript);
    }
    void TearDown() override { fs::remove_all(folder); }

    void Write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(folder + "/" + name, std::ios::binary) << bytes;
    }
    std::string Script() { return folder + "/SETUP.INF"; }

    // The script with its section written from the medium as it is.
    std::string WithSection(const std::string& script)
    {
        std::string updated;
        std::string problem;
        EXPECT_EQ(0, WriteChecksums(script, Script().c_str(), folder.c_str(), &updated, &problem))
            << problem;
        return updated;
    }

    std::string Report(const std::string& script, int* status)
    {
        std::string output;
        *status = CheckScript(script, Script().c_str(), folder.c_str(), &output);
        return output;
    }

    std::string folder;
};

TEST_F(ChecksumsMedium, WritesOneEntryPerSourceButTheScriptAndReplacesAnOldSection)
{
    std::string script = WithSection(kScript);
    EXPECT_EQ(std::string(kScript) + "\r\n[Checksums]\r\n" + "Quillor.exe=3," + Digest("abc") +
                  "\r\nDISK2\\EDIT.HL_=70000," + Digest(std::string(70000, 'h')) + "\r\n",
              script);
    int status = -1;
    std::string report = Report(script, &status);
    // The warnings about the named programs stay; nothing about the section.
    EXPECT_EQ(kCheckWarnings, status) << report;
    EXPECT_EQ(std::string::npos, report.find("[checksum-")) << report;
    EXPECT_NE(std::string::npos, report.find("2 of 2 files as listed")) << report;

    // Written again after a change: the section is replaced where it stands.
    Write("Quillor.exe", "abcd");
    std::string again = WithSection(script + "[Group]\r\n");
    EXPECT_NE(std::string::npos, again.find("Quillor.exe=4,")) << again;
    EXPECT_EQ(std::string::npos, again.find("Quillor.exe=3,")) << again;
    EXPECT_NE(std::string::npos, again.find("\r\n\r\n[Group]\r\n")) << again;
}

TEST_F(ChecksumsMedium, EachDifferenceIsAnErrorThatNamesTheFile)
{
    std::string script = WithSection(kScript);
    // A Files line added after the section was written.
    std::string unlisted = std::string(kScript) + "Extra=EXTRA.TXT\r\n" +
                           script.substr(sizeof kScript - 1);
    const struct {
        const char* what;
        std::string changedScript;
        const char* file;
        std::string bytes;
        const char* tag;
    } rows[] = {
        {"size", script, "Quillor.exe", "abcd", "[checksum-size]"},
        {"content", script, "Quillor.exe", "abd", "[checksum-hash]"},
        {"missing", script, nullptr, "", "[checksum-file-missing]"},
        {"unlisted", unlisted, "EXTRA.TXT", "x", "[checksum-unlisted]"},
        {"malformed", script + "Other=3,abc\r\n", nullptr, "", "[checksum-malformed]"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        if (row.file != nullptr)
            Write(row.file, row.bytes);
        else if (std::string(row.what) == "missing")
            fs::remove(folder + "/DISK2/EDIT.HL_");
        int status = -1;
        std::string report = Report(row.changedScript, &status);
        EXPECT_EQ(kCheckUnusable, status) << report;
        EXPECT_NE(std::string::npos, report.find(row.tag)) << report;
        TearDown();
    }
    SetUp();
}

}  // namespace
