// The suffix list walk and the quoting of a final %1.
#include "system/suffix_walk.h"

#include "text/bounded_text.h"

static int IsSuffixSeparator(char character)
{
    return character == ' ' || character == '\t';
}

int NextSuffixKey(const char** cursor, char* key, int capacity)
{
    const char* at = *cursor;
    while (IsSuffixSeparator(*at))
        at++;
    if (capacity < 2) {
        if (capacity == 1)
            key[0] = '\0';
        *cursor = at;
        return 0;
    }
    key[0] = '.';
    int stored = 0;
    while (*at != '\0' && !IsSuffixSeparator(*at)) {
        if (stored < capacity - 2)
            key[1 + stored++] = *at;
        at++;
    }
    key[1 + stored] = '\0';
    *cursor = at;
    return stored;
}

// The suffixes that run something when opened, in capitals, each ended by a zero; kept in place
// rather than pointed to, so that the shipped program needs no relocation for them.
static const char kProgramSuffixes[] =
    "EXE\0COM\0BAT\0CMD\0PIF\0SCR\0LNK\0MSI\0MSP\0MST\0CPL\0HTA\0JS\0JSE\0VBS\0VBE\0VB\0"
    "WSF\0WSH\0WS\0WSC\0SCT\0PS1\0PSM1\0PSD1\0PS1XML\0PSC1\0REG\0INF\0MSC\0JAR\0URL\0SCF\0"
    "SHS\0SHB\0CHM\0HLP\0APPLICATION\0GADGET\0APPREF-MS\0SETTINGCONTENT-MS\0DLL\0OCX\0"
    "SYS\0DIAGCAB\0MSIX\0APPX\0APPXBUNDLE\0XBAP\0";

int IsProgramSuffix(const char* key)
{
    const char* suffix = key[0] == '.' ? key + 1 : key;
    for (const char* known = kProgramSuffixes; *known != '\0'; known += TextLength(known) + 1) {
        int at = 0;
        while (known[at] != '\0' && UpperAscii(suffix[at]) == known[at])
            at++;
        if (known[at] == '\0' && suffix[at] == '\0')
            return 1;
    }
    return 0;
}

int QuoteFinalArgument(char* command, int capacity)
{
    int length = TextLength(command);
    if (length < 2 || command[length - 2] != '%' || command[length - 1] != '1')
        return 0;
    if (length + 2 >= capacity)
        return 0;
    CopyBounded(command + length - 2, capacity - (length - 2), "\"%1\"", 4);
    return 1;
}
