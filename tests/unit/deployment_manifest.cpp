// Tests that the package-manager manifest in manifests/ agrees with the program: its switches are the ones SETUP.EXE reads, and its return codes are the exit statuses, each with its meaning.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "base/capacities.h"
#include "base/exit_statuses.h"
#include "setup/switch_parse.h"

namespace {

const char kInstallerManifest[] =
    QUILLOR_SOURCE_DIR "/manifests/q/Quillor/Quillor/1.0/Quillor.Quillor.installer.yaml";

// The value after "key: " on the manifest's line that starts (after blanks) with key, or "".
std::string ManifestValue(const std::string& manifest, const std::string& key)
{
    std::istringstream lines(manifest);
    for (std::string line; std::getline(lines, line);) {
        size_t start = line.find_first_not_of(" -");
        if (start != std::string::npos && line.compare(start, key.size() + 2, key + ": ") == 0)
            return line.substr(start + key.size() + 2);
    }
    return "";
}

// Every InstallerReturnCode with the ReturnResponse that follows it.
std::map<int, std::string> ReturnCodes(const std::string& manifest)
{
    std::map<int, std::string> codes;
    std::istringstream lines(manifest);
    int code = 0;
    for (std::string line; std::getline(lines, line);) {
        std::string value;
        if (line.find("InstallerReturnCode: ") != std::string::npos)
            code = std::stoi(line.substr(line.find(": ") + 2));
        else if (line.find("ReturnResponse: ") != std::string::npos)
            codes[code] = line.substr(line.find(": ") + 2);
    }
    return codes;
}

std::string ReadManifest()
{
    std::ifstream file(kInstallerManifest);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The switch that a manifest value gives the program, with token replaced by substitute.
SwitchKind ReadManifestSwitch(std::string value, const std::string& token,
                              const std::string& substitute, std::string* switchValue)
{
    if (!token.empty() && value.find(token) != std::string::npos)
        value.replace(value.find(token), token.size(), substitute);
    std::string line = "SETUP.EXE " + value;
    const char* cursor = SkipProgramName(line.c_str());
    char text[kPathCapacity];
    SwitchKind kind = ReadSwitch(&cursor, text, kPathCapacity);
    *switchValue = text;
    char rest[kPathCapacity];
    EXPECT_EQ(kSwitchEnd, ReadSwitch(&cursor, rest, kPathCapacity)) << value;
    return kind;
}

}  // namespace

TEST(DeploymentManifest, ReturnCodesAreTheExitStatusesWithTheirMeanings)
{
    std::string manifest = ReadManifest();
    ASSERT_FALSE(manifest.empty()) << kInstallerManifest;
    const std::map<int, std::string> expected = {
        {kExitEarlyEnd, "contactSupport"},
        {kExitPartial, "contactSupport"},
        {kExitAbandoned, "cancelledByUser"},
        {kExitDirectoryCancelled, "cancelledByUser"},
        {kExitInvalidSwitch, "invalidParameter"},
        {kExitAnotherRun, "installInProgress"},
        {kExitDamagedMedium, "contactSupport"},
        {kExitDowngrade, "downgrade"},
        {kExitRestartNeeded, "rebootRequiredToFinish"},
    };
    EXPECT_EQ(expected, ReturnCodes(manifest));
    EXPECT_EQ(0, kExitInstalled);
}

TEST(DeploymentManifest, SwitchesAreTheOnesTheProgramReads)
{
    std::string manifest = ReadManifest();
    ASSERT_FALSE(manifest.empty()) << kInstallerManifest;
    // A zip of the medium, SETUP.EXE at its top.
    EXPECT_EQ("zip", ManifestValue(manifest, "InstallerType"));
    EXPECT_EQ("exe", ManifestValue(manifest, "NestedInstallerType"));
    EXPECT_EQ("SETUP.EXE", ManifestValue(manifest, "RelativeFilePath"));
    const struct {
        const char* key;
        const char* token;
        const char* substitute;
        SwitchKind kind;
    } rows[] = {
        {"Silent", "", "", kSwitchVerySilent},
        {"SilentWithProgress", "", "", kSwitchPassive},
        {"InstallLocation", "<INSTALLPATH>", "C:\\Program Files\\Quillor", kSwitchDirectory},
        {"Log", "<LOGPATH>", "C:\\Temp\\install log.txt", kSwitchLog},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.key);
        std::string value = ManifestValue(manifest, row.key);
        ASSERT_FALSE(value.empty());
        std::string given;
        EXPECT_EQ(row.kind, ReadManifestSwitch(value, row.token, row.substitute, &given));
        EXPECT_EQ(row.substitute, given);
    }
    // The programs list entry that SETUP.EXE writes is found by its key's name.
    EXPECT_EQ("Quillor", ManifestValue(manifest, "ProductCode"));
    EXPECT_EQ("Quillor", ManifestValue(manifest, "DisplayName"));
}
