// Completion of the typed target directory into an absolute path (no window calls).
#pragma once

// Builds the completed path of `text` into target (capacity bytes). currentDirectory is the
// process's current directory, drive its number (1 = A); see the drive, root and relative forms.
// A relative text stays as typed when the current directory is unknown (empty) or so long that
// the completed path would be cut, as long as the text fits on its own.
void CompleteTargetPath(const char* text, const char* currentDirectory, int drive,
                        char* target, int capacity);
