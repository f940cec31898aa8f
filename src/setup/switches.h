// The setup program's command line: switches read into SetupState before anything else.
#pragma once

// Reads every switch of commandLine into SetupState (runMode, targetDir and targetGiven,
// logPath, registerAsked and registerSuffixes) and sets runLog.quiet for a run without boxes.
// Returns 0 to go on, or -1 to end at once with *status: kExitInvalidSwitch after a box that
// names an unknown switch or a refused target (no box in a quiet run), or kExitInstalled
// after the list of switches (/?), which goes to a redirected output or else into a box.
int ReadSwitches(const char* commandLine, int* status);
