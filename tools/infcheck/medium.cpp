// Lookup of a script's source names on the installation medium, as the installer opens them.
#include "infcheck.h"

#include <ctype.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

static int SameIgnoringCase(const std::string& first, const std::string& second)
{
    if (first.size() != second.size())
        return 0;
    for (size_t i = 0; i < first.size(); i++) {
        if (tolower(static_cast<unsigned char>(first[i])) !=
            tolower(static_cast<unsigned char>(second[i])))
            return 0;
    }
    return 1;
}

// The entry of folder named component; on a case-sensitive file system the first entry whose
// name differs only in case stands in, as the installer's file system would find it.
static fs::path ResolveComponent(const fs::path& folder, const std::string& component)
{
    std::error_code error;
    fs::path exact = folder / component;
    if (component == "." || component == ".." || fs::exists(exact, error))
        return exact;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (SameIgnoringCase(entry->path().filename().string(), component))
            return entry->path();
    }
    return exact;
}

int ResolveMediumFile(const char* mediumDir, const char* name, std::string* path)
{
    fs::path resolved(mediumDir);
    std::string component;
    for (const char* at = name;; at++) {
        if (*at == '\\' || *at == '/' || *at == '\0') {
            if (!component.empty())
                resolved = ResolveComponent(resolved, component);
            component.clear();
            if (*at == '\0')
                break;
        } else {
            component += *at;
        }
    }
    std::error_code error;
    *path = resolved.string();
    return fs::is_regular_file(resolved, error) ? 0 : -1;
}

int FindMediumFile(const char* mediumDir, const char* name, long long* size)
{
    std::string path;
    if (ResolveMediumFile(mediumDir, name, &path) != 0)
        return -1;
    std::error_code error;
    uintmax_t bytes = fs::file_size(path, error);
    if (error)
        return -1;
    *size = static_cast<long long>(bytes);
    return 0;
}
