// The uninstaller's switches before its target: /S for a run without any window, /LOG=<file>.
#pragma once

// Reads /S and /LOG=<file> (in any letter case, '-' for '/', the file quoted when it holds a
// blank) from the start of the arguments of commandLine: /S sets runLog.quiet, the file goes
// into logPath (kPathCapacity bytes, empty without the switch). Returns where the target's '/'
// is to be looked for: commandLine itself when no switch came first, else just after them.
const char* ReadUninstallSwitches(const char* commandLine, char* logPath);
