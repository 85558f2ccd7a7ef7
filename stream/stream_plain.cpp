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
}  // namespace

const StreamForm kPrefetchForms[2] = {
    {"SSE2 STREAM", app::kIsaSse2, {copy_prefetch, scale_prefetch, add_prefetch, triad_prefetch}},
    {"plain", app::kIsaPlain, kPlain},
};
const StreamForm kBlockForms[2] = {
    {"SSE2 BLOCK STREAM", app::kIsaSse2, {copy_block, scale_block, add_block, triad_block}},
    {"plain", app::kIsaPlain, kPlain},
};

bool timed_forms_allowed() {
    const app::IsaFeatures chosen = app::chosen_isa();
    return app::isa_allows(chosen, kPrefetchForms[0].required) &&
           app::isa_allows(chosen, kBlockForms[0].required);
}

}  // namespace stream
