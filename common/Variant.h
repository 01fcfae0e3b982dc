// Variant.h - the points where the two converter builds of the common library differ.
//
// The common units (Config, Heap, Input, Numbers, ...) are compiled twice from one set
// of sources: once with CONVERTER_TOLVEX for `tolvex` and once with CONVERTER_RENVAL for
// `renval` (see common/CMakeLists.txt).  Every rule that differs between the two builds is a
// constant here; the sources branch on these constants only, never on the macros.
#pragma once

#if defined(CONVERTER_TOLVEX) == defined(CONVERTER_RENVAL)
#error "define exactly one of CONVERTER_TOLVEX and CONVERTER_RENVAL"
#endif

namespace variant {

#if defined(CONVERTER_TOLVEX)
constexpr const char *kProgram = "tolvex";
constexpr int kMessageLimit = 255;       // characters of a message text, leading blank included
constexpr int kTokenBufferSize = 256;    // typed readers' token buffer, terminator included
constexpr bool kSlashIsComment = false;  // "/" is a token character (dates such as 12/31)
constexpr bool kEndOfFileIsFatal = false;// end of file gives no token / no line, no message
constexpr bool kCNumberRules = true;     // strtol base 0, strtod; an empty token is 0
constexpr bool kEchoInput = true;        // every character read is copied into the log
constexpr bool kCheckDayNumbers = true;  // day_to_date reports days outside 1..365
#else
constexpr const char *kProgram = "renval";
constexpr int kMessageLimit = 127;
constexpr int kTokenBufferSize = 128;
constexpr bool kSlashIsComment = true;   // "/" starts a comment like "!"
constexpr bool kEndOfFileIsFatal = true; // a value expected at end of file: FATAL "End of file"
constexpr bool kCNumberRules = false;    // base 10 only, at least one digit, 16-bit integers
constexpr bool kEchoInput = false;
constexpr bool kCheckDayNumbers = false;
#endif

}  // namespace variant
