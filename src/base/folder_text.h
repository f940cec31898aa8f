// Folder paths as text: the form the system gives them, comparison without regard to ASCII case, and device names (no window calls).
#pragma once

// Rewrites path (length bytes, terminated) in place into the form the system uses for it: a
// local administrative share (\\localhost\C$, \\127.0.0.1\C$) and the device forms \\?\C: and
// \\.\C: become the drive itself, every component loses the dots and blanks that the system
// drops at its end (a component made only of them stays as it is), a doubled backslash
// becomes one, and a final backslash goes unless it ends a drive root. Returns the new length.
int CanonicalFolderText(char* path, int length);

// Compares n bytes without regard to ASCII case; 0 when they are equal.
int CompareFolded(const char* first, const char* second, int n);

// Nonzero when path is folder or lies below it, without regard to ASCII case; a final
// backslash of either does not count. An empty folder holds nothing.
int IsSameOrBelow(const char* path, const char* folder);

// Nonzero when the name (length bytes, one component) opens a device rather than a file
// whatever folder it is in: CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, CONIN$, CONOUT$ and
// CLOCK$, also with an extension or blanks after them.
int IsDeviceName(const char* name, int length);
