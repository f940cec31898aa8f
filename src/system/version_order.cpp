// The order of two dotted version numbers (no window calls).
#include "system/version_order.h"

// Skips the leading zeros of the part at *text and returns how many digits follow them.
static int PartDigits(const char** text)
{
    while (**text == '0')
        (*text)++;
    int count = 0;
    while ((*text)[count] >= '0' && (*text)[count] <= '9')
        count++;
    return count;
}

// Moves text past the rest of its part and the dot after it.
static const char* NextPart(const char* text)
{
    while (*text != '\0' && *text != '.')
        text++;
    return *text == '.' ? text + 1 : text;
}

int CompareVersions(const char* left, const char* right)
{
    while (*left != '\0' || *right != '\0') {
        int leftDigits = PartDigits(&left);
        int rightDigits = PartDigits(&right);
        // Without leading zeros, the longer number is the larger one.
        if (leftDigits != rightDigits)
            return leftDigits < rightDigits ? -1 : 1;
        for (int i = 0; i < leftDigits; i++) {
            if (left[i] != right[i])
                return left[i] < right[i] ? -1 : 1;
        }
        left = NextPart(left + leftDigits);
        right = NextPart(right + rightDigits);
    }
    return 0;
}
