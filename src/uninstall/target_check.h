// The uninstaller's command line: the target folder it names, refused before anything is touched when it is not one an installation can be removed from.
#pragma once

// Takes the target from the command line into uninstallState.target (without a final
// backslash). Returns 0, or -1 after showing why it is refused: no '/', a path that is empty,
// relative or a root, a protected folder (the Windows directory or a folder below it, the
// program files and common files folders, the temporary folder, the profiles folder, a profile
// or a shell folder, or a folder that holds one of them), or a path through a link.
int AcceptTarget(const char* commandLine);
