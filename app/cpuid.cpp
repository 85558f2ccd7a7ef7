#include "app/cpuid.h"

#include <cpuid.h>

namespace app {
namespace {
class HardwareCpuid final : public CpuidSource {
  public:
    CpuidRegs query(uint32_t leaf, uint32_t subleaf) override {
        CpuidRegs r;
        __cpuid_count(leaf, subleaf, r.eax, r.ebx, r.ecx, r.edx);
        return r;
    }
    uint64_t xgetbv(uint32_t index) override {
        // Plain asm: the intrinsic would need the whole file built for XSAVE.
        uint32_t lo = 0, hi = 0;
        __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(index));
        return (static_cast<uint64_t>(hi) << 32) | lo;
    }
};
}  // namespace

CpuidSource& hardware_cpuid() {
    static HardwareCpuid source;
    return source;
}

}  // namespace app
