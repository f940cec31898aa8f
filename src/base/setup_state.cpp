// The one instance of the process-wide setup record.
#include "base/setup_state.h"

SetupState setupState;

DWORD TotalKilobytes(DWORD limit)
{
    // A sum of file sizes: never negative, and far below the largest count, so that the
    // rounding neither wraps nor needs a signed division.
    unsigned long long kilobytes =
        static_cast<unsigned long long>(setupState.totalBytes + 1023) >> 10;
    return kilobytes > limit ? limit : static_cast<DWORD>(kilobytes);
}
