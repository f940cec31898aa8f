// Start-up: string table, window class, setup script and settings, size pass, message loop.
#pragma once

#include <windows.h>

// Everything WinMain does after protecting the library search, returning the exit status (an
// ExitStatus; split out so that tests can reach it).
// Fills SetupState from the string table and the script, runs the installation to its end
// and releases the brushes, the window class and the script.
// The command line's switches come first; the run's log ends with the exit status.
int RunSetup(HINSTANCE instance, const char* commandLine);
