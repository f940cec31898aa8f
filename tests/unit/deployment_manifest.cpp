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
        {kExitAccessDenied, "blockedByPolicy"},
        {kExitEarlyEnd, "contactSupport"},
        {kExitPartial, "contactSupport"},
        {kExitAbandoned, "cancelledByUser"},
        {kExitDirectoryCancelled, "cancelledByUser"},
        {kExitInvalidSwitch, "invalidParameter"},
        {kExitAnotherRun, "installInProgress"},
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
    EXPECT_EQ("exe", ManifestValue(manifest, "InstallerType"));
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

// One installer for each scope: the machine's asks for elevation and demands all users, the
// user's asks for the current user; the switch is one the program reads.
TEST(DeploymentManifest, EachScopeHasItsInstallerAndSwitch)
{
    std::string manifest = ReadManifest();
    ASSERT_FALSE(manifest.empty()) << kInstallerManifest;
    // Each installer node from its Scope line on.
    std::map<std::string, std::string> nodes;
    for (size_t at = manifest.find("    Scope: "); at != std::string::npos;) {
        size_t next = manifest.find("    Scope: ", at + 1);
        std::string node = manifest.substr(at, next == std::string::npos ? next : next - at);
        nodes[ManifestValue(node, "Scope")] = node;
        at = next;
    }
    ASSERT_EQ(2u, nodes.size());
    const struct {
        const char* scope;
        SwitchKind kind;
        const char* elevation;
    } rows[] = {
        {"machine", kSwitchAllUsers, "elevationRequired"},
        {"user", kSwitchCurrentUser, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.scope);
        const std::string& node = nodes[row.scope];
        std::string given;
        EXPECT_EQ(row.kind, ReadManifestSwitch(ManifestValue(node, "Custom"), "", "", &given));
        EXPECT_EQ(row.elevation, ManifestValue(node, "ElevationRequirement"));
    }
    // Nothing above the installers decides the scope for both.
    EXPECT_EQ(std::string::npos, manifest.find("\nScope: "));
}
