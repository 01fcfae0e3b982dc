// The checked heap (renval build): guard words, trace lines, overrun reports, index
// ranges and the heap report.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "Config.h"
#include "Heap.h"
#include "log_capture.h"

namespace {

// The address of a whole block as the trace lines and the heap report print it.
std::string at(const void *block) {
    char text[32];
    snprintf(text, sizeof text, "[%016" PRIXPTR "]", (uintptr_t)block);
    return text;
}

class CheckedHeap : public ::testing::Test {
protected:
    LogCapture log;
    void TearDown() override { EXPECT_EQ(heap_block_count(), 0) << "a test left a block behind"; }
    // The log written since the last call, the library's source lines shown as "#".
    std::string take_log() { return masked_lines(log.take()); }
};

void fatal_child(void (*allocate)()) {
    msg_setup(0);
    allocate();
    exit(0);
}

}  // namespace

TEST_F(CheckedHeap, BlockIsZeroedBetweenGuardsAndTraced) {
    free(memset(malloc(18), 0xFF, 18));  // so that the next block of this size is dirty
    auto *p = (unsigned char *)alc_e(10, "ten");
    EXPECT_EQ(std::string((char *)p - 4, 18), "ZZZZ" + std::string(10, '\0') + "ZZZZ");
    const std::string block = at(p - 4);
    EXPECT_EQ(heap_report(), 0);
    EXPECT_EQ(fre_e(p, 10, "ten"), 0);
    EXPECT_EQ(heap_report(), 0);
    EXPECT_EQ(take_log(), "alc_e    10 bytes at " + block + " for: ten\n"
                          "The heap is O.K.\nHeap: loc, size, used?\n" + block + "    18 used\n"
                          "fre_e    10 bytes at " + block + " for: ten\n"
                          "The heap is empty.\nHeap: loc, size, used?\n");
}

// A damaged guard is reported at release (the end first), and the block stays live
// and shows as a bad node.  Releasing with a wrong size looks for the trailing guard
// in the wrong place.
TEST_F(CheckedHeap, OverrunIsReportedAndTheBlockKept) {
    const std::string end = "ERROR  (file Heap, line #)\n Overrun at end of: blk\n";
    const std::string start = "ERROR  (file Heap, line #)\n Overrun at start of: blk\n";
    const struct { std::vector<int> damaged; const char *size; std::string messages; } rows[] = {
        {{10}, "   10", end}, {{-1}, "   10", start}, {{-4, 13}, "   10", end + start},
        {{}, "    9", end}};
    for (const auto &r : rows) {
        auto *p = (unsigned char *)alc_e(10, "blk");
        const std::string block = at(p - 4);
        take_log();
        for (int off : r.damaged) p[off] ^= 1;
        EXPECT_EQ(fre_e(p, (unsigned)atoi(r.size), "blk"), 0);
        EXPECT_EQ(heap_block_count(), 1);
        const bool bad = !r.damaged.empty();
        EXPECT_EQ(heap_report(), bad ? 1 : 0);
        EXPECT_EQ(take_log(), r.messages + "fre_e " + r.size + " bytes at " + block + " for: blk\n" +
                                  (bad ? "The heap has a bad node.\n" : "The heap is O.K.\n") +
                                  "Heap: loc, size, used?\n" + block + "    18 used\n");
        for (int off : r.damaged) p[off] ^= 1;
        fre_e(p, 10, "blk");
    }
    EXPECT_EQ(MSG(ERR_COUNT), 5);
}

TEST_F(CheckedHeap, VectorsAndMatricesAreSizedByTheirIndexRanges) {
    auto *v = (int *)alc_vec(1, 5, 4, "vec");
    for (int i = 0; i < 5; ++i) v[i] = -1;
    const std::string vb = at((char *)v - 4);
    EXPECT_EQ(fre_vec(v, 1, 5, 4, "vec"), 0);

    auto **m = (unsigned char **)alc_mat(1, 3, 0, 13, 1, "mat");
    EXPECT_EQ(m[1] - m[0], 14);
    EXPECT_EQ(m[2] - m[1], 14);
    for (int r = 0; r < 3; ++r) memset(&m[r][0], 0xFF, 14);
    const std::string rows = at((char *)m - 4), data = at(m[0] - 4);
    EXPECT_EQ(fre_mat((void **)m, 1, 3, 0, 13, 1, "mat"), 0);
    EXPECT_EQ(MSG(ERR_COUNT), 0);  // no guard was touched
    EXPECT_EQ(take_log(), "alc_e    20 bytes at " + vb + " for: vec\n"
                          "fre_e    20 bytes at " + vb + " for: vec\n"
                          "alc_e    24 bytes at " + rows + " for: mat\n"
                          "alc_e    42 bytes at " + data + " for: mat\n"
                          "fre_e    42 bytes at " + data + " for: mat\n"
                          "fre_e    24 bytes at " + rows + " for: mat\n");
}

TEST(CheckedHeapDeathTest, EmptyRangesAndZeroSizesAreFatal) {
    const struct { void (*allocate)(); const char *text; } rows[] = {
        {[] { alc_vec(3, 2, 4, "vec"); }, "Max index\\(2\\) < min index\\(3\\): vec"},
        {[] { alc_mat(1, 3, 5, 4, 1, "mat"); }, "Max index\\(4\\) < min index\\(5\\): mat"},
        {[] { alc_e(0, "nil"); }, "nil too small to allocate"},
        {[] { alc_vec(1, 5, 0, "nil"); }, "nil too small to allocate"}};
    for (const auto &r : rows) {
        EXPECT_EXIT(fatal_child(r.allocate), ::testing::ExitedWithCode(1),
                    std::string("^FATAL ") + r.text + "\n$");
    }
}
