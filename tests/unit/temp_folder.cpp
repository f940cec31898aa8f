// Scratch folders under the temporary directory for the tests that work on real files.
#ifdef _WIN32
#include "temp_folder.h"

#include <windows.h>

std::string MakeTempDirectory(const char* tag)
{
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static int serial = 0;
    char name[MAX_PATH];
    wsprintfA(name, "%squillor_%s_%lu_%d", base, tag, GetCurrentProcessId(), ++serial);
    CreateDirectoryA(name, nullptr);
    return name;
}

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}
#endif
