// Options - --help, --version and unknown options.  See Options.h.
#include "Options.h"

#include <cstdio>
#include <cstring>

int answer_options(int argc, char **argv, const char *program, const char *version,
                   const char *usage) {
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (strncmp(arg, "--", 2) != 0) continue;
        if (strcmp(arg, "--help") == 0) {
            fputs(usage, stdout);
        } else if (strcmp(arg, "--version") == 0) {
            printf("%s %s\n", program, version);
        } else {
            fprintf(stderr, "%s: unknown option %s\n%s", program, arg, usage);
            return kUsageStatus;
        }
        return fflush(stdout) == 0 ? 0 : 1;
    }
    return -1;
}
