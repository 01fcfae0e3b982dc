// Numbers - the number texts of the converters' inputs: whole-token conversions by the
// build's rules, and the decimal text of an integer for messages.  No state but the
// two buffers of int_text.
#pragma once

// Whole-token conversions by the build's rules: 0 when valid, 1 when not (out value 0).
int parse_int(const char *text, int *value);
int parse_long(const char *text, long *value);
int parse_double(const char *text, double *value);
int parse_float(const char *text, float *value);
// Decimal integer in -32768..32767, leading zeros allowed (no octal or hex prefix);
// an empty text is invalid.  Used for integer fields of data records.
int parse_decimal(const char *text, int *value);

// 1 when the texts are equal byte by byte, else 0.
int same_text(const char *a, const char *b);

// Decimal text of `value` in one of two buffers used in turn.
const char *int_text(long value);
