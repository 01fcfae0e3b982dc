// The input unit in both converter builds: read modes, comments, "*", line ends,
// buffer limits, end of file, the number rules and the readers' messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <regex>
#include <vector>

#include "Config.h"
#include "Input.h"
#include "Numbers.h"
#include "log_capture.h"
#include "support.h"

namespace {

using namespace std::string_literals;

constexpr bool kTolvex = variant::kProgram[0] == 't';
constexpr double kBad = -999999;  // the conversion must fail and give 0

class InputUnit : public ::testing::Test {
protected:
    TempDir dir;
    char buf[256];
    LogCapture log;
    Input in;
    void TearDown() override {
        if (in.file) input_close(in);
    }
    // Makes `text` the content of the input.
    void open(const std::string &text) {
        if (in.file) input_close(in);
        write_file(dir / "in.txt", text);
        ASSERT_TRUE(input_open(in, (dir / "in.txt").c_str(), OPEN_FATAL, true, "Test", 1));
    }
    std::string token(TokenMode mode) {
        const char *t = next_token(in, buf, mode, sizeof buf);
        return t ? t : "(none)";
    }
    // The typed readers' values, whatever their result.
    int int_of(TokenMode mode) { return value_of(read_int, in, mode); }
    float float_of(TokenMode mode) { return value_of(read_float, in, mode); }
    long long_of(TokenMode mode) { return value_of(read_long, in, mode); }
    // The log so far, the library's source lines shown as "#".
    std::string logged() { return masked_lines(log.text()); }
};

// Runs `read` in a child whose messages go to stderr too.
template <typename F> void with_setup(F read) {
    msg_setup(0);
    read();
    exit(0);
}

}  // namespace

TEST_F(InputUnit, ReadModesFollowLineStartsInLfAndCrLfFiles) {
    for (const std::string eol : {"\n", "\r\n", "\r"}) {
        open("  12, 3.5\t7" + eol + "1 2 3" + eol + "4" + eol + "5 6" + eol + "7 8 9" + eol +
             "10 11" + eol + "whole line" + eol + eol + "last");
        EXPECT_EQ(int_of(TOK_NEWLINE), 12);  // at a line start nothing is skipped
        EXPECT_EQ(float_of(TOK_NEXT), 3.5f);
        EXPECT_EQ(int_of(TOK_NEXT), 7);
        EXPECT_EQ(int_of(TOK_NEXT), 1);
        EXPECT_EQ(int_of(TOK_NEWLINE), 4);  // skips "2 3"
        EXPECT_EQ(int_of(TOK_NEWLINE), 5);  // 4 ended at the line end: no skip
        EXPECT_EQ(token(TOK_REST), "6");
        EXPECT_EQ(token(TOK_REST), "");
        EXPECT_EQ(int_of(TOK_NEXT), 7);
        next_token(in, nullptr, TOK_RESET, 0);
        EXPECT_EQ(int_of(TOK_NEWLINE), 8);
        EXPECT_EQ(token(TOK_NEWLINE), "10");
        EXPECT_EQ(token(TOK_LINE), "whole line");  // skips "11"
        EXPECT_EQ(token(TOK_LINE), "");
        EXPECT_EQ(token(TOK_LINE), "last");
        EXPECT_EQ(MSG(ERR_COUNT), 0);
    }
}

TEST_F(InputUnit, CommentsAndStarBeforeATokenOnly) {
    open("a! b\n! whole line\n/12 c\n,*\0 d\0*\n z\n"s);  // NUL is dropped
    std::vector<std::string> got, want = {"a!", "b", "/12", "c", "(none)", "d*", "z"};
    if (!kTolvex) want.erase(want.begin() + 2, want.begin() + 4);  // "/" starts a comment
    for (size_t i = 0; i < want.size(); ++i) got.push_back(token(TOK_NEXT));
    EXPECT_EQ(got, want);
}

TEST_F(InputUnit, BadTokensAreErrorsThatReadAsZero) {
    open("* abc 1e999 x 9\n");
    int i = -1;
    EXPECT_EQ(read_int(in, TOK_NEXT, &i), kTolvex);  // "*": tolvex reads an empty token as 0
    EXPECT_EQ(i, 0);
    EXPECT_EQ(int_of(TOK_NEXT), 0);
    EXPECT_EQ(float_of(TOK_NEXT), 0.0f);
    long l = -1;
    EXPECT_FALSE(read_long(in, TOK_NEXT, &l));
    EXPECT_EQ(l, 0);
    EXPECT_TRUE(read_long(in, TOK_NEXT, &l));
    EXPECT_EQ(l, 9);
    auto err = [](const std::string &text) { return "ERROR  (file Utils, line #)\n " + text + "\n"; };
    if (kTolvex) {  // "*" is no error; every character read is echoed into the log
        EXPECT_EQ(logged(), "* abc " + err("Bad integer: abc") + "1e999 " +
                                err("Bad float value: 1e999") + "x " + err("Bad long integer: x") +
                                "9\n");
    } else {
        EXPECT_EQ(logged(), err("Bad integer: ") + err("Bad integer: abc") +
                                err("Bad float value: 1e999") + err("Bad long integer: x"));
    }
    EXPECT_EQ(MSG(ERR_COUNT), kTolvex ? 3 : 4);
}

TEST_F(InputUnit, NumberRulesOfEachBuild) {
    const struct { char kind; const char *text; double tolvex, renval; } rows[] = {
        // i parse_int, l parse_long, f parse_float, d parse_decimal
        {'i', "-32768", -32768, -32768}, {'i', "32767", 32767, 32767}, {'i', "32768", kBad, kBad},
        {'i', "40000", kBad, kBad},      {'i', "010", 8, 10},          {'i', "0x1F", 31, kBad},
        {'i', "", 0, kBad},              {'i', "+5", 5, 5},            {'i', "12abc", kBad, kBad},
        {'i', "1.5", kBad, kBad},        {'i', "-", kBad, kBad},       {'l', "40000", 40000, 40000},
        {'l', "-2147483648", -2147483648.0, -2147483648.0},            {'l', "2147483648", kBad, kBad},
        {'l', "-2147483649", kBad, kBad}, {'l', "0x10", 16, kBad},     {'l', "", 0, kBad},
        {'f', "3.5", 3.5, 3.5}, {'f', "-3.4e38", -3.4e38, -3.4e38},    {'f', "3.5e39", kBad, kBad},
        {'f', "nan", kBad, kBad},        {'f', "inf", kBad, kBad},     {'f', "1e999", kBad, kBad},
        {'f', "", 0, kBad},              {'f', "2.5x", kBad, kBad},    {'d', "010", 10, 10},
        {'d', "0x1F", kBad, kBad},       {'d', "", kBad, kBad},        {'d', "-32769", kBad, kBad}};
    for (const auto &r : rows) {
        const double want = kTolvex ? r.tolvex : r.renval;
        int rc, i = -1;
        long l = -1;
        float f = -1;
        switch (r.kind) {
        case 'i': rc = parse_int(r.text, &i); break;
        case 'l': rc = parse_long(r.text, &l); break;
        case 'f': rc = parse_float(r.text, &f); break;
        default: rc = parse_decimal(r.text, &i); break;
        }
        const double got = r.kind == 'f' ? f : r.kind == 'l' ? (double)l : i;
        EXPECT_EQ(rc, want == kBad ? 1 : 0) << r.kind << " \"" << r.text << "\"";
        EXPECT_EQ(got, want == kBad ? 0 : r.kind == 'f' ? (float)want : want) << r.text;
    }
}

// With the traps of msg_setup on, an overflowing number is an ERROR, not a trap.
TEST_F(InputUnit, NumberParsingStaysQuietWithTrapsOn) {
    open("1e999 nan 3.5e39 2\n");
    EXPECT_EXIT(with_setup([&] {
                    for (int i = 0; i < 3; ++i) float_of(TOK_NEXT);
                    if (float_of(TOK_NEXT) != 2.0f) exit(2);
                }),
                ::testing::ExitedWithCode(0),
                "^ERROR Bad float value: 1e999\nERROR Bad float value: nan\n"
                "ERROR Bad float value: 3.5e39\n$");
}

TEST_F(InputUnit, TokenKeepsSizeMinusOneAndLineSizeMinusTwoCharacters) {
    const std::string digits = std::string(kTokenSize - 2, '0') + "7";
    open(std::string(255, 't') + "\n" + std::string(254, 'l') + "\n" + digits + "\n");
    EXPECT_EQ(strlen(next_token(in, buf, TOK_NEXT, 256)), 255u);
    EXPECT_EQ(strlen(input_line(in, buf, 256)), 254u);
    EXPECT_EQ(int_of(TOK_NEXT), 7);  // the readers' own buffer
    // The message shows what was read, as far as the message limit lets it.
    auto overflow = [](char c, int size) {
        const int shown = std::min(size - 1, variant::kMessageLimit - 18);
        return "^FATAL Buffer overflow: " + std::string(1, c) + "{" + std::to_string(shown) + "}\n$";
    };
    open(std::string(256, 't'));
    EXPECT_EXIT(with_setup([&] { next_token(in, buf, TOK_NEXT, 256); }),
                ::testing::ExitedWithCode(1), overflow('t', 256));
    open(std::string(255, 'l') + "\n");
    EXPECT_EXIT(with_setup([&] { input_line(in, buf, 256); }), ::testing::ExitedWithCode(1),
                overflow('l', 256));
    open(std::string(kTokenSize, '1'));
    EXPECT_EXIT(with_setup([&] { int_of(TOK_NEXT); }), ::testing::ExitedWithCode(1),
                overflow('1', kTokenSize));
}

TEST_F(InputUnit, EndOfFileCompletesTheLastTokenAndLine) {
    open("5 7");
    EXPECT_EQ(int_of(TOK_NEXT), 5);
    EXPECT_EQ(int_of(TOK_NEXT), 7);
    EXPECT_EQ(token(TOK_REST), "");  // 7 ended its line
    if (kTolvex) {
        EXPECT_EQ(int_of(TOK_NEXT), 0);
        EXPECT_EQ(next_token(in, buf, TOK_NEXT, 256), nullptr);
        EXPECT_EQ(MSG(ERR_COUNT), 0);
    } else {
        EXPECT_EXIT(with_setup([&] { int_of(TOK_NEXT); }), ::testing::ExitedWithCode(1),
                    "^FATAL End of file\n$");
    }
    open("one\ntwo");
    EXPECT_STREQ(input_line(in, buf, 256), "one");
    if (kTolvex) {
        EXPECT_EQ(input_line(in, buf, 256), nullptr);  // the buffer holds "two"
    } else {
        EXPECT_STREQ(input_line(in, buf, 256), "two");
        EXPECT_EXIT(with_setup([&] { input_line(in, buf, 256); }), ::testing::ExitedWithCode(1),
                    "^FATAL End of file\n$");
    }
}

TEST_F(InputUnit, OpenFailuresNameThePathAtTheCallersPosition) {
    const std::string none = dir / "none.txt";
    EXPECT_FALSE(input_open(in, none.c_str(), OPEN_QUIET, true, "Caller", 40));
    EXPECT_FALSE(input_open(in, none.c_str(), OPEN_ERROR, true, "src/Caller.cpp", 41));
    EXPECT_EQ(MSG(ERR_COUNT), 1);
    EXPECT_EQ(log.text(), "ERROR  (file Caller, line 41)\n  Could not open file: " + none + ": No such file or directory\n");
    EXPECT_EXIT(with_setup([&] { input_open(in, none.c_str(), OPEN_FATAL, true, "Caller", 1); }),
                ::testing::ExitedWithCode(1), "^FATAL  Could not open file: .*/none.txt: No such file or directory\n$");
    open("x");
    EXPECT_EXIT(with_setup([&] { input_open(in, none.c_str(), OPEN_ERROR, true, "Caller", 1); }),
                ::testing::ExitedWithCode(1), "^FATAL _UNXT already open\n$");
}

// Two inputs of one file read independently; only the echoing one writes to the log.
TEST_F(InputUnit, TwoInputsOfOneFileKeepTheirOwnPlaces) {
    open("1 2\n3\n");
    Input other;
    ASSERT_TRUE(input_open(other, (dir / "in.txt").c_str(), OPEN_FATAL, false, "Test", 1));
    EXPECT_EQ(int_of(TOK_NEXT), 1);
    int v;
    EXPECT_TRUE(read_int(other, TOK_NEWLINE, &v) && v == 1);
    EXPECT_TRUE(read_int(other, TOK_NEWLINE, &v) && v == 3);
    EXPECT_EQ(int_of(TOK_NEXT), 2);
    input_close(other);
    EXPECT_EQ(log.text(), kTolvex ? "1 2\n" : "");
}
