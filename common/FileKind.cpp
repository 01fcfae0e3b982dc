// FileKind - see FileKind.h.
#include "FileKind.h"

#include <cctype>
#include <cstring>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One line of a text: where it starts and how long it is, without its line end.
struct Line {
    const char *text;
    size_t length;
    bool starts(const char *prefix) const {
        const size_t n = strlen(prefix);
        return length >= n && memcmp(text, prefix, n) == 0;
    }
    bool digits(size_t from, size_t to) const {
        if (length <= to) return false;
        for (size_t i = from; i <= to; ++i)
            if (!isdigit((unsigned char)text[i])) return false;
        return true;
    }
};

// The first `n` lines of `data` (fewer when it has fewer; the rest empty).
template <size_t n>
void first_lines(const char *data, size_t size, Line (&lines)[n]) {
    size_t at = 0;
    for (Line &line : lines) {
        line.text = data + at;
        line.length = 0;
        while (at < size && data[at] != '\n' && data[at] != '\r') ++at, ++line.length;
        if (at < size && data[at] == '\r') ++at;
        if (at < size && data[at] == '\n') ++at;
    }
}

}  // namespace

FileKind file_kind(const char *data, size_t size) {
    // Two or three lines, because a control file's first line, the description, may
    // well be a source's first line copied.
    Line lines[3];
    first_lines(data, size, lines);
    if (lines[0].starts("LOCATION,") && lines[1].starts("DESIGN CONDITIONS,")) return FileKind::Ee;
    if (lines[0].length == strlen("WeatherFile Ventora 2.0") &&
        lines[0].starts("WeatherFile Ventora 2.0") && lines[2].length > 0 &&
        strstr(std::string(lines[2].text, lines[2].length).c_str(), "!start-of-file date"))
        return FileKind::Weather20;
    const Line &head = lines[0], &record = lines[1];
    if (head.length > 45 && head.text[0] == ' ' && head.digits(1, 5) && head.text[6] == ' ' &&
        (head.text[37] == 'N' || head.text[37] == 'S') &&
        (head.text[45] == 'E' || head.text[45] == 'W') && record.length >= 140 && record.digits(1, 8))
        return FileKind::Tmy2;
    return FileKind::Other;
}

FileKind file_kind_of(const char *path) {
    // Only a regular file is looked at: a FIFO or a device is never waited for.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return FileKind::Other;
    struct stat st;
    char head[2048];
    ssize_t n = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? read(fd, head, sizeof head) : -1;
    close(fd);
    return n > 0 ? file_kind(head, (size_t)n) : FileKind::Other;
}

const char *file_kind_phrase(FileKind kind) {
    switch (kind) {
    case FileKind::Tmy2: return "a TMY2 weather file";
    case FileKind::Ee: return "an E/E weather file";
    case FileKind::Weather20: return "a weather file 2.0";
    case FileKind::Other: break;
    }
    return "";
}
