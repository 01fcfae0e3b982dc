// FileCopy - the copy of a finished file into an output.  See FileCopy.h.
//
// Messages of this unit are located in "Utils", the unit that has always held it.
#define MSG_UNIT "Utils"
#include "FileCopy.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Config.h"
#include "FaultSeam.h"
#include "Heap.h"
#include "Output.h"

constexpr unsigned kCopyBufferSize = 5120;  // bytes of each stream buffer

int file_copy(const char *from, const char *to) {
    if (log_file) {
        fprintf(log_file, "file_copy\n  from %s\n  to %s\n", from, to);
        log_flush();
    }
    errno = EIO;  // the reason of a failure the fault seam makes
    FILE *src = fault() ? nullptr : fopen(from, "r");
    if (!src) MSG_FATAL(" Failed to open ", from, ": ", strerror(errno));
    // The copy is an output file: it replaces `to` only when the run commits it.
    FILE *dst = out_open(to);
    if (!dst) MSG_FATAL(" Failed to open ", to, ": ", strerror(errno));
    char *fbuff = (char *)alc_e(kCopyBufferSize, "fbuff");
    char *tbuff = (char *)alc_e(kCopyBufferSize, "tbuff");
    setvbuf(dst, tbuff, _IOFBF, kCopyBufferSize);
    // Block by block through fbuff; a failed write ends the run in out_write.
    for (size_t n; (n = fread(fbuff, 1, kCopyBufferSize, src)) > 0;) out_write(dst, fbuff, n);
    const int read_error = ferror(src) ? errno : fault() ? EIO : 0;
    out_close(dst);
    fclose(src);
    fre_e(tbuff, kCopyBufferSize, "tbuff");
    fre_e(fbuff, kCopyBufferSize, "fbuff");
    if (read_error) MSG_FATAL("Could not write file: ", to, ": ", strerror(read_error));
    return 0;
}
