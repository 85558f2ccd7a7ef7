#include "membench/random_chase.h"

#include "app/interrupt.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

namespace membench {
namespace {

// splitmix64: small, fast and good enough to shuffle with.
std::uint64_t next_random(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::size_t read_size(const std::string& path) {
    std::ifstream in(path);
    std::string text;
    if (!(in >> text) || text.empty()) return 0;
    std::size_t v = std::strtoull(text.c_str(), nullptr, 10);
    switch (text.back()) {
        case 'K':
            v *= 1024;
            break;
        case 'M':
            v *= 1024 * 1024;
            break;
        default:
            break;
    }
    return v;
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

// Transparent huge pages are PMD-sized: 2 MiB on x86-64.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::string read_smaps() {
    std::ifstream in("/proc/self/smaps");
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

bool unsteady(const RandomLatencyRow& row) {
    return row.spread_percent > kUnsteadySpreadPercent;
}

double spread_percent(const std::vector<double>& ns) {
    if (ns.size() < 2) return 0.0;
    const auto [lo, hi] = std::minmax_element(ns.begin(), ns.end());
    return *lo > 0.0 ? (*hi - *lo) / *lo * 100.0 : 0.0;
}

std::size_t page_size_in_smaps(const std::string& smaps, std::uintptr_t begin, std::size_t length) {
    std::istringstream in(smaps);
    std::string line;
    bool inside = false, found = false;
    std::size_t kernel_page = 0, rss = 0, huge = 0;
    while (std::getline(in, line)) {
        unsigned long long lo = 0, hi = 0;
        char dash = 0;
        std::istringstream head(line);
        // A mapping's first line: "lo-hi perms ...", both in hexadecimal.
        if (head >> std::hex >> lo >> dash >> hi && dash == '-' &&
            line.find(':') > line.find(' ')) {
            inside = lo < begin + length && begin < hi;
            found = found || inside;
            continue;
        }
        if (!inside) continue;
        std::istringstream field(line);
        std::string key;
        std::size_t kb = 0;
        if (!(field >> key >> kb)) continue;
        if (key == "KernelPageSize:" && kb * 1024 > kernel_page) kernel_page = kb * 1024;
        if (key == "Rss:") rss += kb;
        if (key == "AnonHugePages:") huge += kb;
    }
    if (!found) return 0;
    if (huge > 0 && 2 * huge >= rss) return kHugePage;
    return kernel_page;
}

void build_random_cycle(ChaseElement* elements, std::size_t count, std::uint64_t seed) {
    if (count == 0) return;
    std::vector<std::size_t> order(count);
    for (std::size_t i = 0; i < count; ++i) order[i] = i;
    // Sattolo: j strictly below i makes the permutation one cycle.
    std::uint64_t state = seed;
    for (std::size_t i = count - 1; i > 0; --i) {
        const std::size_t j = static_cast<std::size_t>(next_random(state) % i);
        std::swap(order[i], order[j]);
    }
    for (std::size_t i = 0; i < count; ++i) elements[i].next = &elements[order[i]];
}

ChaseElement* chase(ChaseElement* p, std::size_t loads) {
    // Unrolled so the loop's own work stays small beside a load.
    while (loads >= 8) {
        p = p->next;
        p = p->next;
        p = p->next;
        p = p->next;
        p = p->next;
        p = p->next;
        p = p->next;
        p = p->next;
        loads -= 8;
    }
    while (loads-- > 0) p = p->next;
    return p;
}

std::vector<std::size_t> random_chase_sizes(std::size_t llc_bytes) {
    std::vector<std::size_t> out;
    const std::size_t top = std::max(kRandomChaseMinBytes, 4 * llc_bytes);
    for (std::size_t s = kRandomChaseMinBytes; s < top; s *= 2) out.push_back(s);
    out.push_back(top / 64 * 64);  // the last size is four times the cache even when no power
    return out;
}

std::size_t last_level_cache_bytes() {
    std::size_t best = 0;
    int best_level = 0;
    for (int i = 0; i < 16; ++i) {
        const std::string dir = "/sys/devices/system/cpu/cpu0/cache/index" + std::to_string(i);
        std::ifstream level_in(dir + "/level");
        int level = 0;
        if (!(level_in >> level)) break;
        std::ifstream type_in(dir + "/type");
        std::string type;
        type_in >> type;
        if (type == "Instruction") continue;
        const std::size_t size = read_size(dir + "/size");
        if (size > 0 && level >= best_level) {
            best_level = level;
            best = size;
        }
    }
    if (best == 0) {
        const long l3 = ::sysconf(_SC_LEVEL3_CACHE_SIZE);
        const long l2 = ::sysconf(_SC_LEVEL2_CACHE_SIZE);
        best = l3 > 0 ? std::size_t(l3) : l2 > 0 ? std::size_t(l2) : 0;
    }
    return best;
}

std::vector<RandomLatencyRow> measure_random_latency(const std::vector<std::size_t>& sizes,
                                                     double mhz) {
    std::vector<RandomLatencyRow> out;
    if (sizes.empty()) return out;
    const std::size_t largest = *std::max_element(sizes.begin(), sizes.end());
    // Whole huge pages, aligned to one, so the system can back the region with them.
    const std::size_t bytes = (largest + kHugePage - 1) / kHugePage * kHugePage;
    std::unique_ptr<void, FreeDeleter> buffer(std::aligned_alloc(kHugePage, bytes));
    if (!buffer) return out;
    ::madvise(buffer.get(), bytes, MADV_HUGEPAGE);  // a system that refuses keeps small pages
    auto* elements = static_cast<ChaseElement*>(buffer.get());
    for (std::size_t size : sizes) {
        if (app::interrupt_requested()) break;  // between sizes: a chase cannot stop
        const std::size_t count = size / sizeof(ChaseElement);
        if (count < 2) continue;
        build_random_cycle(elements, count, 0x4C554D45ull + size);
        // Enough loads that the clock's resolution does not matter, whole cycles so every
        // element is visited equally often.
        const std::size_t cycles = std::max<std::size_t>(1, (std::size_t(1) << 21) / count);
        const std::size_t loads = cycles * count;
        ChaseElement* p = chase(elements, count);  // warm: pages touched, caches filled
        std::vector<double> passes;
        for (int pass = 0; pass < 3; ++pass) {
            const auto t0 = std::chrono::steady_clock::now();
            p = chase(p, loads);
            const auto t1 = std::chrono::steady_clock::now();
            passes.push_back(std::chrono::duration<double, std::nano>(t1 - t0).count() / loads);
        }
        // The end of the chase escapes so the compiler keeps every load.
        if (p == nullptr) std::abort();
        RandomLatencyRow row;
        row.bytes = size;
        row.ns = *std::min_element(passes.begin(), passes.end());
        row.cycles = row.ns * mhz / 1000.0;
        row.spread_percent = spread_percent(passes);
        row.page_bytes =
            page_size_in_smaps(read_smaps(), reinterpret_cast<std::uintptr_t>(elements), size);
        out.push_back(row);
    }
    return out;
}

nlohmann::json random_latency_json(const std::vector<RandomLatencyRow>& rows) {
    nlohmann::json out = nlohmann::json::array();
    for (const RandomLatencyRow& r : rows)
        out.push_back({{"bytes", r.bytes},
                       {"ns", r.ns},
                       {"cycles", r.cycles},
                       {"spread_percent", r.spread_percent},
                       {"unsteady", unsteady(r)},
                       {"page_bytes", r.page_bytes}});
    return out;
}

}  // namespace membench
