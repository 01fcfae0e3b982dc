// Messages in both converter builds: composition and length limit, the error count,
// the log layout, FATAL ends, floating-point traps and the message box.
#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "Config.h"
#include "Input.h"
#include "Variant.h"
#include "log_capture.h"
#include "support.h"

namespace {

constexpr bool kTolvex = variant::kProgram[0] == 't';

// Children of the death tests: messages go to `log` and to stderr.
void fatal_child(const std::string &log, int severity) {
    log_file = fopen(log.c_str(), "w");
    msg_setup(0);
    report_msg(severity, "dir/Unit.cpp", 9, "it ", "ends", "");
}
// The log of a converter run, with a line still in its buffer and two lines of
// `source` read (tolvex echoes them), when a / b traps.
void divide_child(const std::string &log, const std::string &source, double a, double b,
                  int box) {
    if (box) setsid();  // no controlling terminal: the box goes to stderr
    log_file = log_stream(open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
    msg_setup(box);
    fputs("Head\n", log_file);
    Input in;
    char line[16];
    input_open(in, source.c_str(), OPEN_FATAL, true, "Test", 1);
    input_line(in, line, sizeof line);
    input_line(in, line, sizeof line);
    volatile double x = a, y = b, q = x / y;
    (void)q;
    exit(0);
}

}  // namespace

TEST(Messages, ErrorsAreCountedAndQueriesWriteNothing) {
    LogCapture log;
    EXPECT_EQ(report_msg(NOTE, "n.cpp", 1, "a", ""), 0);
    EXPECT_EQ(report_msg(WARNING, "w.cpp", 2, "b", ""), 0);
    EXPECT_EQ(report_msg(ERROR, "e.cpp", 3, "c", ""), 1);
    EXPECT_EQ(report_msg(ERROR, "e.cpp", 4, "d", ""), 2);
    EXPECT_EQ(report_msg(NOTE, "n.cpp", 5, "e", ""), 2);
    EXPECT_EQ(report_msg(ERR_COUNT, "q.cpp", 6, "f", ""), 2);
    EXPECT_EQ(report_msg(ERR_RESET, "r.cpp", 7, "g", ""), 0);
    EXPECT_EQ(report_msg(ERROR, "e.cpp", 8, "h", ""), 1);
    EXPECT_EQ(report_msg(-9, "r.cpp", 9, "i", ""), 0);
    EXPECT_EQ(MSG(ERR_COUNT), 0);
    EXPECT_EQ(log.text(), "NOTE  (file n, line 1)\n a\nWARNING  (file w, line 2)\n b\n"
                          "ERROR  (file e, line 3)\n c\nERROR  (file e, line 4)\n d\n"
                          "NOTE  (file n, line 5)\n e\nERROR  (file e, line 8)\n h\n");
}

TEST(Messages, TextEndsAtFirstEmptyPieceAndIsCutAtTheLimit) {
    const size_t limit = kTolvex ? 255 : 127;  // leading blank included
    const std::string x(300, 'x'), y(200, 'y');
    LogCapture log;
    report_msg(NOTE, "/src/dir/Some.unit.cpp", 12, "Bad integer: ", "", "third", "");
    report_msg(NOTE, "Plain", 13, "", "lost", "");
    report_msg(WARNING, "a/b/Long.h", 14, x.c_str(), "");
    report_msg(NOTE, "Two.cpp", 15, y.c_str(), y.c_str(), "");
    EXPECT_EQ(log.text(),
              "NOTE  (file Some.unit, line 12)\n Bad integer: \nNOTE  (file Plain, line 13)\n \n"
              "WARNING  (file Long, line 14)\n " + std::string(limit - 1, 'x') + "\n" +
              "NOTE  (file Two, line 15)\n " + std::string(limit - 1, 'y') + "\n");
}

// A log that cannot be written stays failed: log_close then refuses to commit.
TEST(Messages, TheLogStreamRemembersAFailedWrite) {
    log_file = log_stream(open("/dev/full", O_WRONLY | O_CLOEXEC));
    ASSERT_NE(log_file, nullptr);
    fputs("lost\n", log_file);
    EXPECT_FALSE(log_flush());
    log_write("more\n", 5);
    EXPECT_FALSE(log_flush());
    EXPECT_NE(fclose(log_file), 0);
    log_file = nullptr;
}

// FATAL and any severity above it end the run with status 1: on stderr the word and
// the text in one line, in the log (closed by then) the usual two lines.  Before
// msg_setup nothing goes to stderr.
TEST(MessagesDeathTest, FatalEndsTheRunWithStatus1) {
    TempDir dir;
    const std::string log = dir / "x.log", logged = "FATAL  (file Unit, line 9)\n it ends\n";
    for (int severity : {FATAL, 7}) {
        EXPECT_EXIT(fatal_child(log, severity), ::testing::ExitedWithCode(1), "^FATAL it ends\n$");
        EXPECT_EQ(read_file(log), logged);
    }
    EXPECT_EXIT(report_msg(FATAL, "U", 1, "quiet", ""), ::testing::ExitedWithCode(1), "^$");
}

// The handler writes with write(2) alone: what the log stream holds, then the input's
// pending echo, then the FATAL; on stderr the line or the box of the message mode.
TEST(MessagesDeathTest, FloatingPointTrapsAreFatalFromConfig) {
    TempDir dir;
    const std::string log = dir / "x.log", source = dir / "in.txt";
    write_file(source, "first\nsecond\nthird\n");
    const struct { double a, b; int box; const char *text; } rows[] = {
        {1.0, 0.0, 0, "Floating-point divide by zero"},
        {0.0, 0.0, 0, "Invalid floating-point operation"},
        {1e308, 1e-308, 0, "Floating-point overflow"},
        {1.0, 0.0, 1, "Floating-point divide by zero"}};
    for (const auto &r : rows) {
        const std::string err = r.box ? std::string("^\n\\+--- FATAL ---\n\\| \\(X\\)\n ") + r.text +
                                            "\n  \\(file Config, line [0-9]+\\)\n\\[ OK \\]\n$"
                                      : std::string("^FATAL ") + r.text + "\n$";
        EXPECT_EXIT(divide_child(log, source, r.a, r.b, r.box), ::testing::ExitedWithCode(1), err);
        EXPECT_EQ(masked_lines(read_file(log)), std::string("Head\n") +
                                                    (kTolvex ? "first\nsecond\n" : "") +
                                                    "FATAL  (file Config, line #)\n " + r.text +
                                                    "\n");
    }
}

TEST(MessageBox, WaitsForOneLineOnItsInput) {
    FILE *in = tmpfile(), *out = tmpfile();
    fputs("any key\nnext", in);
    rewind(in);
    show_box(in, out, "NOTE", " t\n");
    EXPECT_EQ(text_of(out), "\n+--- NOTE ---\n| (i)\n t\n[ OK ] press Enter ");
    EXPECT_EQ(getc(in), 'n');
    fclose(in);
    fclose(out);
}

// Without a controlling terminal the boxes go to stderr and the run goes on; a FATAL
// still ends it after its box.  The icon follows the word's first letter.
TEST(MessageBox, WithoutTerminalBoxesGoToStderr) {
    TempDir dir;
    pid_t pid = fork();
    if (pid == 0) {
        setsid();
        if (!freopen((dir / "err").c_str(), "w", stderr)) _exit(3);
        log_file = fopen((dir / "log").c_str(), "w");
        msg_setup(1);
        for (int severity : {NOTE, WARNING, ERROR, FATAL}) report_msg(severity, "U.cpp", 5, "m", "");
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    std::string boxes, logged;
    for (const char *word_icon : {"NOTE (i)", "WARNING /!\\", "ERROR (X)", "FATAL (X)"}) {
        std::string word(word_icon, strchr(word_icon, ' '));
        boxes += "\n+--- " + word + " ---\n| " + (strchr(word_icon, ' ') + 1) +
                 "\n m\n  (file U, line 5)\n[ OK ]\n";
        logged += word + "  (file U, line 5)\n m\n";
    }
    EXPECT_EQ(read_file(dir / "err"), boxes);
    EXPECT_EQ(read_file(dir / "log"), logged);
}
