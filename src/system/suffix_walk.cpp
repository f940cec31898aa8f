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
