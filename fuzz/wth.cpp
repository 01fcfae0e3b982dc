// Fuzz target: the weather file 2.0 as the viewer opens it.  The input is the file,
// read from memory by wth_parse (wth_read hands it the file's bytes the same way).  A
// file it accepts that holds values (the viewer refuses a template) is summed up by
// month and written as CSV in both units, as the viewer's summary tab and its export
// do.  Plain C++: no converter units, no files, no harness.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "WeatherSummary.h"
#include "WthReader.h"

// Aborts unless `csv` is a heading and one line per row, each line of printable text
// with the same number of commas and its CR LF.
static void check_csv(const std::string &csv, size_t rows) {
    size_t lines = 0, heading_commas = 0;
    for (size_t start = 0; start < csv.size(); ++lines) {
        const size_t end = csv.find("\r\n", start);
        if (end == std::string::npos) abort();
        size_t commas = 0;
        for (size_t i = start; i < end; ++i) {
            if (csv[i] < ' ' || csv[i] > '~') abort();
            commas += csv[i] == ',';
        }
        if (lines == 0) heading_commas = commas;
        if (commas != heading_commas) abort();
        start = end + 2;
    }
    if (lines != rows + 1) abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    WthFile file;
    std::string error;
    if (wth_parse(reinterpret_cast<const char *>(data), size, file, error) != 0) {
        if (error.empty()) abort();  // a refused file is told why
        return 0;
    }
    if (file.is_template) return 0;

    const std::vector<MonthStats> rows = monthly_summary(file);
    size_t points = 0;
    for (const MonthStats &row : rows) {
        if (row.month < 1 || row.month > 12 || row.points < 1) abort();
        points += static_cast<size_t>(row.points);
    }
    if (points != file.points.size()) abort();  // every time point counts once
    const std::string kelvin = summary_csv(rows, false), celsius = summary_csv(rows, true);
    check_csv(kelvin, rows.size());
    check_csv(celsius, rows.size());
    return 0;
}
