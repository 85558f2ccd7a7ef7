// Every subsystem with kernels for several instruction sets, with the decision limited to plain
// code: the plain kernels must be the ones taken. (That they compute what the vector kernels
// compute is each subsystem's own test.)
#include <gtest/gtest.h>

#include "app/isa.h"
#include "blas/gemm_blocked.h"
#include "blas/gemm_tiles.h"
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

// Without a limit every table picks the row this processor's features give it (run under
// emulated processors with and without AVX and AVX2 by the test command).
TEST(ForcedPlain, UnlimitedPicksFollowTheProcessor) {
    app::ScopedIsaLimit all(app::kIsaAll);
    const app::IsaFeatures cpu = app::processor_isa();
    EXPECT_EQ(md::active_pair_kernel(), md::pair_kernel_for(cpu));
    EXPECT_EQ(blas::preferred_tile_isa(), blas::tile_isa_for(cpu));
    EXPECT_EQ(&app::pick_kernel(stream::kPrefetchForms, app::chosen_isa()),
              &app::pick_kernel(stream::kPrefetchForms, cpu));
    EXPECT_EQ(&cipher::ecb_kernel_for(app::chosen_isa()), &cipher::ecb_kernel_for(cpu));
    EXPECT_TRUE(app::isa_allows(cpu, cipher::ecb_kernel_for(cpu).required));
}

}  // namespace
