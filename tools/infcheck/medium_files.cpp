// The files of a medium as its script names them: the list that a package holds, and the
// [Checksums] section written from the files as they are.
#include "infcheck.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/capacities.h"
#include "checker.h"
#include "script/files_value.h"
#include "script/script_scan.h"
#include "sha256.h"
#include "text/bounded_text.h"

namespace fs = std::filesystem;
using namespace infcheck;

std::vector<std::string> ScriptSources(const std::string& bytes)
{
    std::vector<std::string> sources;
    const char* text = bytes.c_str();
    int cursor = 0;
    if (ScanForSection(text, kFilesSection, &cursor) != 0)
        return sources;
    int keyLength = 0;
    const char* valueStart = nullptr;
    int valueLength = 0;
    for (int n; (n = ParseEntry(text + cursor, &keyLength, &valueStart, &valueLength)) != 0;
         cursor += n) {
        char entryValue[kTextCapacity];
        FilesValue split = SplitFilesValue(valueStart, valueLength, entryValue, kTextCapacity);
        std::string source = split.source;
        int seen = 0;
        for (const std::string& earlier : sources)
            seen |= NameKey(earlier) == NameKey(source);
        if (!source.empty() && !seen)
            sources.push_back(source);
    }
    return sources;
}

int IsScriptItself(const char* mediumDir, const std::string& source, const char* scriptPath)
{
    std::string path;
    std::error_code error;
    return ResolveMediumFile(mediumDir, source.c_str(), &path) == 0 &&
           fs::equivalent(path, scriptPath, error);
}

// The line break that the script uses: CR LF when its first line ends so, else LF.
static std::string LineBreakOf(const std::string& bytes)
{
    size_t first = bytes.find('\n');
    return first != std::string::npos && first > 0 && bytes[first - 1] == '\r' ? "\r\n" : "\n";
}

int WriteChecksums(const std::string& bytes, const char* scriptPath, const char* mediumDir,
                   std::string* updated, std::string* problem)
{
    if (bytes.find('\0') != std::string::npos) {
        *problem = "the script holds a zero byte; the installer would never read a section "
                   "after it";
        return -1;
    }
    std::string lineBreak = LineBreakOf(bytes);
    std::string section = std::string("[") + kChecksumsSection + "]" + lineBreak;
    for (const std::string& source : ScriptSources(bytes)) {
        if (IsScriptItself(mediumDir, source, scriptPath))
            continue;
        std::string path;
        unsigned char digest[kDigestBytes];
        std::error_code error;
        if (ResolveMediumFile(mediumDir, source.c_str(), &path) != 0 ||
            FileSha256(path, digest) != 0) {
            *problem = "the source " + Shown(source) + " cannot be read in " + mediumDir;
            return -1;
        }
        uintmax_t size = fs::file_size(path, error);
        section += source + "=" + std::to_string(size) + "," + DigestHex(digest) + lineBreak;
    }

    const char* text = bytes.c_str();
    int cursor = 0;
    if (ScanForSection(text, kChecksumsSection, &cursor) != 0) {
        // Added at the end, after a blank line.
        std::string before = bytes;
        if (!before.empty() && before.back() != '\n')
            before += lineBreak;
        *updated = before + lineBreak + section;
        return 0;
    }
    // The header line starts after the line break before it.
    size_t previous = cursor >= 2 ? bytes.rfind('\n', cursor - 2) : std::string::npos;
    size_t start = previous == std::string::npos ? 0 : previous + 1;
    int keyLength = 0;
    const char* valueStart = nullptr;
    int valueLength = 0;
    for (int n; (n = ParseEntry(text + cursor, &keyLength, &valueStart, &valueLength)) != 0;)
        cursor += n;
    std::string after = bytes.substr(cursor);
    // The section keeps a blank line before a header that follows it.
    *updated = bytes.substr(0, start) + section + (after.empty() ? "" : lineBreak) + after;
    return 0;
}

// The name of path relative to mediumDir, with '/' between folders; empty when outside it.
static std::string RelativeName(const std::string& path, const char* mediumDir)
{
    std::error_code error;
    std::string relative = fs::relative(path, mediumDir, error).generic_string();
    if (error || relative.empty() || relative.compare(0, 2, "..") == 0)
        return "";
    return relative;
}

int ListMediumFiles(const std::string& bytes, const char* scriptPath, const char* mediumDir,
                    std::vector<std::string>* files, std::string* problem)
{
    std::vector<std::string> names;
    char bitmap[kTextCapacity] = "";
    int cursor = 0;
    if (ScanForSection(bytes.c_str(), kInstallSection, &cursor) == 0) {
        const NamedKey keys[] = {{"Bitmap", bitmap, kTextCapacity}};
        ReadNamedKeys(bytes.c_str(), &cursor, keys, 1);
    }
    if (bitmap[0] != '\0')
        names.push_back(bitmap);
    for (const std::string& source : ScriptSources(bytes))
        names.push_back(source);

    std::string script = RelativeName(scriptPath, mediumDir);
    if (script.empty()) {
        *problem = std::string("the script ") + scriptPath + " is not in " + mediumDir;
        return -1;
    }
    files->assign(1, script);
    for (const std::string& name : names) {
        std::string path;
        std::string relative;
        if (ResolveMediumFile(mediumDir, name.c_str(), &path) == 0)
            relative = RelativeName(path, mediumDir);
        if (relative.empty())
            *problem += (problem->empty() ? "not on the medium: " : ", ") + Shown(name);
        else if (std::find(files->begin(), files->end(), relative) == files->end())
            files->push_back(relative);
    }
    return problem->empty() ? 0 : -1;
}
