// Folder paths as text: the form the system gives them, comparison without regard to ASCII case, device names, and the rules for a target folder and for a name that stays inside a folder (no window calls).
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

// Nonzero for a character that no file or folder name holds: a control character, '"', '*',
// '?', '<', '>' or '|' (':' and the slashes separate the parts of a path).
int IsForbiddenInName(char c);

// Nonzero when the name (length bytes, one component) opens a device rather than a file
// whatever folder it is in: CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, CONIN$, CONOUT$ and
// CLOCK$, also with an extension or blanks after them.
int IsDeviceName(const char* name, int length);

// Length of the root of an absolute path: 3 for "C:\", the length of "\\server\share" for a
// network name; 0 when the text is neither.
int RootLength(const char* path, int length);

// Checks the text of a folder to install into or uninstall from: absolute (drive or network
// share) and below the root, with non-empty components that are not made of dots and blanks,
// no '/', no second ':' and no character that a file name cannot hold. Returns its length
// without one final backslash, or -1 when it is refused.
int CheckTargetText(const char* text, int length);

// Nonzero when name (length bytes) leads to a place inside the folder it is taken relative to:
// non-empty, no drive, no root, no '/', no component that is empty, made of dots and blanks,
// or a device name. The one rule for a script's destination below the target, for the
// installer and the uninstaller alike.
int StaysInside(const char* name, int length);

// Nonzero when a component of name (length bytes) is a device name.
int HoldsDeviceName(const char* name, int length);

// Nonzero when name is a plain file name: it stays inside and holds no backslash.
int IsPlainName(const char* name, int length);
