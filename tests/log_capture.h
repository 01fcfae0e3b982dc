// The log of the library tests: log_file pointed at a temporary stream for the life of
// the object (the error count reset), read back whole, and the library's source lines
// masked so that expected texts do not depend on where a message sits in the code.
#pragma once

#include <cstdio>
#include <regex>
#include <string>

#include "Config.h"
#include "Input.h"

// Everything written to `f` so far.
inline std::string text_of(FILE *f) {
    fflush(f);
    rewind(f);
    std::string s;
    for (int c; (c = getc(f)) != EOF;) s += (char)c;
    return s;
}

// "(file Unit, line 12)" shown as "(file Unit, line #)".
inline std::string masked_lines(const std::string &log) {
    return std::regex_replace(log, std::regex(R"(, line \d+\))"), ", line #)");
}

class LogCapture {
public:
    LogCapture() {
        log_file = tmpfile();
        MSG(ERR_RESET);
    }
    ~LogCapture() {
        if (log_file) fclose(log_file);
        log_file = nullptr;
    }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;
    // The log so far.
    std::string text() const {
        log_sync();
        return text_of(log_file);
    }
    // The log so far, then a fresh empty one.
    std::string take() {
        std::string s = text();
        fclose(log_file);
        log_file = tmpfile();
        return s;
    }
};

// The value that a typed reader (read_int, field_float, ...) gives, whatever its result.
template <typename T>
T value_of(bool (*reader)(Input &, TokenMode, T *), Input &in, TokenMode mode) {
    T v = -1;
    reader(in, mode, &v);
    return v;
}
