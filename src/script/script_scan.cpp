// Line and section scanning of the setup script text, and the parsing of one entry line.
#include "script/script_scan.h"

#include "text/bounded_text.h"

void LineExtent(const char* line, int* contentLength, int* breakLength)
{
    int at = 0;
    while (line[at] != '\0' && line[at] != '\n')
        at++;
    if (line[at] == '\0') {
        *contentLength = at;
        *breakLength = 0;
    } else if (at > 0 && line[at - 1] == '\r') {
        *contentLength = at - 1;
        *breakLength = 2;
    } else {
        *contentLength = at;
        *breakLength = 1;
    }
}

int ScanForSection(const char* text, const char* name, int* cursor)
{
    int nameLength = TextLength(name);
    *cursor = 0;
    while (text[*cursor] != '\0') {
        const char* line = text + *cursor;
        int content = 0;
        int lineBreak = 0;
        LineExtent(line, &content, &lineBreak);
        *cursor += content + lineBreak;
        // The comparison stops at the first differing byte, at the latest at the text's
        // terminator, since the name holds no zero byte within its length.
        if (content > 0 && line[0] == '[' && CompareCounted(line + 1, name, nameLength) == 0)
            return 0;
    }
    return -1;
}

int ParseEntry(const char* line, int* keyLength, const char** valueStart, int* valueLength)
{
    if (line[0] == '\0' || line[0] == '[')
        return 0;
    int content = 0;
    int lineBreak = 0;
    LineExtent(line, &content, &lineBreak);
    *keyLength = 0;
    *valueLength = 0;
    *valueStart = line + content;
    if (content == 0)
        return lineBreak;
    if (line[0] == ';')
        return content + lineBreak;

    int equals = 0;
    while (equals < content && line[equals] != '=')
        equals++;
    if (equals == content) {
        *keyLength = content;
        return content + lineBreak;
    }

    int key = equals;
    while (key > 0 && (line[key - 1] == ' ' || line[key - 1] == '\t'))
        key--;
    *keyLength = key;

    int value = key;
    while (value < content && (line[value] == ' ' || line[value] == '\t' || line[value] == '='))
        value++;
    *valueStart = line + value;
    *valueLength = content - value;
    return content + lineBreak;
}

void ReadNamedKeys(const char* text, int* cursor, const NamedKey* keys, int count)
{
    for (;;) {
        const char* line = text + *cursor;
        int keyLength = 0;
        const char* valueStart = 0;
        int valueLength = 0;
        int length = ParseEntry(line, &keyLength, &valueStart, &valueLength);
        if (length == 0)
            break;
        for (int k = 0; k < count; k++) {
            if (CompareCounted(line, keys[k].key, TextLength(keys[k].key)) == 0)
                CopyBounded(keys[k].field, keys[k].capacity, valueStart, valueLength);
        }
        *cursor += length;
    }
}
