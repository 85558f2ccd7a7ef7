// Packing round trips, a multiply that runs out of memory, and a cheap whole-size check of the
// benchmark's own sizes (C v against A (B v), O(n^2) instead of O(n^3)).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "app/cpuid.h"
#include "app/processor_detect.h"
#include "blas/aligned_block.h"
#include "blas/gemm.h"
#include "blas/gemm_blocked.h"
#include "blas/gemm_layout.h"
#include "blas/mflops.h"

namespace {

using blas::GemmStatus;

std::vector<double> numbered(int count) {
    std::vector<double> v(count);
    for (int i = 0; i < count; ++i) v[i] = i + 1;
    return v;
}

TEST(Packing, TilesHoldEveryElementOnceWithAlphaAndZeroPadding) {
    const int m = 37, k = 65, n = 41, nb = 30;
    const auto a = numbered(m * k);
    const auto b = numbered(k * n);
    std::vector<double> pa(blas::packed_elements(m, k, nb), -1.0);
    std::vector<double> pb(blas::packed_elements(k, n, nb), -1.0);
    blas::pack_a(a.data(), m, k, 2.0, nb, pa.data());
    blas::pack_b(b.data(), k, n, nb, pb.data());
    const int kt = blas::tile_count(k, nb);
    // Every position of every tile: the element (scaled for A) or a padding zero.
    for (int r = 0; r < blas::tile_count(m, nb); ++r)
        for (int q = 0; q < kt; ++q)
            for (int i = 0; i < nb; ++i)
                for (int kk = 0; kk < nb; ++kk) {
                    const int row = r * nb + i, col = q * nb + kk;
                    const double want = (row < m && col < k) ? 2.0 * a[row * k + col] : 0.0;
                    ASSERT_EQ(pa[((r * kt + q) * nb + i) * nb + kk], want);
                }
    for (int c = 0; c < blas::tile_count(n, nb); ++c)
        for (int q = 0; q < kt; ++q)
            for (int j = 0; j < nb; ++j)
                for (int kk = 0; kk < nb; ++kk) {
                    const int row = q * nb + kk, col = c * nb + j;
                    const double want = (row < k && col < n) ? b[row * n + col] : 0.0;
                    ASSERT_EQ(pb[((c * kt + q) * nb + j) * nb + kk], want);
                }
    // Alpha exactly 1 copies bit for bit (a NaN payload survives).
    std::vector<float> fa{1.5f, std::numeric_limits<float>::quiet_NaN()};
    std::vector<float> fp(blas::packed_elements(1, 2, 64));
    blas::pack_a(fa.data(), 1, 2, 1.0f, 64, fp.data());
    EXPECT_EQ(fp[0], 1.5f);
    EXPECT_TRUE(std::isnan(fp[1]));
}

std::atomic<int> g_allocations{0};

TEST(Dispatchers, RunningOutOfMemoryLeavesCAsItWas) {
    // Rectangular C: the transposition scratch is the first block, the packed A the second.
    for (int refuse_from : {1, 2, 3}) {
        g_allocations = 0;
        static int limit;
        limit = refuse_from;
        blas::set_allocation_refusal([](std::size_t) { return ++g_allocations >= limit; });
        std::vector<double> a(31 * 40, 1.0), b(40 * 50, 1.0), c = numbered(31 * 50);
        const auto before = c;
        EXPECT_EQ(blas::dgemm("C", 'n', 0, 0.0, 1.0, 31, 40, 50, a.data(), b.data(), c.data()),
                  GemmStatus::OutOfMemory);
        EXPECT_EQ(c, before) << "refused from allocation " << refuse_from;
        blas::set_allocation_refusal(nullptr);
    }
}

// |C v - A (B v)| per row, against the bound (k + 4) u (|A| (|B| |v|)).
template <class T>
void check_whole_size(int n) {
    static const bool detected = [] {
        app::DetectCpuFeatures(app::hardware_cpuid(), app::processor_info());
        return true;
    }();
    (void)detected;
    std::vector<T> a(std::size_t(n) * n), b(a.size()), c(a.size());
    blas::fill_operand(a.data(), n, n, 0);
    blas::fill_operand(b.data(), n, n, 1);
    const GemmStatus st =
        sizeof(T) == 4
            ? blas::sgemm(
                  "C", 'n', 'n', 0.0f, 1.0f, n, n, n, reinterpret_cast<const float*>(a.data()),
                  reinterpret_cast<const float*>(b.data()), reinterpret_cast<float*>(c.data()))
            : blas::dgemm("C", 'n', 0, 0.0, 1.0, n, n, n, reinterpret_cast<const double*>(a.data()),
                          reinterpret_cast<const double*>(b.data()),
                          reinterpret_cast<double*>(c.data()));
    ASSERT_EQ(st, GemmStatus::Ok);
    std::mt19937 gen(n);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<double> v(n), bv(n, 0.0), babs(n, 0.0);
    for (double& x : v) x = dist(gen);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            bv[i] += double(b[std::size_t(i) * n + j]) * v[j];
            babs[i] += std::fabs(double(b[std::size_t(i) * n + j]) * v[j]);
        }
    const double u = std::numeric_limits<T>::epsilon() / 2;
    int failures = 0;
    for (int i = 0; i < n; ++i) {
        double cv = 0, abv = 0, scale = 0;
        for (int j = 0; j < n; ++j) {
            cv += double(c[std::size_t(i) * n + j]) * v[j];
            abv += double(a[std::size_t(i) * n + j]) * bv[j];
            scale += std::fabs(double(a[std::size_t(i) * n + j])) * babs[j];
        }
        const double bound = (n + 4) * (u + std::numeric_limits<double>::epsilon()) * scale;
        if (!(std::fabs(cv - abv) <= bound) && ++failures <= 3)
            ADD_FAILURE() << "row " << i << " of " << n << ": " << cv << " vs " << abv;
    }
}

TEST(WholeSizeCheck, SingleBenchmarkSizes) {
    for (int n : {64, 576, 1024, 1536}) check_whole_size<float>(n);
}

TEST(WholeSizeCheck, DoubleBenchmarkSizes) {
    for (int n : {60, 540, 1440, 1530}) check_whole_size<double>(n);
}

}  // namespace
