// The uninstaller's command line: the target folder it names, refused before anything is touched when it is not one an installation can be removed from.
#pragma once

// Takes the target that the command line names (textLength bytes at text, text 0 when it names
// none) into uninstallState.target, in canonical form (see base/canonical_folder.h). Returns 0,
// or -1 after showing why it is refused: no target, a path that is empty, relative or a root,
// a refused folder (base/refused_folders.h), or a path through a link.
int AcceptTarget(const char* text, int textLength);
