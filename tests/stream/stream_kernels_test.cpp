// Every form of every STREAM kernel this processor allows computes what the plain loop
// computes, element for element, including the scalar tails, on arrays aligned to 64 bytes and
// on arrays only 16-byte aligned (where the wide forms hand over to SSE2), and writes nothing
// past the array. The pick follows the decision's limit.
#include "stream/stream_kernels.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

struct Free {
    void operator()(double* p) const { std::free(p); }
};
using Array = std::unique_ptr<double, Free>;

// n elements `offset` elements past a 64-byte boundary plus one padding line, filled with
// distinct values; the padding holds a marker. The array starts at get() + offset.
Array make(long n, long offset, double seed) {
    const std::size_t bytes = (static_cast<std::size_t>(n + offset) * 8 + 64 + 63) / 64 * 64;
    Array a(static_cast<double*>(std::aligned_alloc(64, bytes)));
    double* x = a.get() + offset;
    for (long i = 0; i < n; ++i) x[i] = seed + 0.25 * static_cast<double>(i % 97);
    for (long i = n; i < n + 8; ++i) x[i] = -7.0;
    return a;
}

void expect_same(const double* got, const double* want, long n, const char* what) {
    for (long i = 0; i < n; ++i) ASSERT_EQ(got[i], want[i]) << what << " element " << i;
    for (long i = n; i < n + 8; ++i) ASSERT_EQ(got[i], -7.0) << what << " wrote past the end";
}

TEST(StreamKernels, EveryAllowedFormMatchesThePlainLoops) {
    const double q = 3.0;
    const stream::StreamKernelSet& plain = stream::kPrefetchForms[3].fn;
    struct Case {
        long n;
        long a, b, c;  // each array's offset in elements from a 64-byte boundary
    };
    // No tail, a step tail, a block tail, whole blocks, below one step; then 16- and 32-byte
    // aligned arrays, one at a time and all three.
    const Case cases[] = {{1024, 0, 0, 0},
                          {16 * 40 + 7, 0, 0, 0},
                          {512 * 3 + 77, 0, 0, 0},
                          {512 * 4, 0, 0, 0},
                          {5, 0, 0, 0},
                          {512 * 2 + 21, 2, 0, 0},
                          {512 * 2 + 21, 0, 4, 0},
                          {512 * 2 + 21, 0, 0, 6},
                          {512 + 3, 2, 2, 2}};
    for (const auto* table : {&stream::kPrefetchForms, &stream::kBlockForms}) {
        for (const stream::StreamForm& form : *table) {
            if (!app::isa_allows(app::processor_isa(), form.required)) continue;
            for (const Case& k : cases) {
                SCOPED_TRACE(testing::Message() << form.name << " n " << k.n << " offsets " << k.a
                                                << " " << k.b << " " << k.c);
                const long n = k.n;
                const Array ma = make(n, k.a, 1.5), mb = make(n, k.b, -2.0);
                const Array want = make(n, 0, 0), got = make(n, k.c, 0);
                const double *a = ma.get() + k.a, *b = mb.get() + k.b;
                double *w = want.get(), *c = got.get() + k.c;
                plain.copy(w, a, n);
                form.fn.copy(c, a, n);
                expect_same(c, w, n, "copy");
                plain.scale(w, b, q, n);
                form.fn.scale(c, b, q, n);
                expect_same(c, w, n, "scale");
                plain.add(w, a, b, n);
                form.fn.add(c, a, b, n);
                expect_same(c, w, n, "add");
                plain.triad(w, a, b, q, n);
                form.fn.triad(c, a, b, q, n);
                expect_same(c, w, n, "triad");
            }
        }
    }
}

// Each limit picks the widest row within it (on processors that have that row); SSE2 alone
// gates the passes.
TEST(StreamKernels, PicksFollowTheLimit) {
    const struct {
        app::IsaFeatures limit, needs;
        const char* prefetch;
        const char* block;
        bool timed;
    } rows[] = {
        {app::kIsaAll, app::kIsaAvx512f | app::kIsaSse2, "AVX-512F STREAM", "AVX-512F BLOCK STREAM",
         true},
        {app::kIsaAll & ~app::kIsaAvx512f, app::kIsaAvx | app::kIsaSse2, "AVX STREAM",
         "AVX BLOCK STREAM", true},
        {app::kIsaSse | app::kIsaSse2, app::kIsaSse2, "SSE2 STREAM", "SSE2 BLOCK STREAM", true},
        {app::kIsaAll & ~app::kIsaSse2, app::kIsaPlain, "plain", "plain", false},
    };
    for (const auto& row : rows) {
        if (!app::isa_allows(app::processor_isa(), row.needs)) continue;
        SCOPED_TRACE(row.prefetch);
        const app::ScopedIsaLimit limit(row.limit);
        EXPECT_STREQ(app::pick_kernel(stream::kPrefetchForms, app::chosen_isa()).name,
                     row.prefetch);
        EXPECT_STREQ(app::pick_kernel(stream::kBlockForms, app::chosen_isa()).name, row.block);
        EXPECT_EQ(stream::timed_forms_allowed(), row.timed);
    }
}

}  // namespace
