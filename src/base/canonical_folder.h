// The one form in which the setup program and the uninstaller compare folders: full, long and as the system resolves it.
#pragma once

// Writes into folder (kPathCapacity bytes) the canonical form of path: completed against the
// current directory, long names for short ones, a local administrative share as its drive,
// without the dots and blanks that the system drops at a component's end and without a final
// backslash (but for a drive root). Returns its length, or -1 when path is empty or the form
// does not fit.
int CanonicalFolder(const char* path, char* folder);
