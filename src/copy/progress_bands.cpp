// Arithmetic of the progress dialog: percentages and the four bands of a bar.
#include "copy/progress_bands.h"

int PercentOf(long long part, long long whole)
{
    if (whole <= 0 || part <= 0)
        return 0;
    if (part >= whole)
        return 100;
    // part * 100 / whole by shifts and subtractions over the bits of 100, keeping the
    // remainder below whole: exact for every 64-bit count, and no product can overflow.
    unsigned long long divisor = (unsigned long long)whole;
    unsigned long long addend = (unsigned long long)part;
    unsigned long long remainder = 0;
    int quotient = 0;
    for (int bit = 6; bit >= 0; bit--) {
        quotient *= 2;
        remainder *= 2;
        if (remainder >= divisor) {
            remainder -= divisor;
            quotient++;
        }
        if ((100 >> bit) & 1) {
            remainder += addend;
            if (remainder >= divisor) {
                remainder -= divisor;
                quotient++;
            }
        }
    }
    return quotient;
}

BarBands ComputeBarBands(int width, int percent)
{
    BarBands bands = {0, 0, 0, 0, 0};
    if (width <= 0)
        return bands;
    unsigned int p = (unsigned int)percent & 0xFFFFu;
    // Percentages above 100 would reach past the control; the fill is clipped there anyway.
    // Below 100, p * width / 100 taken in two parts that cannot overflow and need no 64-bit
    // division: p * (width / 100) + p * (width % 100) / 100, exact since the first is whole.
    int done = width;
    if (p < 100)
        done = (int)(p * (unsigned int)(width / 100) + p * (unsigned int)(width % 100) / 100);
    bands.doneWidth = done;
    if (done < width)
        bands.blackWidth = 1;
    if (done + 1 < width) {
        int room = width - done - 1;
        bands.grayWidth = room < 3 ? room : 3;
    }
    if (done + 4 < width) {
        bands.whiteStart = done + 4;
        bands.whiteWidth = width - done - 4;
    } else {
        bands.whiteStart = width;
    }
    return bands;
}
