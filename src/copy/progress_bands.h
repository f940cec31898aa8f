// Arithmetic of the progress dialog: percentages and the four bands of a bar.
#pragma once

// part * 100 / whole, truncated, computed without overflow; 0 when whole is 0.
int PercentOf(long long part, long long whole);

// The bands of a bar `width` pixels wide at percent p (taken as unsigned 16-bit):
// blue [0, doneWidth), black column at doneWidth when blackWidth is 1, grey
// [doneWidth + 1, + grayWidth), white [whiteStart, width) when whiteWidth > 0.
struct BarBands {
    int doneWidth;
    int blackWidth;
    int grayWidth;
    int whiteStart;
    int whiteWidth;
};

BarBands ComputeBarBands(int width, int percent);
