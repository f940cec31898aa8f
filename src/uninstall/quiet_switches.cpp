// The uninstaller's switches before its target: /S for a run without any window, /LOG=<file>.
#include "uninstall/quiet_switches.h"

#include "base/run_log.h"
#include "text/bounded_text.h"
#include "text/command_words.h"
#include "uninstall/uninstall_paths.h"

// The switch letters at text, compared with name (in capitals) without regard to case.
static int StartsWithName(const char* text, const char* name)
{
    for (; *name != '\0'; text++, name++) {
        if (UpperAscii(*text) != *name)
            return 0;
    }
    return 1;
}

const char* ReadUninstallSwitches(const char* commandLine, char* logPath)
{
    logPath[0] = '\0';
    // After the program's name: past its closing quotation mark, or its trailing blanks.
    int programLength = 0;
    const char* at = FindCommandProgram(commandLine, &programLength) + programLength;
    if (*at == '"')
        at++;
    const char* rest = commandLine;
    for (;;) {
        while (IsBlank(*at))
            at++;
        if (*at != '/' && *at != '-')
            break;
        if (StartsWithName(at + 1, "S") && (IsBlank(at[2]) || at[2] == '\0')) {
            runLog.quiet = 1;
            at += 2;
        } else if (StartsWithName(at + 1, "LOG=")) {
            const char* value = at + 5;
            const char* end = value;
            if (*value == '"') {
                value++;
                end = value;
                while (*end != '\0' && *end != '"')
                    end++;
                at = *end == '"' ? end + 1 : end;
            } else {
                while (*end != '\0' && !IsBlank(*end))
                    end++;
                at = end;
            }
            int length = static_cast<int>(end - value);
            if (length < kPathCapacity)
                CopyBounded(logPath, kPathCapacity, value, length);
        } else {
            break;
        }
        rest = at;
    }
    return rest;
}
