// SourceFormat - the table of source formats that tolvex converts: one row per type
// word of the control file, with whether the format reads a source file and the codes
// by which it marks a value that was not measured.
//
// Header only and without state: tolvex registers a producer per row (Producers) and
// the window keeps its captions and file filters in a table of its own keyed by the
// same SourceType.  A new format is one more row here, its producer unit in tolvex/
// and its row in each of those tables.
#pragma once

#include <cstring>

enum class SourceType { Tmy2, Ee, Template };

// The values of a record that a source may lack, in the order of their warnings.
enum GapField { kDryBulb, kPressure, kWindSpeed, kWindDir, kDewPoint, kGlobal, kDirect, kSnow,
                kGapFields };

// What every format shares about a field that may be missing.
struct GapFieldRule {
    const char *name;   // in the messages
    bool non_negative;  // a negative value is missing too
    bool same_hour;     // substitutes only from records of the same hour
};

inline constexpr GapFieldRule kGapFieldRules[kGapFields] = {
    {"dry-bulb temperature", false, false},
    {"atmospheric pressure", true, false},
    {"wind speed", true, false},
    {"wind direction", true, false},
    {"dew-point temperature", false, false},
    {"global horizontal radiation", true, true},
    {"direct normal radiation", true, true},
    {"snow depth", true, false},
};

struct SourceFormat {
    SourceType type;
    const char *word;  // the type word of the control file
    bool has_source;   // reads the file named on the control file's source line
    // A value at or above its field's code is missing.  The codes are compared with
    // the values as the format's reader holds them in a double: a TMY2 field as atof
    // gives it, an E/E field as the float it was read as (so its codes are floats too).
    double missing_at[kGapFields];
};

inline constexpr SourceFormat kSourceFormats[] = {
    {SourceType::Tmy2, "TMY2", true, {9999, 9999, 999, 999, 9999, 9999, 9999, 999}},
    {SourceType::Ee, "E/E", true,
     {double(99.9f), 999999.0, 999.0, 999.0, double(99.9f), 9999.0, 9999.0, 999.0}},
    {SourceType::Template, "TEMPLATE", false, {}},
};

// The row of the type word `word` (exact, case matters), or null for an unknown word.
inline const SourceFormat *find_source_format(const char *word) {
    for (const SourceFormat &f : kSourceFormats)
        if (strcmp(f.word, word) == 0) return &f;
    return nullptr;
}

// The row of `type`.
inline const SourceFormat &source_format(SourceType type) {
    for (const SourceFormat &f : kSourceFormats)
        if (f.type == type) return f;
    return kSourceFormats[0];  // every SourceType has a row
}

// True when `v` of field `field` is a missing value in a file of `format`.
inline bool is_missing_value(const SourceFormat &format, int field, double v) {
    if (kGapFieldRules[field].non_negative && v < 0) return true;
    return v >= format.missing_at[field];
}
