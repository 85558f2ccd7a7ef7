#include "app/run_registry.h"

#include <algorithm>

#include "app/benchmarks.h"

namespace app {

void RunRegistry::add(int code, RunFactory make) {
    const BenchmarkInfo* row = find_benchmark(code);
    add({code, row ? std::string(row->name) : std::string(), std::move(make)});
}

void RunRegistry::add(RunEntry entry) {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const RunEntry& e) { return e.code == entry.code; });
    if (it != entries_.end())
        *it = std::move(entry);
    else
        entries_.push_back(std::move(entry));
}

const RunEntry* RunRegistry::find(int code) const {
    for (const RunEntry& e : entries_)
        if (e.code == code) return &e;
    return nullptr;
}

std::vector<int> RunRegistry::codes() const {
    std::vector<int> out;
    for (const RunEntry& e : entries_) out.push_back(e.code);
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace app
