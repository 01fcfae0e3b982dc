// NumberText - printf's "%g" and "%.3f" without printf, for the lines of the weather and
// species files.  No state; plain C++17 without the common units.
//
// Each routine writes the characters that printf would write in the "C" locale into
// [p, end) and returns the end of what it wrote; `end` must leave room for the longest
// text (32 characters is always enough).
#pragma once

// "%g" (precision 6) of the float `f` widened to double.  A whole number below 10^6 is
// its digits.  A normal float whose
// shortest round-trip text has at most 6 significant digits is laid out from that
// text: the exact value is within half a float ulp (2^-24 of it) of that text, far
// inside half a step of the 6-digit grid (5e-7 of it), so printf's rounding gives the
// same digits.  Every other value goes to std::to_chars with precision 6, which is
// specified to give printf's text; values that are not finite go to printf itself.
char *put_float_g(char *p, char *end, float f);

// "%g" of a double, by std::to_chars (general, precision 6).
char *put_double_g(char *p, char *end, double v);

// "%.3f" of a double, by std::to_chars (fixed, precision 3).
char *put_double_f3(char *p, char *end, double v);
