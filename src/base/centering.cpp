// Dialog centring arithmetic, kept apart from the window calls.
#include "base/centering.h"

// Kept out of line: the dialog centring calls it once per axis, and two inlined copies of its
// 64-bit arithmetic cost more than the calls.
__attribute__((noinline)) int CenteredOrigin(int parentStart, int parentEnd, int size, int screenSize)
{
    // Wide intermediates: the sums of far-off coordinates must not overflow.
    long long origin = parentStart + (static_cast<long long>(parentEnd) - parentStart - size) / 2;
    if (origin < 0)
        origin = 0;
    if (origin + size > screenSize)
        origin = static_cast<long long>(screenSize) - size;
    return static_cast<int>(origin);
}
