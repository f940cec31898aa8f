// Removing the installation's files and folders without ever going through a junction or a symbolic link.
#pragma once

#include <windows.h>

// Removes a file. A file that is not there counts as removed. Returns 0, or -1 after listing
// it as left (in use, or cannot be removed).
int RemoveOneFile(const char* path);

// Removes a folder when it is empty; a link in its place is removed as a link. Returns 0 when
// it is gone, 1 when it stays because it holds something, or -1 after listing it as left.
int RemoveEmptyFolder(const char* path);

// Removes every destination of the trusted script's Files section: in the target folder
// through ordinary folders only, and plain names in the Windows directory. Destinations that
// would lead out of their folder are skipped and listed. The script's copy and Purgax.exe are
// noted (copyListed, uninstallerListed), not removed here. The counts of Windows-directory
// files that other installations still count are left for a second pass (countsDue set),
// which only lowers them.
void RemoveScriptFiles(void);

// Removes the folders that held the script's files once they are empty, deepest first, and
// notes a target that another program holds as an item for a retry.
void RemoveEmptyFolders(void);

// Once nothing is left for a retry and the shared counts are down: the script copy, when the
// script lists it, and the target folder when it is empty; notes folderStays when the target
// still holds other files.
void RemoveCopyAndTarget(void);

// Removes everything in the target folder, links as links, and then the folder itself.
void RemoveWholeTarget(void);

