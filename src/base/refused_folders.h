// The folders that no installation goes into and no uninstallation removes, for every user of the machine.
#pragma once

// Nonzero when folder (canonical form) is refused: the Windows directory or a folder below
// it, the program files and common files folders, the temporary folder, a shell folder, the
// profiles folder, any user's profile or a folder directly in one, or a folder that holds
// one of them.
int IsRefusedFolder(const char* folder);
