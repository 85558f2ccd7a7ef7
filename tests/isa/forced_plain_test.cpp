// Every subsystem with kernels for several instruction sets, run once on the kernels the
// decision picks for this processor and once with the decision limited to plain code: the
// plain kernels must be the ones taken, and they must give the same results (bit for bit where
// the kernels promise it, within rounding where the summation order differs).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "app/isa.h"
#include "blas/gemm.h"
#include "blas/gemm_blocked.h"
#include "cipher/aes.h"
#include "md/md_test_support.h"
#include "membench/bandwidth.h"
#include "stream/stream_kernels.h"

namespace {

const app::IsaFeatures kPlain = app::kIsaPlain;

TEST(ForcedPlain, EveryTablePicksItsPlainRow) {
    app::ScopedIsaLimit plain(kPlain);
    EXPECT_EQ(md::active_pair_kernel(), md::PairKernel::Plain);
    EXPECT_EQ(blas::preferred_tile_isa(), blas::TileIsa::Plain);
    EXPECT_STREQ(app::pick_kernel(stream::kPrefetchForms, app::chosen_isa()).name, "plain");
    EXPECT_STREQ(app::pick_kernel(stream::kBlockForms, app::chosen_isa()).name, "plain");
    EXPECT_FALSE(stream::timed_forms_allowed());
    const membench::CopyIsa copy = membench::processor_copy_isa();
    EXPECT_FALSE(copy.sse);
    EXPECT_FALSE(copy.sse2);
    EXPECT_EQ(cipher::ecb_kernel_for(app::chosen_isa()).required, kPlain);
}

TEST(ForcedPlain, UnlimitedPicksFollowTheProcessor) {
    const app::IsaFeatures own = app::processor_isa();
    const bool avx2 = app::isa_allows(own, app::kIsaAvx | app::kIsaAvx2);
    const bool avx2_fma = avx2 && app::isa_allows(own, app::kIsaFma);
    EXPECT_EQ(md::active_pair_kernel(), avx2 ? md::PairKernel::Avx2 : md::PairKernel::Plain);
    EXPECT_EQ(blas::preferred_tile_isa(), avx2_fma ? blas::TileIsa::Avx2Fma : blas::TileIsa::Plain);
    EXPECT_TRUE(stream::timed_forms_allowed());  // every x86-64 processor has SSE2
}

// A short trajectory: the forces, energies and positions after a few steps.
std::vector<double> md_trajectory() {
    md::mdsimstate s;
    md_test::build(s, md_test::settings(2, {2, 0, 2, 0}, 3));  // 108 atoms, two species
    std::vector<double> out;
    for (int step = 0; step < 5; ++step) {
        const md::Energies e = md::md_timestep(s);
        out.insert(out.end(), {e.kinetic, e.potential, e.total});
    }
    for (int i = 0; i < s.atom_count; ++i)
        out.insert(out.end(), {s.positions[i].x, s.positions[i].y, s.positions[i].z, s.forces[i].x,
                               s.forces[i].y, s.forces[i].z});
    return out;
}

using ForcedPlainMd = md_test::InTempDir;

TEST_F(ForcedPlainMd, TrajectoryIsBitIdentical) {
    const std::vector<double> fast = md_trajectory();
    std::vector<double> plain;
    {
        app::ScopedIsaLimit limit(kPlain);
        plain = md_trajectory();
    }
    ASSERT_EQ(plain.size(), fast.size());
    for (std::size_t i = 0; i < fast.size(); ++i)
        ASSERT_TRUE(md_test::same_bits(plain[i], fast[i]))
            << "value " << i << ": " << plain[i] << " vs " << fast[i];
}

template <class T>
std::vector<T> random_matrix(int rows, int cols, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<T> m(static_cast<std::size_t>(rows) * cols);
    for (T& x : m) x = static_cast<T>(dist(gen));
    return m;
}

template <class T>
std::vector<T> product(int m, int k, int n, T alpha, T beta) {
    const std::vector<T> a = random_matrix<T>(m, k, 1), b = random_matrix<T>(k, n, 2);
    std::vector<T> c = random_matrix<T>(m, n, 3);
    blas::GemmStatus status;
    if constexpr (sizeof(T) == sizeof(float))
        status = blas::sgemm("C", 'N', 'N', beta, alpha, m, k, n, a.data(), b.data(), c.data());
    else
        status = blas::dgemm("C", 'N', 'N', beta, alpha, m, k, n, a.data(), b.data(), c.data());
    EXPECT_EQ(status, blas::GemmStatus::Ok);
    return c;
}

// The two orders of summation each stay within about k u of the exact sum of magnitudes
// (at most 1 per product here), so they differ by at most 2 (k + 3) u times that sum.
template <class T>
void expect_products_agree(int m, int k, int n, T alpha, T beta) {
    const std::vector<T> fast = product<T>(m, k, n, alpha, beta);
    std::vector<T> plain;
    {
        app::ScopedIsaLimit limit(kPlain);
        plain = product<T>(m, k, n, alpha, beta);
    }
    const double u = std::numeric_limits<T>::epsilon() / 2;
    const double bound = 2.0 * (k + 3) * u * (std::abs(alpha) * k + std::abs(beta));
    for (std::size_t i = 0; i < fast.size(); ++i)
        ASSERT_NEAR(plain[i], fast[i], bound) << m << "x" << k << "x" << n << " element " << i;
}

TEST(ForcedPlain, GemmAgreesToRounding) {
    expect_products_agree<float>(128, 128, 128, 1.0f, 0.0f);
    expect_products_agree<float>(70, 131, 65, 0.5f, 2.0f);  // edges and a K remainder
    expect_products_agree<double>(90, 90, 90, 1.0, 1.0);
    expect_products_agree<double>(61, 47, 33, -1.5, 0.25);
}

TEST(ForcedPlain, StreamFormsAreBitIdentical) {
    const long n = 512L * 3 + 77;  // whole blocks, a step tail and scalar tail
    const std::size_t bytes = (static_cast<std::size_t>(n) * 8 + 64 + 63) / 64 * 64;
    auto fill = [&](double seed) {
        double* p = static_cast<double*>(std::aligned_alloc(64, bytes));
        for (std::size_t i = 0; i < bytes / 8; ++i)
            p[i] = seed + 0.375 * static_cast<double>(i % 89);
        return p;
    };
    double* a = fill(1.25);
    double* b = fill(-3.0);
    const double q = 3.0;
    const stream::StreamForm* plain = nullptr;
    {
        app::ScopedIsaLimit limit(kPlain);
        plain = &app::pick_kernel(stream::kPrefetchForms, app::chosen_isa());
    }
    // Each kernel into its own array: copy a, scale that, add a to it, triad with b.
    auto run = [&](const stream::StreamKernelSet& k, double* out[4]) {
        k.copy(out[0], a, n);
        k.scale(out[1], out[0], q, n);
        k.add(out[2], a, out[1], n);
        k.triad(out[3], b, out[2], q, n);
    };
    for (const stream::StreamForm* fast : {&stream::kPrefetchForms[0], &stream::kBlockForms[0]}) {
        double* want[4] = {fill(0), fill(0), fill(0), fill(0)};
        double* got[4] = {fill(0), fill(0), fill(0), fill(0)};
        run(plain->fn, want);
        run(fast->fn, got);
        for (int j = 0; j < 4; ++j) {
            EXPECT_EQ(std::memcmp(want[j], got[j], bytes), 0) << fast->name << " kernel " << j;
            std::free(want[j]);
            std::free(got[j]);
        }
    }
    std::free(a);
    std::free(b);
}

TEST(ForcedPlain, CipherTextIsIdentical) {
    cipher::KeyState key;
    ASSERT_TRUE(cipher::parse_key(cipher::kKeyText, key));
    cipher::ExpandedKey expanded;
    cipher::expand_key(key, expanded);
    cipher::RoundWords words;
    cipher::make_round_words(expanded, words);
    std::vector<std::uint8_t> fast(16 * 37), plain;
    for (std::size_t i = 0; i < fast.size(); ++i) fast[i] = static_cast<std::uint8_t>(i * 13 + 5);
    plain = fast;
    const std::vector<std::uint8_t> clear = fast;
    cipher::encrypt_ecb(words, fast.data(), 37);
    {
        app::ScopedIsaLimit limit(kPlain);
        cipher::encrypt_ecb(words, plain.data(), 37);
    }
    EXPECT_EQ(plain, fast);
    std::uint8_t block[16];
    cipher::encrypt_block_reference(expanded, clear.data() + 16 * 36, block);
    EXPECT_EQ(std::memcmp(block, plain.data() + 16 * 36, 16), 0);
}

TEST(ForcedPlain, MemoryRowMarksTheVectorCopiesUnsupported) {
    const int block = 8192;
    void* a = std::aligned_alloc(64, block + 256);
    void* b = std::aligned_alloc(64, block + 256);
    for (int i = 0; i < block + 256; ++i)
        static_cast<unsigned char*>(a)[i] = static_cast<unsigned char>(i * 7 + 3);
    membench::BandwidthRow row{};
    {
        app::ScopedIsaLimit limit(kPlain);
        membench::measure_bandwidth(block, 4, a, b, row, membench::processor_copy_isa());
    }
    for (int slot = 0; slot < membench::kMethodCount; ++slot) {
        if (slot < 4)
            EXPECT_GE(row[slot], 0.0f) << membench::method_name(slot);
        else
            EXPECT_EQ(row[slot], membench::kIsaNotSupported) << membench::method_name(slot);
    }
    // The plain register copy moves the same bytes as the SSE2 copy.
    std::vector<unsigned char> plain(block), fast(block);
    membench::run_copy_method(3, block, 1, a, b);
    std::memcpy(plain.data(), b, block);
    std::memset(b, 0, block);
    membench::run_copy_method(8, block, 1, a, b);
    std::memcpy(fast.data(), b, block);
    EXPECT_EQ(plain, fast);
    std::free(a);
    std::free(b);
}

}  // namespace
