// Paths - see Paths.h.
#include "Paths.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <sys/stat.h>
#include <unistd.h>

size_t folder_length(const char *path) {
    const char *slash = strrchr(path, '/');
    return slash ? (size_t)(slash - path) + 1 : 0;
}

void folder_of(const char *path, char *out) {
    size_t n = folder_length(path);
    if (n == 0) {
        strcpy(out, ".");
    } else {
        snprintf(out, PATH_MAX, "%.*s", (int)n, path);
    }
}

bool follow_links(const char *path, char *out) {
    if (snprintf(out, PATH_MAX, "%s", path) >= PATH_MAX) return false;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(out, &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        char link[PATH_MAX];
        ssize_t n = readlink(out, link, sizeof link - 1);
        if (n < 0) return false;
        link[n] = '\0';
        // A relative link is relative to the link's own folder.
        size_t keep = link[0] == '/' ? 0 : folder_length(out);
        if (keep + (size_t)n >= PATH_MAX) return false;
        memcpy(out + keep, link, (size_t)n + 1);
    }
    return false;
}

bool same_file(const char *a, const char *b) {
    if (!*a || !*b) return false;
    struct stat sa, sb;
    bool a_exists = stat(a, &sa) == 0, b_exists = stat(b, &sb) == 0;
    if (a_exists || b_exists)
        return a_exists && b_exists && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    // Neither exists: the same name in the same folder.
    char ta[PATH_MAX], tb[PATH_MAX], da[PATH_MAX], db[PATH_MAX];
    if (!follow_links(a, ta) || !follow_links(b, tb)) return false;
    size_t fa = folder_length(ta), fb = folder_length(tb);
    if (strcmp(ta + fa, tb + fb) != 0) return false;
    folder_of(ta, da);
    folder_of(tb, db);
    return stat(da, &sa) == 0 && stat(db, &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

int own_stream(const char *path) {
    static const struct {
        const char *path;
        int fd;
    } kStreams[] = {{"/dev/stdin", 0}, {"/dev/stdout", 1}, {"/dev/stderr", 2}};
    for (const auto &stream : kStreams)
        if (strcmp(path, stream.path) == 0) return stream.fd;
    for (const char *prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        size_t n = strlen(prefix);
        if (strncmp(path, prefix, n) != 0 || path[n] == '\0' ||
            strspn(path + n, "0123456789") != strlen(path + n) || strlen(path + n) > 9)
            continue;
        return atoi(path + n);
    }
    return -1;
}
