// infcheck: prints what the installer will do with a setup script, and warns about its traps.
#include <stdio.h>
#include <string.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

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

int main(int argc, char** argv)
{
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

    std::ifstream file(scriptPath, std::ios::binary);
    if (!file) {
        fprintf(stderr, "infcheck: cannot open %s\n", scriptPath);
        return kCheckUnusable;
    }
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        fprintf(stderr, "infcheck: cannot read %s\n", scriptPath);
        return kCheckUnusable;
    }

    std::string medium;
    if (mediumArgument != nullptr) {
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
