// The copy buffers are written in every page before a method is timed: after the preparation
// no method takes a page fault (a read served by the shared zero page would), while the same
// copy over buffers that were only allocated does.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/resource.h>

#include <cstddef>
#include <vector>

#include "membench/bandwidth.h"

namespace {

constexpr std::size_t kBytes = std::size_t{4} << 20;

// Fresh anonymous pages in small pages, so every untouched page faults on its own.
struct FreshPages {
    FreshPages() {
        p = ::mmap(nullptr, kBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p != MAP_FAILED) ::madvise(p, kBytes, MADV_NOHUGEPAGE);
    }
    ~FreshPages() {
        if (p != MAP_FAILED) ::munmap(p, kBytes);
    }
    void* p;
};

long minor_faults() {
    rusage u{};
    ::getrusage(RUSAGE_THREAD, &u);
    return u.ru_minflt;
}

TEST(MembenchPrewrite, MethodsReadWrittenPagesOnlyAfterPreparation) {
    const long pages = static_cast<long>(kBytes) / ::sysconf(_SC_PAGESIZE);
    struct Row {
        int slot;
        bool prepared;  // without preparation every page faults
    };
    std::vector<Row> rows = {{0, false}, {8, false}};
    for (int slot = 0; slot < 10; ++slot) rows.push_back({slot, true});
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "slot " << row.slot << " prepared " << row.prepared);
        FreshPages a, b;
        ASSERT_NE(a.p, MAP_FAILED);
        ASSERT_NE(b.p, MAP_FAILED);
        if (row.prepared) membench::prepare_copy_buffers(a.p, b.p, kBytes);
        const long before = minor_faults();
        membench::run_copy_method(row.slot, static_cast<int>(kBytes), 2, a.p, b.p);
        const long faults = minor_faults() - before;
        if (!row.prepared)
            EXPECT_GE(faults, pages);
        else
            EXPECT_LT(faults, pages / 16);
    }
}

}  // namespace
