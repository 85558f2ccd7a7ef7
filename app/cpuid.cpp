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
};
}  // namespace

CpuidSource& hardware_cpuid() {
    static HardwareCpuid source;
    return source;
}

}  // namespace app
