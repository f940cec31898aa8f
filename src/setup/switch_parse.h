// Reading the setup program's command line, one switch at a time (no window calls).
#pragma once

#include "text/command_words.h"

enum SwitchKind {
    kSwitchEnd,          // nothing more on the line
    kSwitchPassive,      // /SILENT, /PASSIVE
    kSwitchVerySilent,   // /S, /VERYSILENT
    kSwitchDirectory,    // /D=, /DIR=
    kSwitchLog,          // /LOG=
    kSwitchRegister,     // /REGISTER, /REGISTER=
    kSwitchNoRestart,    // /NORESTART
    kSwitchHelp,         // /?, /HELP
    kSwitchAllowDowngrade,   // /ALLOWDOWNGRADE
    kSwitchAllUsers,     // /ALLUSERS
    kSwitchCurrentUser,  // /CURRENTUSER
    kSwitchUnknown,      // anything else, or a known switch with a wrong or missing value
};

// Reads the switch at *cursor and moves the cursor past it. Names start with '/' or '-' and
// are matched without regard to letter case. The value after '=' goes into value (capacity
// bytes, quotes removed); /D= without quotes takes the rest of the line, blanks included. The
// value may be quoted ("/DIR=C:\a b" too, the whole switch quoted).
// For kSwitchUnknown, value holds the word as written (cut to capacity).
SwitchKind ReadSwitch(const char** cursor, char* value, int capacity);

// Checks a target folder given on the command line and removes its final backslashes; the rest
// is the one rule for a target folder (CheckTargetText). Returns the new length, or -1.
int CheckGivenTarget(char* path);
