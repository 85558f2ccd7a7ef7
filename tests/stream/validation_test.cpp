// The run's check of its arrays: arrays the kernels computed validate, in every form; a
// corrupted element, or one that is not a number, fails the check with an error line naming the
// array; an error far below the tolerance does not.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "stream/stream_kernels.h"
#include "stream/stream_run.h"

namespace {

constexpr long kN = 512 * 2 + 21;
constexpr int kRounds = 6;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Arrays {
    // One line of padding after each array: the block form reads it.
    std::vector<double> a = std::vector<double>(kN + 8, 1.0);
    std::vector<double> b = std::vector<double>(kN + 8, 2.0);
    std::vector<double> c = std::vector<double>(kN + 8, 0.0);
};

Arrays computed_by(const stream::StreamKernelSet& f) {
    static const double q = 3.0;
    Arrays x;
    for (int k = 0; k < kRounds; ++k) {
        f.copy(x.c.data(), x.a.data(), kN);
        f.scale(x.b.data(), x.c.data(), q, kN);
        f.add(x.c.data(), x.a.data(), x.b.data(), kN);
        f.triad(x.c.data(), x.a.data(), x.b.data(), q, kN);
    }
    return x;
}

struct Row {
    char array;  // '-': left as computed
    long element;
    double value;  // replaces the element; added to it when `add`
    bool add;
    const char* error;  // expected start of the error line, "" when it validates
};

TEST(StreamValidation, ComputedArraysPassCorruptedOnesFail) {
    const Row rows[] = {
        {'-', 0, 0, false, ""},
        {'a', 0, 2.0, false, "Error: STREAM array a[] of thread 1 failed validation"},
        {'b', kN - 1, 1e-6, true, "Error: STREAM array b[] of thread 1 failed validation"},
        {'c', kN / 2, kNaN, false, "Error: STREAM array c[] of thread 1 failed validation"},
        {'c', 7, 1e-15, true, ""},  // one element off by an ulp: within the tolerance
    };
    // The forms a run on this processor takes, and the plain loops.
    const app::IsaFeatures cpu = app::processor_isa();
    const stream::StreamKernelSet forms[] = {app::pick_kernel(stream::kPrefetchForms, cpu).fn,
                                             app::pick_kernel(stream::kBlockForms, cpu).fn,
                                             stream::kPrefetchForms[3].fn};
    for (const stream::StreamKernelSet& form : forms) {
        for (const Row& row : rows) {
            SCOPED_TRACE(testing::Message() << "array " << row.array << " element " << row.element
                                            << " value " << row.value);
            Arrays x = computed_by(form);
            std::vector<double>* target = row.array == 'a'   ? &x.a
                                          : row.array == 'b' ? &x.b
                                          : row.array == 'c' ? &x.c
                                                             : nullptr;
            if (target) {
                double& e = (*target)[static_cast<std::size_t>(row.element)];
                e = row.add ? e + row.value : row.value;
            }
            const std::string got =
                stream::check_stream_arrays(x.a.data(), x.b.data(), x.c.data(), kN, kRounds, 1);
            EXPECT_EQ(got.substr(0, std::string(row.error).size()), row.error);
            EXPECT_EQ(got.empty(), *row.error == '\0') << got;
        }
    }
}

}  // namespace
