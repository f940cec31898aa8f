// Shell links read back through the shell's own link object, as the shell would read them.
#pragma once

#include <windows.h>

#include <string>

// What a shell link file holds.
struct LinkContents {
    HRESULT status;  // of loading the file; the fields below are read only when it succeeded
    std::string target;
    std::string description;
    std::string iconFile;
    int iconIndex;
    int showCommand;
};

// Loads the link file at path through IShellLinkA. Initialises COM for the call itself.
LinkContents LoadLink(const std::string& path);
