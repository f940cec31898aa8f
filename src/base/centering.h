// Dialog centring arithmetic, kept apart from the window calls.
#pragma once

// Origin along one axis of a window of size `size` centred over [parentStart, parentEnd],
// raised to 0 when negative, then moved back so that it ends at the screen's edge.
int CenteredOrigin(int parentStart, int parentEnd, int size, int screenSize);
