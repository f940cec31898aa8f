// Scratch folders under the temporary directory for the tests that work on real files.
#pragma once

#include <string>

// Makes a fresh folder named after tag, this process and a counter; returns its path.
std::string MakeTempDirectory(const char* tag);

// Deletes a folder with everything in it.
void RemoveTree(const std::string& path);

// A scratch folder for the life of the object: made at once, removed with its contents after.
struct TempFolder {
    std::string path = MakeTempDirectory("folder");
    ~TempFolder() { RemoveTree(path); }
};
