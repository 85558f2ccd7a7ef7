// The process's one instruction-set decision. The build targets plain x86-64; every kernel that
// needs more lives in its own file, sits in its subsystem's table of kernels (name, required
// features, function) and is only called when the decision allows its features. The decision
// is a pure function of the processor report, narrowed by a limit that tests set to force the
// plain kernels everywhere.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/processor_info.h"

namespace app {

using IsaFeatures = uint32_t;

inline constexpr IsaFeatures kIsaSse = 1u << 0;
inline constexpr IsaFeatures kIsaSse2 = 1u << 1;
inline constexpr IsaFeatures kIsaSse3 = 1u << 2;
inline constexpr IsaFeatures kIsaAvx = 1u << 3;
inline constexpr IsaFeatures kIsaAvx2 = 1u << 4;
inline constexpr IsaFeatures kIsaFma = 1u << 5;
inline constexpr IsaFeatures kIsaAesni = 1u << 6;
// AVX-512 Foundation with the operating system saving its registers.
inline constexpr IsaFeatures kIsaAvx512f = 1u << 7;
// AVX-512 BW and VBMI beside the Foundation: byte permutes over whole registers.
inline constexpr IsaFeatures kIsaAvx512Vbmi = 1u << 8;
// Plain C++ built for the x86-64 base: runs everywhere, needs nothing.
inline constexpr IsaFeatures kIsaPlain = 0;
inline constexpr IsaFeatures kIsaAll = ~IsaFeatures{0};

// What a processor report allows. AVX2 and FMA count only together with AVX, whose flag already
// says the operating system saves the vector registers.
IsaFeatures isa_of_report(const ProcessorInfo& info);

// What this processor has: isa_of_report(processor_info()). Direct calls of one kernel (tests,
// benchmarks) check this.
IsaFeatures processor_isa();

// The decision every subsystem picks its kernels from: processor_isa() within isa_limit().
IsaFeatures chosen_isa();

// The limit (all features unless set). Set it before a run starts, never during one.
IsaFeatures isa_limit();
void set_isa_limit(IsaFeatures limit);

constexpr bool isa_allows(IsaFeatures available, IsaFeatures required) {
    return (available & required) == required;
}

// One row of a kernel table.
template <class Fn>
struct IsaKernel {
    const char* name;
    IsaFeatures required;
    Fn fn;
};

// The first row whose features `available` has. Tables list their fastest kernel first and end
// with a plain row, so there always is one.
template <class Fn, std::size_t N>
constexpr const IsaKernel<Fn>& pick_kernel(const IsaKernel<Fn> (&table)[N], IsaFeatures available) {
    static_assert(N > 0);
    for (std::size_t i = 0; i + 1 < N; ++i)
        if (isa_allows(available, table[i].required)) return table[i];
    return table[N - 1];
}

// Limits the decision for a scope (tests).
class ScopedIsaLimit {
  public:
    explicit ScopedIsaLimit(IsaFeatures limit) : saved_(isa_limit()) { set_isa_limit(limit); }
    ~ScopedIsaLimit() { set_isa_limit(saved_); }
    ScopedIsaLimit(const ScopedIsaLimit&) = delete;
    ScopedIsaLimit& operator=(const ScopedIsaLimit&) = delete;

  private:
    IsaFeatures saved_;
};

}  // namespace app
