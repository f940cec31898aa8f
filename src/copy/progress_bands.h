// Arithmetic of the progress dialog: percentages and the four bands of a bar.
#pragma once

// part * 100 / whole, truncated, computed without overflow; 0 when whole or part is 0 or
// below, 100 when part reaches or passes whole (a file that grew while it was copied).
int PercentOf(long long part, long long whole);

// The bands of a bar `width` pixels wide at percent p (taken as unsigned 16-bit):
// blue [0, doneWidth), black column at doneWidth when blackWidth is 1, grey
// [doneWidth + 1, + grayWidth), white [whiteStart, width) when whiteWidth > 0.
// doneWidth never exceeds width, so percentages above 100 fill the whole bar.
struct BarBands {
    int doneWidth;
    int blackWidth;
    int grayWidth;
    int whiteStart;
    int whiteWidth;
};

BarBands ComputeBarBands(int width, int percent);
