// infcheck: prints what the installer will do with a setup script, and warns about its traps.
#include <stdio.h>
#include <string.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

#include "infcheck.h"

static int Usage()
{
    fprintf(stderr,
            "usage: infcheck [--no-medium | --write-checksums | --list-files] SETUP.INF "
            "[MEDIUM_FOLDER]\n"
            "  Reads SETUP.INF as the installer does and prints the settings, files, shortcuts\n"
            "  and suffixes it will use, with a warning for every trap. Sources are looked up\n"
            "  in MEDIUM_FOLDER, by default the folder that holds SETUP.INF, and checked\n"
            "  against the [Checksums] section when there is one.\n"
            "  --write-checksums  first writes the [Checksums] section into SETUP.INF from the\n"
            "                     sources as they are on the medium (replacing the old one)\n"
            "  --list-files       only prints the medium's files that the script needs (the\n"
            "                     script, the bitmap, the sources), one a line\n"
            "  Exit status: 0 clean, 1 warnings, 2 unusable script (or bad arguments).\n");
    return kCheckUnusable;
}

// Reads the whole file at path into bytes. Returns 0, or -1 after saying what is wrong.
static int ReadScript(const char* path, std::string* bytes)
{
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) {
        fprintf(stderr, "infcheck: there is no file %s\n", path);
        return -1;
    }
    if (std::filesystem::is_directory(status)) {
        fprintf(stderr, "infcheck: %s is a folder, not a setup script: name the SETUP.INF in it\n",
                path);
        return -1;
    }
    FILE* file = fopen(path, "rb");
    if (file == nullptr) {
        fprintf(stderr, "infcheck: cannot open %s\n", path);
        return -1;
    }
    char chunk[4096];
    size_t count = 0;
    while ((count = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes->append(chunk, count);
    int failed = ferror(file);
    fclose(file);
    if (failed) {
        fprintf(stderr, "infcheck: cannot read %s\n", path);
        return -1;
    }
    return 0;
}

// A medium folder named on the command line must be one: every source would be missing
// otherwise. Returns 0, or -1 after saying what is wrong.
static int CheckMediumFolder(const char* medium)
{
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::status(medium, error);
    if (std::filesystem::is_directory(status))
        return 0;
    fprintf(stderr, "infcheck: the medium folder %s %s: name the folder that holds SETUP.EXE "
            "and the sources, or give --no-medium\n", medium,
            std::filesystem::exists(status) ? "is not a folder" : "does not exist");
    return -1;
}

// Prints the medium's files that the script needs, one a line. Returns the exit status.
static int ListFiles(const std::string& bytes, const char* scriptPath, const char* medium)
{
    std::vector<std::string> files;
    std::string problem;
    if (ListMediumFiles(bytes, scriptPath, medium, &files, &problem) != 0) {
        fprintf(stderr, "infcheck: %s\n", problem.c_str());
        return kCheckUnusable;
    }
    for (const std::string& file : files)
        printf("%s\n", file.c_str());
    return kCheckClean;
}

// Replaces the script at scriptPath by *bytes with a new [Checksums] section, through a file
// beside it that takes its place whole. Returns 0 with *bytes updated, or -1 after saying why.
static int WriteScriptChecksums(std::string* bytes, const char* scriptPath, const char* medium)
{
    std::string updated;
    std::string problem;
    if (WriteChecksums(*bytes, scriptPath, medium, &updated, &problem) != 0) {
        fprintf(stderr, "infcheck: no [Checksums] written: %s\n", problem.c_str());
        return -1;
    }
    std::string temporary = std::string(scriptPath) + ".new";
    FILE* file = fopen(temporary.c_str(), "wb");
    int ok = file != nullptr && fwrite(updated.data(), 1, updated.size(), file) == updated.size();
    ok = file != nullptr && fclose(file) == 0 && ok;
#ifdef _WIN32
    ok = ok && MoveFileExA(temporary.c_str(), scriptPath, MOVEFILE_REPLACE_EXISTING);
#else
    ok = ok && rename(temporary.c_str(), scriptPath) == 0;
#endif
    if (!ok) {
        remove(temporary.c_str());
        fprintf(stderr, "infcheck: cannot write %s\n", scriptPath);
        return -1;
    }
    *bytes = updated;
    return 0;
}

int main(int argc, char** argv)
{
#ifdef _WIN32
    // The report reaches scripts byte for byte, with the same line ends as the native build.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    const char* scriptPath = nullptr;
    const char* mediumArgument = nullptr;
    int checkMedium = 1;
    int writeChecksums = 0;
    int listFiles = 0;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--no-medium") == 0)
            checkMedium = 0;
        else if (strcmp(argv[i], "--write-checksums") == 0)
            writeChecksums = 1;
        else if (strcmp(argv[i], "--list-files") == 0)
            listFiles = 1;
        else if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0)
            return Usage();
        else if (scriptPath == nullptr)
            scriptPath = argv[i];
        else if (mediumArgument == nullptr)
            mediumArgument = argv[i];
        else
            return Usage();
    }
    // Both the list and the section need the medium.
    if (scriptPath == nullptr || (!checkMedium && (writeChecksums || listFiles)) ||
        writeChecksums + listFiles > 1)
        return Usage();

    std::string bytes;
    if (ReadScript(scriptPath, &bytes) != 0)
        return kCheckUnusable;

    std::string medium;
    if (mediumArgument != nullptr) {
        if (checkMedium && CheckMediumFolder(mediumArgument) != 0)
            return kCheckUnusable;
        medium = mediumArgument;
    } else {
        medium = std::filesystem::path(scriptPath).parent_path().string();
        if (medium.empty())
            medium = ".";
    }

    if (listFiles)
        return ListFiles(bytes, scriptPath, medium.c_str());
    if (writeChecksums && WriteScriptChecksums(&bytes, scriptPath, medium.c_str()) != 0)
        return kCheckUnusable;

    std::string report;
    int status = CheckScript(bytes, scriptPath, checkMedium ? medium.c_str() : nullptr, &report);
    fwrite(report.data(), 1, report.size(), stdout);
    return status;
}
