// ControlText - the control file that value options stand for.  See ControlText.h.
#include "ControlText.h"

#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

#include "Config.h"

const char *line_problem(const char *value, bool first) {
    if (strpbrk(value, "\r\n")) return "holds a line end, which a control file's line cannot hold";
    if (first && strncmp(value, "\xEF\xBB\xBF", 3) == 0)
        return "begins with a byte-order mark, which a control file's first line cannot hold";
    return nullptr;
}

bool fits_token(const char *value) {
    return *value && *value != '!' && *value != '*' && !strpbrk(value, " \t,\r\n");
}

void add_line(std::string &out, const std::string &text) { out += text + "\r\n"; }

void open_control_text(const std::string &text, char *path) {
    const int fd = memfd_create("control", MFD_CLOEXEC);
    size_t done = 0;
    for (ssize_t n = 0; fd >= 0 && done < text.size(); done += (size_t)n)
        if ((n = write(fd, text.data() + done, text.size() - done)) < 0) break;
    if (fd < 0 || done < text.size()) MSG_FATAL("Could not make the control file: ", strerror(errno));
    snprintf(path, kMaxPath, "/proc/self/fd/%d", fd);
}

const char *problem_text(const char *a, const char *b, const char *c, const char *d) {
    static char text[512];
    snprintf(text, sizeof text, "%s%s%s%s", a, b, c, d);
    return text;
}
