// Lays out a setup medium in a fresh temporary folder: SETUP.EXE from the build, a script and its source files.
#pragma once

#include <string>

#include "files.h"

// A fresh folder under the temporary directory: the medium (SETUP.EXE, SETUP.INF, the sources)
// and room for a target directory beside it. RemoveMedium deletes it all.
struct Medium {
    std::string root;     // the fresh folder, without a final backslash
    std::string folder;   // root\medium
    std::string target;   // root\target, not created: a target directory for the installation
};

// Makes a fresh folder named after prefix, its medium folder with a copy of the SETUP.EXE that
// lies beside the running program, and SETUP.INF holding script. Returns 0 or -1.
int CreateMedium(const char* prefix, const std::string& script, Medium* medium);

// Like CreateMedium, with the sample medium that the build keeps beside the running program
// (demo-medium, with its own SETUP.INF) and the editor Quillor.exe. Returns 0 or -1.
int CreateSampleMedium(const char* prefix, Medium* medium);

// Copies the program file name that lies beside the running program into the medium. 0 or -1.
int CopyProgramToMedium(const Medium& medium, const char* name);

// Deletes the medium's whole folder. Safe to call twice.
void RemoveMedium(Medium* medium);

// Writes a file below the medium folder (name may hold subdirectories, which are made). 0 or -1.
int WriteMediumFile(const Medium& medium, const std::string& name, const std::string& bytes);
