#pragma once
// Round numbers as a map reads them: 1, 2 or 5 times a power of ten, for ring widths and the
// scale bar alike.

// The smallest 1, 2 or 5 times a power of ten at or above `value`, and the largest at or below
// it; `value` itself when it is not a positive finite number.
double oneTwoFiveAtLeast(double value);
double oneTwoFiveAtMost(double value);
