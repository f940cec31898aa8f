// The [Checksums] section: every source listed once with a well-written value, and on the
// medium each file of the size and SHA-256 its entry gives.
#include "checker.h"

#include <string.h>

#include "script/checksum_entry.h"
#include "script/script_scan.h"
#include "sha256.h"

namespace infcheck {

// The entries whose value is not "<size>,<sha256>", those that repeat a name, and those that
// name no source.
static void CheckEntries(Check* check, int cursor, const std::vector<std::string>& sources)
{
    std::map<std::string, int> seen;
    Entry entry;
    while (NextEntry(*check, &cursor, &entry) == 0) {
        if (entry.keyLength == 0 && entry.valueLength == 0)
            continue;
        std::string name(entry.line, entry.keyLength);
        SourceChecksum checksum;
        if (ReadChecksumValue(entry.valueStart, entry.valueLength, &checksum) != 0)
            Fail(check, "checksum-malformed",
                 "line " + std::to_string(entry.lineNumber) + ": the entry of " + Quoted(name.c_str()) +
                     " is not written <size>,<sha256> (the size in decimal, a comma, 64 "
                     "hexadecimal digits): SETUP.EXE takes the file for damaged");
        if (!seen.emplace(NameKey(name), entry.lineNumber).second)
            Fail(check, "checksum-duplicate",
                 "line " + std::to_string(entry.lineNumber) + ": " + Quoted(name.c_str()) +
                     " is listed again (first on line " +
                     std::to_string(seen[NameKey(name)]) + "); SETUP.EXE may read either entry");
        int named = 0;
        for (const std::string& source : sources)
            named |= NameKey(source) == NameKey(name);
        if (!named)
            Warn(check, entry.lineNumber, "checksum-unused",
                 Quoted(name.c_str()) + " is not a source of [Files]; SETUP.EXE never reads this entry");
    }
}

// One source against its entry, on the medium when there is one. Returns 1 when it matches.
static int CheckSource(Check* check, int cursor, const std::string& source)
{
    SourceChecksum checksum;
    int next = 0;
    int found = FindChecksum(check->text, cursor, source.c_str(),
                             static_cast<int>(source.size()), &checksum, &next);
    const std::string damaged = ": SETUP.EXE stops before it installs anything and reports the "
                                "file as damaged (exit status 1620)";
    if (found == 0) {
        Fail(check, "checksum-unlisted",
             "the source " + Quoted(source.c_str()) + " is not listed in [Checksums]" + damaged);
        return 0;
    }
    if (found < 0 || check->mediumDir == nullptr)
        return 0;
    std::string path;
    long long size = 0;
    unsigned char digest[kDigestBytes];
    if (ResolveMediumFile(check->mediumDir, source.c_str(), &path) != 0 ||
        FindMediumFile(check->mediumDir, source.c_str(), &size) != 0) {
        Fail(check, "checksum-file-missing",
             "the listed file " + Quoted(source.c_str()) + " is not on the medium" + damaged);
    } else if (size != checksum.size) {
        Fail(check, "checksum-size",
             "the file " + Quoted(source.c_str()) + " has " + Count(size, "byte", "bytes") +
                 ", its entry says " + std::to_string(checksum.size) + damaged);
    } else if (FileSha256(path, digest) != 0) {
        Fail(check, "checksum-unreadable", "the file " + Quoted(source.c_str()) +
                                               " cannot be read" + damaged);
    } else if (memcmp(digest, checksum.digest, kDigestBytes) != 0) {
        Fail(check, "checksum-hash",
             "the file " + Quoted(source.c_str()) + " has the SHA-256 " + DigestHex(digest) +
                 ", its entry says " + DigestHex(checksum.digest) + damaged);
    } else {
        return 1;
    }
    return 0;
}

void CheckChecksums(Check* check)
{
    int cursor = 0;
    // A script without the section installs without the check: nothing to say.
    if (ScanForSection(check->text, kChecksumsSection, &cursor) != 0)
        return;
    OpenSection(check, kChecksumsSection, nullptr, &cursor);
    std::string bytes(check->text);
    std::vector<std::string> sources = ScriptSources(bytes);
    CheckEntries(check, cursor, sources);
    int matching = 0;
    int checked = 0;
    for (const std::string& source : sources) {
        // The script cannot carry its own digest; the uninstaller's hash of it covers it.
        if (check->mediumDir != nullptr &&
            IsScriptItself(check->mediumDir, source, check->scriptName.c_str()))
            continue;
        checked++;
        matching += CheckSource(check, cursor, source);
    }
    if (check->mediumDir != nullptr)
        Detail(check, std::to_string(matching) + " of " + Count(checked, "file", "files") +
                          " as listed");
}

}  // namespace infcheck
