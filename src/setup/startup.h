// Start-up: string table, window class, setup script and settings, size pass, message loop.
#pragma once

#include <windows.h>

// Exit status when the program ends before its window could run the installation: the script
// path does not fit, the script cannot be loaded, Install or Files is missing, or the main
// window cannot be created. The installation itself always ends with 0.
enum { kEarlyEndStatus = 1 };

// Everything WinMain does, returning the exit status (split out so that tests can reach it).
// Fills SetupState from the string table and the script, runs the installation to its end
// and releases the brushes, the window class and the script.
int RunSetup(HINSTANCE instance);
