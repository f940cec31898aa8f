// The whole uninstallation, from the command line to the final report.
#pragma once

#include <windows.h>

// Everything WinMain does: checks the target that the command line names, finds its uninstall
// entry, asks, removes what the installation made and shows one report. Returns the exit
// status (kRemovedStatus, kPartlyRemovedStatus or kNothingDoneStatus).
int RunUninstaller(HINSTANCE instance, const char* commandLine);
