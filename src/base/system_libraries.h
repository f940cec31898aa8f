// Libraries of the platform, taken from the system directory alone.
#pragma once

#include <windows.h>

// Makes the library search skip the program's own folder and the current directory, so that
// no file beside the program can be loaded as a library. Called as the first thing of WinMain,
// before any library is loaded at run time. Returns 0, or -1 where the platform lacks default
// library directories: then only the current directory leaves the search, and
// LoadSystemLibrary names the system directory in full.
int ProtectLibrarySearch(void);

// Loads the library `name` (a file name such as "ole32.dll") from the system directory, with
// the libraries it needs. The module stays loaded for the rest of the process; 0 on failure.
HMODULE LoadSystemLibrary(const char* name);

// The same through the full path in the system directory, with the libraries it needs searched
// from there: the way of platforms without default library directories. 0 on failure.
HMODULE LoadSystemLibraryByPath(const char* name);

// The entry point `procedure` of the system library `library`, or 0.
FARPROC FindSystemProcedure(const char* library, const char* procedure);
