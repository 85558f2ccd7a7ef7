#include "app/isa.h"

#include <atomic>

namespace app {
namespace {

std::atomic<IsaFeatures> g_limit{kIsaAll};

}  // namespace

IsaFeatures isa_of_report(const ProcessorInfo& info) {
    IsaFeatures f = kIsaPlain;
    if (info.sse) f |= kIsaSse;
    if (info.sse2) f |= kIsaSse2;
    if (info.sse3) f |= kIsaSse3;
    if (info.aesni) f |= kIsaAesni;
    if (info.avx) {
        f |= kIsaAvx;
        if (info.avx2) f |= kIsaAvx2;
        if (info.fma) f |= kIsaFma;
        if (info.avx512f) f |= kIsaAvx512f;
        if (info.avx512f && info.avx512vbmi) f |= kIsaAvx512Vbmi;
    }
    return f;
}

IsaFeatures processor_isa() {
    return isa_of_report(processor_info());
}

IsaFeatures chosen_isa() {
    return processor_isa() & g_limit.load(std::memory_order_relaxed);
}

IsaFeatures isa_limit() {
    return g_limit.load(std::memory_order_relaxed);
}

void set_isa_limit(IsaFeatures limit) {
    g_limit.store(limit, std::memory_order_relaxed);
}

}  // namespace app
