// The CPUID instruction behind a seam: detection code asks a CpuidSource, so tests feed it
// recorded register values.
#pragma once

#include <cstdint>

namespace app {

struct CpuidRegs {
    uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0;
};

class CpuidSource {
  public:
    virtual ~CpuidSource() = default;
    virtual CpuidRegs query(uint32_t leaf, uint32_t subleaf = 0) = 0;
    // XGETBV register `index` (which register states the operating system saves). Only asked
    // when CPUID leaf 1 reports OSXSAVE; a recording without it says "nothing saved".
    virtual uint64_t xgetbv(uint32_t index) {
        (void)index;
        return 0;
    }
};

// The processor's own CPUID.
CpuidSource& hardware_cpuid();

}  // namespace app
