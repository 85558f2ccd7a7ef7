// Recorded CPUID answers: a map from (leaf, subleaf) to registers; unknown leaves read 0, and
// XGETBV reads `xcr0`.
#pragma once

#include <cstring>
#include <map>
#include <utility>

#include "app/cpuid.h"

namespace testing_support {

class FakeCpuid final : public app::CpuidSource {
  public:
    app::CpuidRegs query(uint32_t leaf, uint32_t subleaf) override {
        ++queries[leaf];
        auto it = regs.find({leaf, subleaf});
        return it == regs.end() ? app::CpuidRegs{} : it->second;
    }
    void set(uint32_t leaf, uint32_t eax, uint32_t ebx, uint32_t ecx, uint32_t edx,
             uint32_t subleaf = 0) {
        regs[{leaf, subleaf}] = {eax, ebx, ecx, edx};
    }

    uint64_t xgetbv(uint32_t) override { return xcr0; }
    // The brand text as the three brand leaves return it.
    void set_brand(const char* text) {
        char buf[48] = {};
        std::strncpy(buf, text, sizeof buf);
        for (uint32_t i = 0; i < 3; ++i) {
            app::CpuidRegs r;
            std::memcpy(&r, buf + 16 * i, 16);
            regs[{0x80000002u + i, 0}] = r;
        }
    }

    std::map<std::pair<uint32_t, uint32_t>, app::CpuidRegs> regs;
    std::map<uint32_t, int> queries;
    uint64_t xcr0 = 0;
};

// This machine (AMD EPYC): 32 KB 8-way data, 64 KB 4-way code, 512 KB L2 (code 6), 64-byte lines.
inline void record_this_amd(FakeCpuid& f) {
    f.set(0x80000000u, 0x80000028u, 0, 0, 0);
    f.set(0x80000005u, 0, 0, 0x20080140u, 0x40040140u);
    f.set(0x80000006u, 0, 0, 0x02006140u, 0);
}

// A current Intel processor (Alder Lake performance core): leaf 2 holds only 0xFF (and the
// TLB descriptor 0xFE); leaf 4 lists 48 KB 12-way data, 32 KB 8-way code, 1280 KB 10-way L2
// and a 30 MB L3.
inline void record_current_intel(FakeCpuid& f) {
    f.set(0, 0x20, 0x756E6547, 0x6C65746E, 0x49656E69);
    f.set(2, 0x00FEFF01u, 0x000000F0u, 0, 0);
    f.set(4, 0xFC004121u, 0x02C0003Fu, 0x0000003Fu, 0, 0);
    f.set(4, 0xFC004122u, 0x01C0003Fu, 0x0000003Fu, 0, 1);
    f.set(4, 0xFC01C143u, 0x0240003Fu, 0x000007FFu, 0, 2);
    f.set(4, 0xFC1FC163u, 0x02C0003Fu, 0x00009FFFu, 0x4, 3);
}

}  // namespace testing_support
