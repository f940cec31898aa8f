// Links and moves made from the Unix side of a Wine prefix, as another user of the machine could make them.
#pragma once

#include <string>

// The Unix name of a path of the prefix, or "" when the system is not Wine.
std::string UnixName(const std::string& path);

// Runs the shell command line under /bin/sh apart from Wine's processes and waits (bounded)
// until it has ended. 0, or -1 when it failed or did not end in time.
int RunUnixShell(const std::string& commandLine);

// Makes link a symbolic link (ln -s) to target, a file or folder that need not exist. 0 or -1.
int MakeUnixLink(const std::string& link, const std::string& target);

// Renames from to to on the Unix side (mv), even while a file below is open. 0 or -1.
int MoveByUnix(const std::string& from, const std::string& to);

// Removes link itself (a name made by MakeUnixLink), never what it points to. Safe when there
// is none.
void RemoveUnixLink(const std::string& link);
