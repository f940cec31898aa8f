// infcheck: prints what the installer will do with a setup script, and warns about its traps.
#include <stdio.h>
#include <string.h>

#include <filesystem>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "infcheck.h"

static int Usage()
{
    fprintf(stderr,
            "usage: infcheck [--no-medium] SETUP.INF [MEDIUM_FOLDER]\n"
            "  Reads SETUP.INF as the installer does and prints the settings, files, shortcuts\n"
            "  and suffixes it will use, with a warning for every trap. Sources are looked up\n"
            "  in MEDIUM_FOLDER, by default the folder that holds SETUP.INF.\n"
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
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--no-medium") == 0)
            checkMedium = 0;
        else if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0)
            return Usage();
        else if (scriptPath == nullptr)
            scriptPath = argv[i];
        else if (mediumArgument == nullptr)
            mediumArgument = argv[i];
        else
            return Usage();
    }
    if (scriptPath == nullptr)
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

    std::string report;
    int status = CheckScript(bytes, scriptPath, checkMedium ? medium.c_str() : nullptr, &report);
    fwrite(report.data(), 1, report.size(), stdout);
    return status;
}
