// Lays out a setup medium in a fresh temporary folder: SETUP.EXE from the build, a script and its source files.
#include "medium.h"

#include <windows.h>

int CreateMedium(const char* prefix, const std::string& script, Medium* medium)
{
    medium->root = MakeTempDirectory(prefix);
    if (medium->root.empty()) return -1;
    medium->folder = medium->root + "\\medium";
    medium->target = medium->root + "\\target";
    if (!CreateDirectoryA(medium->folder.c_str(), nullptr)) return -1;
    if (CopyProgramToMedium(*medium, "SETUP.EXE") != 0) return -1;
    return WriteMediumFile(*medium, "SETUP.INF", script);
}

int CreateSampleMedium(const char* prefix, Medium* medium)
{
    if (CreateMedium(prefix, "", medium) != 0) return -1;
    if (CopyTree(ProgramFolder() + "\\demo-medium", medium->folder) != 0) return -1;
    return CopyProgramToMedium(*medium, "Quillor.exe");
}

int CopyProgramToMedium(const Medium& medium, const char* name)
{
    std::string from = ProgramFolder() + "\\" + name;
    return CopyFileA(from.c_str(), (medium.folder + "\\" + name).c_str(), FALSE) ? 0 : -1;
}

void RemoveMedium(Medium* medium)
{
    if (!medium->root.empty()) RemoveTree(medium->root);
    medium->root.clear();
    medium->folder.clear();
    medium->target.clear();
}

int WriteMediumFile(const Medium& medium, const std::string& name, const std::string& bytes)
{
    std::string path = medium.folder + "\\" + name;
    if (MakeDirectories(path.substr(0, path.rfind('\\'))) != 0) return -1;
    return WriteFileBytes(path, bytes);
}
