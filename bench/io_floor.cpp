// io_floor - the least a conversion must do, as a yardstick for tolvex's speed:
// read the source whole, write an output of the given size into a temporary file
// beside it, flush it to disk and rename it into place, and write a log of the given
// size.  No parsing, no formatting.
//
//   io_floor SOURCE OUTPUT OUTPUT_BYTES LOG LOG_BYTES
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

static bool write_all(int fd, size_t bytes) {
    static char chunk[1 << 16];
    memset(chunk, 'x', sizeof chunk);
    while (bytes > 0) {
        size_t n = bytes < sizeof chunk ? bytes : sizeof chunk;
        if (write(fd, chunk, n) != (ssize_t)n) return false;
        bytes -= n;
    }
    return true;
}

int main(int argc, char **argv) {
    if (argc != 6) {
        fprintf(stderr, "usage: io_floor SOURCE OUTPUT OUTPUT_BYTES LOG LOG_BYTES\n");
        return 2;
    }
    int src = open(argv[1], O_RDONLY);
    if (src < 0) return 1;
    static char buf[1 << 16];
    while (read(src, buf, sizeof buf) > 0) {
    }
    close(src);

    std::string tmp = std::string(argv[2]) + ".XXXXXX";
    int out = mkstemp(&tmp[0]);
    if (out < 0 || !write_all(out, strtoul(argv[3], nullptr, 10)) || fsync(out) != 0 ||
        close(out) != 0 || rename(tmp.c_str(), argv[2]) != 0)
        return 1;

    int log = open(argv[4], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (log < 0 || !write_all(log, strtoul(argv[5], nullptr, 10)) || close(log) != 0) return 1;
    return 0;
}
