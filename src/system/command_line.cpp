// Command lines that name a program by its full path.
#include "system/command_line.h"

#include "text/bounded_text.h"

static int HoldsBlank(const char* text)
{
    for (; *text != '\0'; text++) {
        if (*text == ' ')
            return 1;
    }
    return 0;
}

int BuildProgramCommand(char* command, int capacity, const char* folder, const char* program,
                        ProgramQuoting quoting, const char* arguments)
{
    int quoted = quoting == kQuoteAlways ||
                 (quoting == kQuoteWhenBlank && (HoldsBlank(folder) || HoldsBlank(program)));
    int folderLength = TextLength(folder);
    int programLength = TextLength(program);
    int argumentsLength = TextLength(arguments);
    // One separator, as every path the installer joins: none more after a folder that ends in
    // one (a drive root).
    int separator = folderLength > 0 && folder[folderLength - 1] == '\\' ? 0 : 1;
    int expected = folderLength + separator + programLength + argumentsLength + (quoted ? 2 : 0);
    int length = CopyBounded(command, capacity, "\"", quoted ? 1 : 0);
    length = AppendBounded(command, capacity, length, folder, folderLength);
    length = AppendBounded(command, capacity, length, "\\", separator);
    length = AppendBounded(command, capacity, length, program, programLength);
    length = AppendBounded(command, capacity, length, "\"", quoted ? 1 : 0);
    length = AppendBounded(command, capacity, length, arguments, argumentsLength);
    return length == expected ? length : -1;
}
