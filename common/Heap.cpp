// Heap - named, guarded memory.  See Heap.h.
#include "Heap.h"

#include <cinttypes>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Config.h"
#include "FaultSeam.h"

// A block is one request of kLead + size + kGuardSize bytes.  The data area starts
// kLead bytes in, so that it is aligned for any type as the runtime's own blocks are;
// the leading guard word fills the 4 bytes right before it and the trailing guard the
// 4 bytes right after it.  Traces and the heap report show the leading guard's address.
constexpr size_t kLead = alignof(std::max_align_t);
static_assert(kLead >= kGuardSize, "the lead must hold the guard word");

// Live blocks in allocation order: the runtime block's address and the caller's size.
struct LiveBlock {
    unsigned char *start;
    unsigned size;
};
static std::vector<LiveBlock> live_blocks;

constexpr int kAddressDigits = 2 * sizeof(void *);

static bool guard_intact(const unsigned char *at) {
    uint32_t word;
    memcpy(&word, at, sizeof word);
    return word == GUARD_WORD;
}

static void put_guard(unsigned char *at) { memcpy(at, &GUARD_WORD, sizeof GUARD_WORD); }

static void trace(const char *what, unsigned size, const void *block, const char *name) {
    if (!log_file) return;
    fprintf(log_file, "%s %5u bytes at [%0*" PRIXPTR "] for: %s\n", what, size,
            kAddressDigits, (uintptr_t)block, name);
    log_flush();
}

void *alc_e(unsigned size, const char *name) {
    if (size == 0) MSG_FATAL(name, " too small to allocate");
    auto *block = fault() ? nullptr : (unsigned char *)malloc(kLead + (size_t)size + kGuardSize);
    trace("alc_e", size, block ? block + kLead - kGuardSize : nullptr, name);
    if (!block) {
        char status[8];
        if (log_file) {
            fprintf(log_file, "%s", mem_status(status));
            fprintf(log_file, "Attempting to allocate %u bytes\n", size);
        }
        MSG_FATAL("Insufficient memory to allocate: ", name);
    }
    unsigned char *data = block + kLead;
    put_guard(data - kGuardSize);
    put_guard(data + size);
    memset(data, 0, size);
    live_blocks.push_back({block, size});
    return data;
}

int guard_check(const void *p, unsigned size, const char *name) {
    auto *data = (const unsigned char *)p;
    int bad = 0;
    if (!guard_intact(data + size)) {
        MSG(ERROR, "Overrun at end of: ", name);
        bad = 1;
    }
    if (!guard_intact(data - kGuardSize)) {
        MSG(ERROR, "Overrun at start of: ", name);
        bad = 1;
    }
    return bad;
}

int fre_e(void *p, unsigned size, const char *name) {
    int bad = guard_check(p, size, name);
    unsigned char *block = (unsigned char *)p - kLead;
    trace("fre_e", size, (unsigned char *)p - kGuardSize, name);
    if (bad) return 0;
    // Only a block of this heap goes back to the runtime.
    for (auto it = live_blocks.begin(); it != live_blocks.end(); ++it) {
        if (it->start == block) {
            live_blocks.erase(it);
            free(block);
            break;
        }
    }
    return 0;
}

void *alc_vec(int lo, int hi, int elsize, const char *name) {
    if (hi < lo) {
        char text[160];
        snprintf(text, sizeof text, "Max index(%d) < min index(%d): %s", hi, lo, name);
        MSG_FATAL(text);
    }
    long long bytes = ((long long)hi - lo + 1) * elsize;
    if (bytes < 0 || bytes > UINT32_MAX) MSG_FATAL("Insufficient memory to allocate: ", name);
    return alc_e((unsigned)bytes, name);
}

int fre_vec(void *v, int lo, int hi, int elsize, const char *name) {
    long long bytes = ((long long)hi - lo + 1) * elsize;
    return fre_e(v, (unsigned)bytes, name);
}

void **alc_mat(int rlo, int rhi, int clo, int chi, int elsize, const char *name) {
    long long nrows = (long long)rhi - rlo + 1;
    long long ncols = (long long)chi - clo + 1;
    auto **rows = (void **)alc_vec(rlo, rhi, (int)sizeof(void *), name);
    long long last = clo + nrows * ncols - 1;
    if (last > INT32_MAX) MSG_FATAL("Insufficient memory to allocate: ", name);
    auto *data = (unsigned char *)alc_vec(clo, (int)last, elsize, name);
    for (long long r = 0; r < nrows; ++r) rows[r] = data + r * ncols * elsize;
    return rows;
}

int fre_mat(void **m, int rlo, int rhi, int clo, int chi, int elsize, const char *name) {
    long long nrows = (long long)rhi - rlo + 1;
    long long ncols = (long long)chi - clo + 1;
    fre_vec(m[0], clo, (int)(clo + nrows * ncols - 1), elsize, name);
    fre_vec(m, rlo, rhi, (int)sizeof(void *), name);
    return 0;
}

int heap_block_count() { return (int)live_blocks.size(); }

#ifdef WEATHER_FUZZ_SEAM
void fuzz_heap_reset() {
    for (const LiveBlock &b : live_blocks) free(b.start);
    live_blocks.clear();
}
#endif

HeapBlock heap_block(int index) {
    const LiveBlock &b = live_blocks[(size_t)index];
    const unsigned char *data = b.start + kLead;
    bool sound = guard_intact(data - kGuardSize) && guard_intact(data + b.size);
    return {data - kGuardSize, b.size + 2 * kGuardSize, sound};
}

// ---- heap report ------------------------------------------------------------------
int heap_report() {
    int bad = 0;
    int count = heap_block_count();
    for (int i = 0; i < count; ++i) {
        HeapBlock b = heap_block(i);
        if (!b.sound) bad = 1;
    }
    fputs(count == 0 ? "The heap is empty.\n"
          : bad      ? "The heap has a bad node.\n"
                     : "The heap is O.K.\n",
          log_file);
    fputs("Heap: loc, size, used?\n", log_file);
    for (int i = 0; i < count; ++i) {
        HeapBlock b = heap_block(i);
        fprintf(log_file, "[%0*" PRIXPTR "] %5u used\n", (int)(2 * sizeof(void *)),
                (uintptr_t)b.start, b.size);
    }
    log_flush();
    return bad;
}
