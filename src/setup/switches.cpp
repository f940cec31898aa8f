// The setup program's command line: switches read into SetupState before anything else.
#include "setup/switches.h"

#include "base/exit_statuses.h"
#include "base/message_boxes.h"
#include "base/run_log.h"
#include "base/setup_messages.h"
#include "base/setup_state.h"
#include "resources/resource_ids.h"
#include "setup/switch_parse.h"
#include "text/bounded_text.h"

// The list of switches, in a box (in a quiet run only in the log).
static void ShowSwitchList(void)
{
    SetupState& s = setupState;
    LoadStringA(s.instance, IDS_SWITCH_LIST, s.workBuffer, kWorkCapacity);
    AskOrAnswer(NULL, s.workBuffer, s.className, MB_ICONINFORMATION, IDOK);
}

// Shows message id about what (no box in a quiet run) and gives the status of a refused run.
static int RefuseCommandLine(UINT id, const char* what, int* status)
{
    ShowSetupMessage(setupState.className, NULL, id, what, MB_ICONERROR);
    *status = kExitInvalidSwitch;
    return -1;
}

int ReadSwitches(const char* commandLine, int* status)
{
    SetupState& s = setupState;
    char value[kPathCapacity];
    char unknown[kTextCapacity];
    char target[kPathCapacity];
    int helpAsked = 0;
    RunMode mode = kRunWithWindows;
    unknown[0] = '\0';
    target[0] = '\0';
    const char* cursor = SkipProgramName(commandLine);
    for (;;) {
        SwitchKind kind = ReadSwitch(&cursor, value, kPathCapacity);
        if (kind == kSwitchEnd)
            break;
        // Where the switch's value is kept, if anywhere.
        char* field = 0;
        int capacity = kTextCapacity;
        switch (kind) {
        case kSwitchPassive:
            if (mode < kRunPassive)
                mode = kRunPassive;
            break;
        case kSwitchVerySilent:
            mode = kRunWithoutWindow;
            break;
        case kSwitchDirectory:
            field = target;
            capacity = kPathCapacity;
            break;
        case kSwitchLog:
            field = s.logPath;
            capacity = kPathCapacity;
            break;
        case kSwitchRegister:
            s.registerAsked = 1;
            field = s.registerSuffixes;
            break;
        case kSwitchHelp:
            helpAsked = 1;
            break;
        case kSwitchAllowDowngrade:
            s.allowDowngrade = 1;
            break;
        case kSwitchAllUsers:
            s.scopeAsked = kScopeAllUsersAsked;
            break;
        case kSwitchCurrentUser:
            s.scopeAsked = kScopeCurrentUserAsked;
            break;
        case kSwitchUnknown:
            if (unknown[0] == '\0')
                field = unknown;
            break;
        default:   // /NORESTART: the program never restarts the machine
            break;
        }
        if (field != 0)
            CopyBounded(field, capacity, value, TextLength(value));
    }
    s.runMode = mode;
    runLog.quiet = mode != kRunWithWindows;
    if (unknown[0] != '\0')
        return RefuseCommandLine(IDS_UNKNOWN_SWITCH, unknown, status);
    if (helpAsked) {
        ShowSwitchList();
        *status = kExitInstalled;
        return -1;
    }
    if (target[0] != '\0') {
        // The target field holds 127 characters: a longer path would be cut into another.
        if (TextLength(target) >= kTextCapacity || CheckGivenTarget(target) < 0)
            return RefuseCommandLine(IDS_INCOMPLETE_TARGET, target, status);
        CopyBounded(s.targetDir, kTextCapacity, target, TextLength(target));
        s.targetGiven = 1;
    }
    return 0;
}
