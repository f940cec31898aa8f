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
    kSwitchVerify,       // /VERIFY
    kSwitchUnknown,      // anything else, or a known switch with a wrong or missing value
    kSwitchWord,         // a word that is no switch: a file dropped on the program, say
};

// Reads the switch at *cursor and moves the cursor past it. Names start with '/' or '-' and
// are matched without regard to letter case. The value after '=' goes into value (capacity
// bytes, quotes removed); /D= without quotes takes blanks too, up to the blanks before the next
// known switch or the end of the line. The value may be quoted ("/DIR=C:\a b" too, the whole
// switch quoted). A switch without a value may have the next one glued to it: /S/D=C:\Q.
// A word after another unquoted value (/DIR=C:\Program Files) is taken for the rest of that
// value: the switch is kSwitchUnknown, up to the next switch. For kSwitchUnknown and
// kSwitchWord, value holds the text as written (cut to capacity); a word's quoted parts may
// hold blanks.
SwitchKind ReadSwitch(const char** cursor, char* value, int capacity);

// Nonzero when the arguments hold /S or /VERYSILENT anywhere (-S at the start of a word), on
// its own, glued to another word, or quoted: whoever wrote such a command line expects no box,
// whatever else it holds.
int HoldsQuietSwitch(const char* arguments);

// Checks a target folder given on the command line and removes its final backslashes; the rest
// is the one rule for a target folder (CheckTargetText). Returns the new length, or -1.
int CheckGivenTarget(char* path);
