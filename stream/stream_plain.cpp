// The plain STREAM loops (what each kernel must compute, element by element) and the table of
// forms the run picks from.
#include "stream/stream_kernels.h"

namespace stream {

void copy_plain(double* c, const double* a, long n) {
    for (long i = 0; i < n; ++i) c[i] = a[i];
}
void scale_plain(double* b, const double* c, const double& q, long n) {
    for (long i = 0; i < n; ++i) b[i] = q * c[i];
}
void add_plain(double* c, const double* a, const double* b, long n) {
    for (long i = 0; i < n; ++i) c[i] = a[i] + b[i];
}
void triad_plain(double* c, const double* a, const double* b, const double& q, long n) {
    for (long i = 0; i < n; ++i) c[i] = a[i] + q * b[i];
}

namespace {
constexpr StreamKernelSet kPlain{copy_plain, scale_plain, add_plain, triad_plain};

// The wide forms hand misaligned arrays to the SSE2 form, so they need SSE2 as well.
constexpr app::IsaFeatures kAvx512 = app::kIsaAvx512f | app::kIsaSse2;
constexpr app::IsaFeatures kAvx = app::kIsaAvx | app::kIsaSse2;
}  // namespace

const StreamForm kPrefetchForms[4] = {
    {"AVX-512F STREAM",
     kAvx512,
     {copy_prefetch_avx512, scale_prefetch_avx512, add_prefetch_avx512, triad_prefetch_avx512}},
    {"AVX STREAM",
     kAvx,
     {copy_prefetch_avx, scale_prefetch_avx, add_prefetch_avx, triad_prefetch_avx}},
    {kPrefetchPass, app::kIsaSse2, {copy_prefetch, scale_prefetch, add_prefetch, triad_prefetch}},
    {"plain", app::kIsaPlain, kPlain},
};
const StreamForm kBlockForms[4] = {
    {"AVX-512F BLOCK STREAM",
     kAvx512,
     {copy_block_avx512, scale_block_avx512, add_block_avx512, triad_block_avx512}},
    {"AVX BLOCK STREAM", kAvx, {copy_block_avx, scale_block_avx, add_block_avx, triad_block_avx}},
    {kBlockPass, app::kIsaSse2, {copy_block, scale_block, add_block, triad_block}},
    {"plain", app::kIsaPlain, kPlain},
};

bool timed_forms_allowed() {
    return app::isa_allows(app::chosen_isa(), kPrefetchForms[kSse2Row].required) &&
           app::isa_allows(app::chosen_isa(), kBlockForms[kSse2Row].required);
}

}  // namespace stream
