// The blocked multiply against a plain triple loop, for every tile-kernel family this
// processor can run, on sizes on and off the tile and on rectangular shapes.
//
// Error bound: each C element is a sum of k products plus the scaled old value. Summed in
// precision u in any order, the result differs from the exact value by at most about
// (k + 3) * u * (|alpha| |A| |B| + |beta| |C|) (k - 1 additions and one rounding per product,
// plus alpha folded into A, the beta scaling and the final addition). The double oracle has
// its own error of the same form with u = 2^-53, so the check allows the sum of the two.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "app/cpuid.h"
#include "app/processor_detect.h"
#include "blas/gemm.h"
#include "blas/gemm_blocked.h"

namespace {

using blas::GemmStatus;
using blas::TileIsa;

void detect_once() {
    static const bool done = [] {
        app::DetectCpuFeatures(app::hardware_cpuid(), app::processor_info());
        return true;
    }();
    (void)done;
}

std::vector<TileIsa> isas() {
    detect_once();
    std::vector<TileIsa> out{TileIsa::Plain};
    for (TileIsa isa : {TileIsa::Avx2Fma, TileIsa::Avx512})
        if (blas::tile_isa_supported(isa)) out.push_back(isa);
    return out;
}

template <class T>
std::vector<T> random_matrix(int rows, int cols, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<T> m(static_cast<std::size_t>(rows) * cols);
    for (T& x : m) x = static_cast<T>(dist(gen));
    return m;
}

// Checks C = alpha A B + beta C0 element by element; returns the number of failures.
template <class T>
int check_product(const std::vector<T>& a, const std::vector<T>& b, const std::vector<T>& c0,
                  const std::vector<T>& c, T alpha, T beta, int m, int k, int n) {
    const double u = std::numeric_limits<T>::epsilon() / 2;
    const double ud = std::numeric_limits<double>::epsilon() / 2;
    int failures = 0;
    for (int i = 0; i < m; ++i) {
        for (int j = 0; j < n; ++j) {
            double sum = 0, mag = 0;
            for (int p = 0; p < k; ++p) {
                const double prod = double(a[i * k + p]) * double(b[p * n + j]);
                sum += prod;
                mag += std::fabs(prod);
            }
            const double old = beta == T(0) ? 0.0 : double(c0[i * n + j]);
            const double ref = double(alpha) * sum + double(beta) * old;
            const double scale = std::fabs(double(alpha)) * mag + std::fabs(double(beta) * old);
            const double bound = (k + 3) * (u + ud) * scale + std::numeric_limits<T>::min();
            if (!(std::fabs(double(c[i * n + j]) - ref) <= bound) && ++failures <= 3)
                ADD_FAILURE() << "C[" << i << "][" << j << "] = " << c[i * n + j] << ", expected "
                              << ref << " +- " << bound << " (m=" << m << " k=" << k << " n=" << n
                              << " alpha=" << alpha << " beta=" << beta << ")";
        }
    }
    return failures;
}

template <class T>
void run_case(TileIsa isa, int m, int k, int n, T alpha, T beta) {
    constexpr int nb = sizeof(T) == 4 ? blas::kSgemmTile : blas::kDgemmTile;
    const auto a = random_matrix<T>(m, k, 1u + m);
    const auto b = random_matrix<T>(k, n, 2u + n);
    auto c0 = random_matrix<T>(m, n, 3u + k);
    // Beta 0 must overwrite C whatever it holds.
    if (beta == T(0)) std::fill(c0.begin(), c0.end(), std::numeric_limits<T>::quiet_NaN());
    auto c = c0;
    ASSERT_EQ(
        blas::gemm_blocked<T>(isa, true, nb, beta, alpha, m, k, n, a.data(), b.data(), c.data()),
        GemmStatus::Ok);
    EXPECT_EQ(check_product(a, b, c0, c, alpha, beta, m, k, n), 0)
        << "isa " << static_cast<int>(isa);
}

template <class T>
void square_sizes_all_betas() {
    for (TileIsa isa : isas())
        for (int s : {1, 30, 31, 64, 65, 97, 128})
            for (T alpha : {T(1), T(2)})
                for (T beta : {T(0), T(1), T(-0.5)}) run_case<T>(isa, s, s, s, alpha, beta);
}

TEST(GemmAgainstOracle, SingleSquareSizesOnAndOffTheTile) {
    square_sizes_all_betas<float>();
}
TEST(GemmAgainstOracle, DoubleSquareSizesOnAndOffTheTile) {
    square_sizes_all_betas<double>();
}

template <class T>
void rectangular_shapes() {
    const int shapes[][3] = {{3, 70, 129},  {65, 1, 31},  {100, 29, 7},  {64, 128, 60},
                             {31, 200, 90}, {128, 64, 1}, {1, 150, 150}, {90, 60, 61}};
    for (TileIsa isa : isas())
        for (const auto& s : shapes)
            for (T beta : {T(0), T(1), T(3)}) run_case<T>(isa, s[0], s[1], s[2], T(2), beta);
}

TEST(GemmAgainstOracle, SingleRectangular) {
    rectangular_shapes<float>();
}
TEST(GemmAgainstOracle, DoubleRectangular) {
    rectangular_shapes<double>();
}

TEST(GemmAgainstOracle, NoWholeKTileStillAppliesBeta) {
    // With K below one tile (or zero) no full-tile kernel runs; beta must still be applied.
    for (TileIsa isa : isas()) {
        run_case<float>(isa, 70, 5, 66, 1.0f, 0.0f);
        run_case<double>(isa, 31, 1, 62, 2.0, 2.5);
        std::vector<double> c{1, 2, 3, 4};
        ASSERT_EQ(blas::gemm_blocked<double>(isa, true, 30, 3.0, 1.0, 2, 0, 2, nullptr, nullptr,
                                             c.data()),
                  GemmStatus::Ok);
        EXPECT_EQ(c, (std::vector<double>{3, 6, 9, 12}));
    }
}

TEST(GemmAgainstOracle, VectorKernelsAgreeWithPlainToRounding) {
    if (!blas::tile_isa_supported(TileIsa::Avx2Fma)) GTEST_SKIP() << "no AVX2/FMA";
    const int s = 150;
    const auto a = random_matrix<double>(s, s, 7);
    const auto b = random_matrix<double>(s, s, 8);
    std::vector<double> plain(s * s, 0.0), vec(s * s, 0.0);
    blas::gemm_blocked<double>(TileIsa::Plain, true, 30, 0.0, 1.0, s, s, s, a.data(), b.data(),
                               plain.data());
    blas::gemm_blocked<double>(TileIsa::Avx2Fma, true, 30, 0.0, 1.0, s, s, s, a.data(), b.data(),
                               vec.data());
    for (int i = 0; i < s * s; ++i) ASSERT_NEAR(plain[i], vec[i], 1e-12) << i;
}

// Both vector families accumulate every C element with one fused multiply-add per k in k order,
// so they must agree bit for bit, with partial tiles on every side and each beta.
template <class T>
void vector_families_agree() {
    constexpr int nb = sizeof(T) == 4 ? blas::kSgemmTile : blas::kDgemmTile;
    const int shapes[][3] = {{nb, nb, nb}, {2 * nb + 1, 3 * nb - 1, nb + 7}, {nb - 1, 2 * nb, 5}};
    for (const auto& s : shapes)
        for (T beta : {T(0), T(1), T(-0.5)}) {
            const int m = s[0], k = s[1], n = s[2];
            const auto a = random_matrix<T>(m, k, 11);
            const auto b = random_matrix<T>(k, n, 12);
            auto c2 = random_matrix<T>(m, n, 13);
            auto c5 = c2;
            blas::gemm_blocked<T>(TileIsa::Avx2Fma, true, nb, beta, T(1.5), m, k, n, a.data(),
                                  b.data(), c2.data());
            blas::gemm_blocked<T>(TileIsa::Avx512, true, nb, beta, T(1.5), m, k, n, a.data(),
                                  b.data(), c5.data());
            ASSERT_EQ(c2, c5) << "m=" << m << " k=" << k << " n=" << n << " beta=" << beta;
        }
}

TEST(GemmAgainstOracle, Avx512KernelsGiveTheAvx2Bits) {
    detect_once();
    if (!blas::tile_isa_supported(TileIsa::Avx512)) GTEST_SKIP() << "no AVX-512";
    vector_families_agree<float>();
    vector_families_agree<double>();
}

TEST(GemmSizes, ExactSmallProduct) {
    // 2x3 times 3x2 with small integers is exact in any summation order.
    const std::vector<float> a{1, 2, 3, 4, 5, 6};
    const std::vector<float> b{7, 8, 9, 10, 11, 12};
    std::vector<float> c{1, 1, 1, 1};
    ASSERT_EQ(blas::sgemm("C", 'n', 'n', 1.0f, 2.0f, 2, 3, 2, a.data(), b.data(), c.data()),
              GemmStatus::Ok);
    EXPECT_EQ(c, (std::vector<float>{117, 129, 279, 309}));
}

TEST(GemmSizes, BadSizesAreRefusedAndEmptyOnesDoNothing) {
    std::vector<double> a(4, 1), b(4, 1), c(4, 5);
    EXPECT_EQ(blas::dgemm("C", 'n', 0, 0.0, 1.0, -1, 2, 2, a.data(), b.data(), c.data()),
              GemmStatus::InvalidSize);
    EXPECT_EQ(blas::dgemm("C", 'n', 0, 0.0, 1.0, 2, 2, 2, nullptr, b.data(), c.data()),
              GemmStatus::InvalidSize);
    EXPECT_EQ(blas::dgemm("C", 'n', 0, 0.0, 1.0, 0, 2, 2, a.data(), b.data(), c.data()),
              GemmStatus::Ok);
    EXPECT_EQ(c, std::vector<double>(4, 5));
}

}  // namespace
