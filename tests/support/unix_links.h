// Symbolic links made under Wine by the system's own ln, as another user of the machine could put them: a file or folder name that leads elsewhere.
#pragma once

#include <string>

// Makes link a symbolic link to the existing file or folder target, then waits until the
// prefix sees the name (Wine shows a link to a file as a plain file). 0, or -1 (not Wine, or
// the link did not appear in time).
int MakeUnixLink(const std::string& link, const std::string& target);

// Removes link itself (a name made by MakeUnixLink), never what it points to. Safe when there
// is none.
void RemoveUnixLink(const std::string& link);
