#include "suite/selection.h"

namespace suite {
namespace {

std::size_t row_index(const app::BenchmarkInfo& b) {
    return static_cast<std::size_t>(&b - app::benchmarks().data());
}

}  // namespace

bool Selections::selected(const app::BenchmarkInfo& b) const {
    return of(b.score_key) && runs[row_index(b)];
}

bool Selections::runs_code(int code) const {
    const app::BenchmarkInfo* b = app::find_benchmark(code);
    return b && b->code == code && code != app::kCodeAll && runs[row_index(*b)];
}

Selections selections_for_queue(std::span<const int> queue) {
    Selections s = Selections::none();
    for (int code : queue) {
        if (code == app::kCodeAll) {
            s = Selections{};
            continue;
        }
        const app::BenchmarkInfo* b = app::find_benchmark(code);
        if (!b) continue;
        s.of(b->score_key) = true;
        s.runs[row_index(*b)] = true;
    }
    return s;
}

}  // namespace suite
