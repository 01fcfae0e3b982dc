// Where a run's files go: the program's folder when writable and not installed, else
// the per-user state folder (from XDG_STATE_HOME or HOME), created with mode 0700, or a
// message naming it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>

#include "RunFolder.h"
#include "support.h"

namespace {

// Sets (or with null unsets) an environment variable until the end of the scope.
class EnvVar {
public:
    EnvVar(const char *name, const char *value) : name_(name) {
        if (const char *old = getenv(name)) old_ = old, had_ = true;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~EnvVar() { had_ ? setenv(name_, old_.c_str(), 1) : unsetenv(name_); }

private:
    const char *name_;
    std::string old_;
    bool had_ = false;
};

mode_t mode_of(const std::string &path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(RunFolder, AWritableProgramFolderKeepsTheFilesBesideThePrograms) {
    TempDir dir;
    EnvVar xdg("XDG_STATE_HOME", (dir / "state").c_str());
    std::string error = "old";
    EXPECT_EQ(run_folder(dir.path(), error), dir.path());
    EXPECT_EQ(error, "");
    EXPECT_FALSE(file_exists(dir / "state"));
}

// The install marker, found from the programs' folder, sends the files of a copy that
// its user may write (root's, in the tests) to the state folder all the same.
TEST(RunFolder, AnInstalledCopyNeverKeepsTheFilesBesideThePrograms) {
    TempDir dir;
    EnvVar xdg("XDG_STATE_HOME", (dir / "state").c_str());
    const std::string bin = dir / "bin", marker = bin + "/" + kInstallMarker;
    for (size_t slash = bin.size(); slash != std::string::npos; slash = marker.find('/', slash + 1))
        mkdir(marker.substr(0, slash).c_str(), 0755);  // bin and the marker's folders
    write_file(marker, "");
    std::string error;
    EXPECT_EQ(run_folder(bin, error), dir / "state/weather-tools");
    EXPECT_EQ(error, "");
}

// A program folder that does not exist stands for one the user cannot write (the
// tests run as root, who may write anywhere).
TEST(RunFolder, OtherwiseTheStateFolderIsCreatedPrivate) {
    TempDir dir;
    EnvVar home("HOME", (dir / "home").c_str());
    const std::string absolute = dir / "xdg/";
    const struct {
        const char *xdg;       // XDG_STATE_HOME, null: unset
        std::string expected;  // the folder for the run's files
    } rows[] = {
        {nullptr, dir / "home/.local/state/weather-tools"},
        {"", dir / "home/.local/state/weather-tools"},
        {"relative/state", dir / "home/.local/state/weather-tools"},  // invalid: ignored
        {absolute.c_str(), dir / "xdg/weather-tools"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.xdg ? row.xdg : "(unset)");
        EnvVar xdg("XDG_STATE_HOME", row.xdg);
        std::string error;
        EXPECT_EQ(run_folder(dir / "no such folder", error), row.expected);
        EXPECT_EQ(error, "");
        EXPECT_EQ(mode_of(row.expected), 0700u);
    }
    EXPECT_EQ(mode_of(dir / "home/.local"), 0700u);  // missing parents as well
}

TEST(RunFolder, AStateFolderThatCannotBeCreatedIsNamed) {
    TempDir dir;
    write_file(dir / "plain", "");
    EnvVar xdg("XDG_STATE_HOME", (dir / "plain/state").c_str());
    std::string error;
    EXPECT_EQ(run_folder(dir / "no such folder", error), dir / "plain/state/weather-tools");
    EXPECT_EQ(error, "Could not create folder: " + dir / "plain/state/weather-tools" +
                         " (Not a directory)");
}

}  // namespace
