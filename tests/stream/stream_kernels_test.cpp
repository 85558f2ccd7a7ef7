// Both SSE2 forms of every STREAM kernel compute what the plain loop computes, element for
// element, including the scalar tails, and write nothing past the array.
#include "stream/stream_kernels.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct Free {
    void operator()(double* p) const { std::free(p); }
};
using Array = std::unique_ptr<double, Free>;

// n elements plus one padding line, filled with distinct values; the padding holds a marker.
Array make(long n, double seed) {
    const std::size_t bytes = (static_cast<std::size_t>(n) * 8 + 64 + 63) / 64 * 64;
    Array a(static_cast<double*>(std::aligned_alloc(64, bytes)));
    for (long i = 0; i < n; ++i) a.get()[i] = seed + 0.25 * static_cast<double>(i % 97);
    for (long i = n; i < n + 8; ++i) a.get()[i] = -7.0;
    return a;
}

void expect_same(const double* got, const double* want, long n, const char* what) {
    for (long i = 0; i < n; ++i) ASSERT_EQ(got[i], want[i]) << what << " element " << i;
    for (long i = n; i < n + 8; ++i) ASSERT_EQ(got[i], -7.0) << what << " wrote past the end";
}

TEST(StreamKernels, BothFormsMatchThePlainLoopsIncludingTails) {
    const double q = 3.0;
    // Sizes: no tail, a step tail, a block tail, a whole number of blocks, below one step.
    for (long n : {1024L, 16L * 40 + 7, 512L * 3 + 77, 512L * 4, 5L}) {
        const Array a = make(n, 1.5), b = make(n, -2.0);
        Array c1 = make(n, 0), c2 = make(n, 0), c3 = make(n, 0);

        stream::copy_plain(c1.get(), a.get(), n);
        stream::copy_prefetch(c2.get(), a.get(), n);
        stream::copy_block(c3.get(), a.get(), n);
        expect_same(c2.get(), c1.get(), n, "copy prefetch");
        expect_same(c3.get(), c1.get(), n, "copy block");

        stream::scale_plain(c1.get(), b.get(), q, n);
        stream::scale_prefetch(c2.get(), b.get(), q, n);
        stream::scale_block(c3.get(), b.get(), q, n);
        expect_same(c2.get(), c1.get(), n, "scale prefetch");
        expect_same(c3.get(), c1.get(), n, "scale block");

        stream::add_plain(c1.get(), a.get(), b.get(), n);
        stream::add_prefetch(c2.get(), a.get(), b.get(), n);
        stream::add_block(c3.get(), a.get(), b.get(), n);
        expect_same(c2.get(), c1.get(), n, "add prefetch");
        expect_same(c3.get(), c1.get(), n, "add block");

        stream::triad_plain(c1.get(), a.get(), b.get(), q, n);
        stream::triad_prefetch(c2.get(), a.get(), b.get(), q, n);
        stream::triad_block(c3.get(), a.get(), b.get(), q, n);
        expect_same(c2.get(), c1.get(), n, "triad prefetch");
        expect_same(c3.get(), c1.get(), n, "triad block");
        EXPECT_EQ(c1.get()[n - 1], a.get()[n - 1] + q * b.get()[n - 1]);
    }
}

}  // namespace
