// The field reader of the input unit (tolvex build): comma-separated records read
// field by field, the typed field readers, and their agreement with the token rules.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Config.h"
#include "Input.h"
#include "log_capture.h"
#include "support.h"

namespace {

class Fields : public ::testing::Test {
protected:
    TempDir dir;
    char buf[kTokenSize];
    LogCapture log;
    Input in;
    void TearDown() override {
        if (in.file) input_close(in);
    }
    void open(const std::string &text) {
        write_file(dir / "in.txt", text);
        ASSERT_TRUE(input_open(in, (dir / "in.txt").c_str(), OPEN_FATAL, true, "Test", 1));
    }
    std::string field(TokenMode mode) {
        const char *f = next_field(in, buf, mode, sizeof buf);
        return f ? "[" + std::string(f) + "]" : "(none)";
    }
    // The typed field readers' values, whatever their result.
    int int_of(TokenMode mode) { return value_of(field_int, in, mode); }
    float float_of(TokenMode mode) { return value_of(field_float, in, mode); }
    std::string logged() { return log.text(); }
};

}  // namespace

TEST_F(Fields, EachCommaEndsOneFieldAndTheLineEndEndsTheRecord) {
    open("2016, 01 ,*?*!x,, \t-7.5\t\r\nnext,a b\nlast");
    EXPECT_EQ(field(TOK_NEWLINE), "[2016]");
    EXPECT_EQ(field(TOK_NEXT), "[01]");
    EXPECT_EQ(field(TOK_NEXT), "[*?*!x]");  // "*" and "!" are text inside a field
    EXPECT_EQ(field(TOK_NEXT), "[]");
    EXPECT_EQ(field(TOK_NEXT), "[-7.5]");
    EXPECT_EQ(field(TOK_NEXT), "(none)");   // the record has ended
    EXPECT_EQ(field(TOK_NEWLINE), "[next]");
    EXPECT_EQ(field(TOK_NEXT), "[a b]");
    EXPECT_EQ(field(TOK_NEWLINE), "[last]");  // no line end before the end of the file
    EXPECT_EQ(field(TOK_NEWLINE), "(none)");
    EXPECT_EQ(logged(), "2016, 01 ,*?*!x,, \t-7.5\t\nnext,a b\nlast");  // CR LF echoed as LF
}

TEST_F(Fields, NewlineAndRestSkipLinesOfAnyLength) {
    open("1," + std::string(5000, 'x') + "\n2,y\n3,z,w\n4\n");
    EXPECT_EQ(field(TOK_NEWLINE), "[1]");
    EXPECT_EQ(field(TOK_NEWLINE), "[2]");
    EXPECT_EQ(next_field(in, nullptr, TOK_NEXT, 0), nullptr);  // skipped, not stored
    EXPECT_EQ(field(TOK_NEWLINE), "[3]");
    EXPECT_EQ(next_field(in, buf, TOK_REST, sizeof buf), nullptr);
    EXPECT_EQ(field(TOK_NEXT), "(none)");
    EXPECT_EQ(field(TOK_NEWLINE), "[4]");
    input_rewind(in);
    EXPECT_EQ(field(TOK_NEWLINE), "[1]");
    // A field too long for its buffer is cut where the caller asks for it.
    in.cut_long_fields = true;
    EXPECT_STREQ(next_field(in, buf, TOK_NEXT, 4), "xxx");
    EXPECT_TRUE(in.field_cut);
    EXPECT_EQ(field(TOK_NEWLINE), "[2]");
    EXPECT_EQ(MSG(ERR_COUNT), 0);
}

TEST_F(Fields, TypedReadersRejectEmptyAndMalformedFields) {
    open("08,-0032,,5a,40000\n-273.15,1e3,,x,1e39,.5\n");
    int v = -1;
    EXPECT_TRUE(field_int(in, TOK_NEWLINE, &v));
    EXPECT_EQ(v, 8);  // decimal: a leading zero is no octal prefix
    EXPECT_EQ(int_of(TOK_NEXT), -32);
    EXPECT_EQ(MSG(ERR_COUNT), 0);
    EXPECT_FALSE(field_int(in, TOK_NEXT, &v));
    EXPECT_EQ(v, 0);
    EXPECT_EQ(int_of(TOK_NEXT), 0);
    EXPECT_EQ(int_of(TOK_NEXT), 0);
    EXPECT_EQ(int_of(TOK_NEXT), 0);  // missing
    EXPECT_EQ(MSG(ERR_COUNT), 4);
    EXPECT_EQ(float_of(TOK_NEWLINE), -273.15f);
    EXPECT_EQ(float_of(TOK_NEXT), 1000.0f);
    EXPECT_EQ(float_of(TOK_NEXT), 0.0f);
    EXPECT_EQ(float_of(TOK_NEXT), 0.0f);
    EXPECT_EQ(float_of(TOK_NEXT), 0.0f);
    EXPECT_EQ(float_of(TOK_NEXT), 0.5f);
    EXPECT_EQ(MSG(ERR_COUNT), 7);
    std::string logged_text = logged();
    for (const char *text : {" Bad integer: \n", " Bad integer: 5a\n", " Bad integer: 40000\n",
                             " Bad float value: \n", " Bad float value: x\n",
                             " Bad float value: 1e39\n"})
        EXPECT_NE(logged_text.find(text), std::string::npos) << text;
}

// Plain decimals take a shorter road than strtod; the value must be the same float
// to the last bit.
TEST_F(Fields, FloatsEqualTheTokenConversionBitForBit) {
    std::string line;
    std::vector<std::string> texts;
    for (int v = -9999; v <= 9999; v += 7) {  // tenths, as the weather formats write them
        char t[16];
        snprintf(t, sizeof t, "%s%d.%d", v < 0 ? "-" : "", std::abs(v) / 10, std::abs(v) % 10);
        texts.push_back(t);
    }
    for (const char *t : {"0.1", "-0.0", "5.", "+2.25", "101325", "99999.99", "0.000001",
                          "3.4028234e38", "123456789012345678", "1.00000000000000000001",
                          "9007199254740993", "0.30000000000000004", "-1e-5"})
        texts.push_back(t);
    for (const std::string &t : texts) line += t + ",";
    open(line + "\n");
    for (size_t i = 0; i < texts.size(); ++i) {
        float got = float_of(i == 0 ? TOK_NEWLINE : TOK_NEXT);
        float expected = (float)strtod(texts[i].c_str(), nullptr);
        ASSERT_EQ(memcmp(&got, &expected, sizeof got), 0) << texts[i];
    }
    EXPECT_EQ(MSG(ERR_COUNT), 0);
}
