// The window tests' main: a QApplication on the offscreen platform unless another one
// is asked for.
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtime;  // a private runtime folder keeps Qt from warning about it
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid()) {
        QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }
    // Files of runs from a folder the tests cannot write go to a state folder of their
    // own, never the user's; a run of the installed window names one.
    QTemporaryDir state;
    if (qEnvironmentVariableIsEmpty("XDG_STATE_HOME") && state.isValid())
        qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    // The settings the window keeps (the last folder) go to a folder of the run's own.
    QTemporaryDir config;
    if (config.isValid()) qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
