// Heap - named, guarded memory for the converters' working tables.
//
// Every block is framed by two guard words, zero-filled and traced in the log
// ("alc_e"/"fre_e" lines); a release tests the guards first and reports an overrun with
// the block's name.  Vectors and matrices can be addressed with any index range.
// Owns the list of live blocks, in allocation order, and writes the heap report.
#pragma once

#include <cstdint>

constexpr uint32_t GUARD_WORD = 0x5A5A5A5A;  // the bytes of "ZZZZ"
constexpr unsigned kGuardSize = 4;           // bytes of each guard word

// Allocates `size` bytes (> 0) under `name`: a zeroed data area between two guard
// words.  Writes the trace line to the log; FATAL when size is 0 or memory runs out.
void *alc_e(unsigned size, const char *name);

// 0 when both guard words of the block at `p` (of `size` bytes) are intact; otherwise
// ERROR "Overrun at end of: " / "Overrun at start of: " with the name, and 1.
int guard_check(const void *p, unsigned size, const char *name);

// Releases a block from alc_e given the same size and name.  Writes the trace line;
// a block with a damaged guard is reported and left allocated.  Returns 0.
int fre_e(void *p, unsigned size, const char *name);

// A vector of the hi - lo + 1 elements lo..hi of `elsize` bytes each, stored from
// index 0 (element lo is v[0]); FATAL when hi < lo.  Released with the same range.
void *alc_vec(int lo, int hi, int elsize, const char *name);
int fre_vec(void *v, int lo, int hi, int elsize, const char *name);

// A matrix of rows rlo..rhi and columns clo..chi, stored from index 0 both ways
// (element [rlo][clo] is m[0][0]): a row-pointer vector and one data vector, rows
// stored one after the other.  Returns the row vector.
void **alc_mat(int rlo, int rhi, int clo, int chi, int elsize, const char *name);
int fre_mat(void **m, int rlo, int rhi, int clo, int chi, int elsize, const char *name);

// The live blocks, for the heap report: index 0..heap_block_count()-1 in allocation
// order; `start` is the leading guard word, `size` the bytes with both guards.
struct HeapBlock {
    const void *start;
    unsigned size;
    bool sound;  // both guard words intact
};
int heap_block_count();
HeapBlock heap_block(int index);

// Writes the heap report to log_file: a status line, the header and one line per live
// block.  Returns 1 when a block is damaged, else 0.
int heap_report();

#ifdef WEATHER_FUZZ_SEAM
// Fuzz build only: returns every live block to the runtime without tracing, as the
// end of the process would after a FATAL.
void fuzz_heap_reset();
#endif
