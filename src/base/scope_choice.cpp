// The choice between the two scopes of an installation, from the command line and the process's rights.
#include "base/scope_choice.h"

ScopeChoice ChooseScope(ScopeAsked asked, int elevated)
{
    if (asked == kScopeCurrentUserAsked)
        return {kScopeCurrentUser, kReasonSwitch};
    if (asked == kScopeAllUsersAsked)
        return {kScopeAllUsers, elevated ? kReasonSwitch : kReasonRefused};
    return elevated ? ScopeChoice{kScopeAllUsers, kReasonElevated}
                    : ScopeChoice{kScopeCurrentUser, kReasonNotElevated};
}
