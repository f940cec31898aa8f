// The choice between the two scopes of an installation, from the command line and the process's rights (no window calls).
#pragma once

enum InstallScope {
    kScopeAllUsers,      // per machine: program files, HKEY_LOCAL_MACHINE, the common folders
    kScopeCurrentUser,   // per user: the user's profile and HKEY_CURRENT_USER alone
};

// What the command line asks of the scope.
enum ScopeAsked {
    kScopeByRights,        // nothing: elevated is all users, otherwise the current user
    kScopeAllUsersAsked,   // /ALLUSERS
    kScopeCurrentUserAsked,   // /CURRENTUSER
};

// Why the scope is what it is, as the log says it.
enum ScopeReason {
    kReasonElevated,       // elevated, nothing asked
    kReasonNotElevated,    // not elevated, nothing asked
    kReasonSwitch,         // the switch asked for it (and the rights allow it)
    kReasonRefused,        // /ALLUSERS without the rights: the run ends, nothing written
};

struct ScopeChoice {
    InstallScope scope;
    ScopeReason reason;
};

// The scope of a run from what was asked and whether the process is elevated.
ScopeChoice ChooseScope(ScopeAsked asked, int elevated);
