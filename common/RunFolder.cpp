// RunFolder - where a run's files go.  See RunFolder.h.
#include "RunFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#ifndef WEATHER_PACKAGE
#error "WEATHER_PACKAGE (the package name) must be defined by the build"
#endif
#ifndef WEATHER_INSTALL_MARKER
#error "WEATHER_INSTALL_MARKER (the marker's path from the programs' folder) must be defined by the build"
#endif

const char kInstallMarker[] = WEATHER_INSTALL_MARKER;

namespace {

// The home folder: $HOME, else the user database's entry; empty when neither is known.
std::string home_folder() {
    const char *home = getenv("HOME");
    if (home && home[0] == '/') return home;
    const passwd *entry = getpwuid(getuid());
    return entry && entry->pw_dir ? entry->pw_dir : "";
}

// Creates every missing folder of the absolute path `path` with mode 0700 (folders
// that exist are left as they are).  Returns 0, or the errno of the step that failed.
int make_folders(const std::string &path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
        if (slash == std::string::npos) break;
    }
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return errno;
    if (!S_ISDIR(info.st_mode)) return ENOTDIR;
    return access(path.c_str(), W_OK | X_OK) == 0 ? 0 : errno;
}

// Whether the programs in `program_folder` are an installed copy: the install marker
// is there, a regular file.
bool installed(const std::string &program_folder) {
    struct stat info {};
    const std::string marker = program_folder + "/" + kInstallMarker;
    return stat(marker.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::string run_folder(const std::string &program_folder, std::string &error) {
    error.clear();
    // An installed folder is never written, even by root, so that removing the
    // package leaves nothing behind.
    if (!program_folder.empty() && !installed(program_folder) &&
        access(program_folder.c_str(), W_OK | X_OK) == 0)
        return program_folder;

    // XDG base directories: a relative XDG_STATE_HOME is invalid and ignored.
    std::string state;
    const char *xdg = getenv("XDG_STATE_HOME");
    if (xdg && xdg[0] == '/') {
        state = xdg;
    } else {
        const std::string home = home_folder();
        if (home.empty()) {
            error = "Could not create folder: ~/.local/state/" WEATHER_PACKAGE
                    " (no home folder)";
            return "";
        }
        state = home + "/.local/state";
    }
    while (state.size() > 1 && state.back() == '/') state.pop_back();
    state += "/" WEATHER_PACKAGE;

    if (const int reason = make_folders(state))
        error = "Could not create folder: " + state + " (" + strerror(reason) + ")";
    return state;
}
