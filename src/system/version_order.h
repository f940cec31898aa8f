// The order of two dotted version numbers (no window calls).
#pragma once

// Compares two versions such as "1.10.2" number by number: -1 when left is older, 1 when it is
// newer, 0 when both are the same ("1.0" and "1", "01" and "1" are). Each part counts by its
// leading digits, of any length; what follows them up to the next dot is ignored, and a part
// that is missing or has no digits counts as 0.
int CompareVersions(const char* left, const char* right);
