#include "app/processor_detect.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "app/counter.h"
#include "app/event.h"
#include "app/format.h"
#include "app/thread.h"

namespace app {
namespace {

uint32_t bit(uint32_t reg, int n) {
    return (reg >> n) & 1u;
}

void store_regs(char* out, const CpuidRegs& r) {
    std::memcpy(out, &r.eax, 4);
    std::memcpy(out + 4, &r.ebx, 4);
    std::memcpy(out + 8, &r.ecx, 4);
    std::memcpy(out + 12, &r.edx, 4);
}

// Runs `work` on a thread created suspended and prepared by `bind`, then waits for the
// detection-done event. Without a thread the work runs here: detection never hangs.
void run_detection_thread(const std::function<void()>& work,
                          const std::function<void(Thread&)>& bind, Event& done) {
    done.reset();
    Thread t;
    if (!t.create_suspended([&] {
            work();
            done.set();
        })) {
        work();
        return;
    }
    bind(t);
    t.resume();
    done.wait();
    t.join();
}

}  // namespace

void DetectCpuFeatures(CpuidSource& cpuid, ProcessorInfo& info) {
    std::memset(info.vendor, 0, sizeof info.vendor);
    std::memset(info.brand, 0, sizeof info.brand);
    info.hyperthreading = info.logical_per_package = 0;
    info.sse = info.sse2 = info.sse3 = 0;
    info.amd_3dnow = info.amd_3dnow_ext = info.amd64 = 0;
    info.avx = info.avx2 = info.fma = info.aesni = 0;
    info.avx512f = info.avx512vbmi = info.family = info.model = 0;

    const CpuidRegs l0 = cpuid.query(0);
    std::memcpy(info.vendor, &l0.ebx, 4);
    std::memcpy(info.vendor + 4, &l0.edx, 4);
    std::memcpy(info.vendor + 8, &l0.ecx, 4);
    if (l0.eax == 0) return;

    const CpuidRegs l1 = cpuid.query(1);
    const uint32_t base_family = (l1.eax >> 8) & 0xfu;
    info.family = base_family == 0xfu ? base_family + ((l1.eax >> 20) & 0xffu) : base_family;
    info.model = (l1.eax >> 4) & 0xfu;
    if (base_family == 0x6u || base_family == 0xfu) info.model |= ((l1.eax >> 16) & 0xfu) << 4;
    info.hyperthreading = bit(l1.edx, 28);
    info.logical_per_package = (l1.ebx >> 16) & 0xffu;
    info.sse = bit(l1.edx, 25);
    info.sse2 = bit(l1.edx, 26);
    info.sse3 = bit(l1.ecx, 0);
    info.fma = bit(l1.ecx, 12);
    info.aesni = bit(l1.ecx, 25);
    // AVX needs the processor and the operating system: XCR0 must say SSE and AVX state
    // (bits 1 and 2) are saved across task switches.
    const bool os_saves_ymm = bit(l1.ecx, 27) && (cpuid.xgetbv(0) & 0x6u) == 0x6u;
    info.avx = bit(l1.ecx, 28) && os_saves_ymm ? 1u : 0u;
    if (!info.avx) info.fma = 0;  // FMA works on YMM state too
    if (l0.eax >= 7 && info.avx) {
        const CpuidRegs l7 = cpuid.query(7, 0);
        info.avx2 = bit(l7.ebx, 5);
        // AVX-512 also needs the opmask and both halves of the ZMM state (XCR0 bits 5-7).
        info.avx512f = bit(l7.ebx, 16) && (cpuid.xgetbv(0) & 0xe6u) == 0xe6u ? 1u : 0u;
        info.avx512vbmi = info.avx512f && bit(l7.ebx, 30) && bit(l7.ecx, 1) ? 1u : 0u;
    }

    const CpuidRegs e0 = cpuid.query(0x80000000u);
    if (e0.eax < 0x80000001u) return;
    const CpuidRegs e1 = cpuid.query(0x80000001u);
    info.amd_3dnow = bit(e1.edx, 31);
    info.amd_3dnow_ext = bit(e1.edx, 30);
    info.amd64 = bit(e1.edx, 29);
    // A processor whose extended range stops short of the brand leaves keeps an empty brand.
    if (e0.eax < 0x80000004u) return;
    for (uint32_t i = 0; i < 3; ++i) store_regs(info.brand + 16 * i, cpuid.query(0x80000002u + i));
    info.brand[48] = '\0';
}

void QueryClockRate(double counter_frequency, ProcessorInfo& info) {
    info.counter_frequency = counter_frequency;
    info.clock_rate = static_cast<float>(counter_frequency / 1'000'000.0);
    info.clock_rate_wide = info.clock_rate;
}

std::string detect_processors(ProcessorInfo& info, const DetectionInputs& inputs) {
    CpuidSource& cpuid = inputs.cpuid ? *inputs.cpuid : hardware_cpuid();
    const int count =
        std::max(inputs.processor_count > 0 ? inputs.processor_count : processor_count(), 1);
    const double frequency =
        inputs.counter_frequency > 0 ? inputs.counter_frequency : counter_frequency();
    info.processor_count = static_cast<uint32_t>(count);

    Event done(Event::Reset::Auto);
    auto cpuid_query = [&] { DetectCpuFeatures(cpuid, info); };
    // The counter's frequency was measured once at start-up; the query only stores it.
    auto clock_query = [&] { QueryClockRate(frequency, info); };
    auto vendor_lines = [&] { return strprintf("%s \r\n%s\r\n", info.vendor, info.brand); };
    auto mhz_line = [&] { return strprintf("%f MHz\r\n", static_cast<double>(info.clock_rate)); };

    std::string report;
    if (count == 1) {
        cpuid_query();
        report += vendor_lines();
        if (inputs.use_threads)
            run_detection_thread(
                clock_query, [](Thread&) {}, done);
        else
            clock_query();
        report += mhz_line();
    } else {
        for (int i = 0; i < count; ++i) {
            if (inputs.use_threads)
                run_detection_thread(
                    cpuid_query, [i](Thread& t) { t.set_ideal_processor(i); }, done);
            else
                cpuid_query();
            report += vendor_lines();
            if (inputs.use_threads)
                run_detection_thread(
                    clock_query, [i](Thread& t) { t.set_affinity(i); }, done);
            else
                clock_query();
            report += mhz_line();
            // The table has 16 entries; further processors are reported but not stored.
            if (i < static_cast<int>(std::size(info.clock_rate_per_processor)))
                info.clock_rate_per_processor[i] = info.clock_rate;
        }
    }

    if (info.amd_3dnow) report += "AMD 3dNow! processor instructions supported.\r\n";
    if (info.amd_3dnow_ext) report += "AMD Enhanced 3dNow! processor instructions supported.\r\n";
    if (info.sse) report += "Intel Streaming SIMD (SSE) processor instructions supported.\r\n";
    if (info.sse2) report += "Intel Streaming SIMD 2 (SSE2) processor instructions supported.\r\n";
    if (info.hyperthreading) {
        report += "Hyperthreading Technology (HTT) supported.\r\n";
        report += strprintf(" - %d logic processors per physical processor.\r\n",
                            static_cast<int>(info.logical_per_package));
    } else {
        info.logical_per_package = 1;
    }
    if (info.sse3) report += "Intel Streaming SIMD 3 (SSE3) processor instructions supported.\r\n";
    if (info.amd64) report += "AMD64 instruction set supported.\r\n";

    // CPUID's logical count is the package's addressable IDs, not threads per core (it gives 1
    // or 0 on many current processors), so the physical count comes from the OS topology.
    const int physical =
        inputs.physical_count > 0 ? inputs.physical_count : physical_processor_count();
    info.physical_processor_count = static_cast<uint32_t>(std::clamp(physical, 1, count));
    return report;
}

}  // namespace app
