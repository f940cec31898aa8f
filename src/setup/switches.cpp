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
#include "text/command_words.h"

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
    ShowRefusal(setupState.className, NULL, id, what);
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
        const char* word = cursor;
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
        case kSwitchVerify:
            s.verifyOnly = 1;
            break;
        case kSwitchUnknown:
            if (unknown[0] == '\0')
                field = unknown;
            break;
        case kSwitchWord:   // a file dropped on the program, a launcher's argument
            LogLine("Not a switch, ignored: %s", value);
            break;
        default:   // /NORESTART: the program never restarts the machine
            break;
        }
        // A value cut to its field would mean something else: the switch is refused whole.
        if (field != 0 && TextLength(value) >= capacity && unknown[0] == '\0') {
            while (IsBlank(*word))
                word++;
            CopyBounded(unknown, kTextCapacity, word, static_cast<int>(cursor - word));
        } else if (field != 0) {
            CopyText(field, capacity, value);
        }
    }
    // A command line that asks for no window gets none, even when something else in it is
    // refused: the refusal goes to the log.
    if (HoldsQuietSwitch(SkipProgramName(commandLine)))
        mode = kRunWithoutWindow;
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
        CopyText(s.targetDir, kTextCapacity, target);
        s.targetGiven = 1;
    }
    return 0;
}
