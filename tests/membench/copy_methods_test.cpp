// Every copy method copies exactly its block, for several block sizes, and nothing beyond it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "membench/bandwidth.h"
#include "membench/copy_kernels.h"

namespace {

struct Buffers {
    explicit Buffers(std::size_t bytes) : size(bytes) {
        a.reset(static_cast<unsigned char*>(std::aligned_alloc(64, bytes)));
        b.reset(static_cast<unsigned char*>(std::aligned_alloc(64, bytes)));
        for (std::size_t i = 0; i < bytes; ++i) {
            a[i] = static_cast<unsigned char>(i * 7 + 3);
            b[i] = static_cast<unsigned char>(0xEE);
        }
    }
    struct Free {
        void operator()(unsigned char* p) const { std::free(p); }
    };
    std::size_t size;
    std::unique_ptr<unsigned char[], Free> a, b;
};

// The source of the method's copy and its destination (slot 0 copies b into a).
void expect_copied(int slot, int block, Buffers& buf) {
    const unsigned char* src = slot == 0 ? buf.b.get() : buf.a.get();
    const unsigned char* dst = slot == 0 ? buf.a.get() : buf.b.get();
    std::vector<unsigned char> expected_src(src, src + buf.size);
    membench::run_copy_method(slot, block, 3, buf.a.get(), buf.b.get());
    for (int i = 0; i < block; ++i)
        ASSERT_EQ(dst[i], expected_src[static_cast<std::size_t>(i)])
            << "slot " << slot << " byte " << i;
    // The source is untouched and nothing beyond the block is written.
    EXPECT_EQ(std::memcmp(src, expected_src.data(), buf.size), 0) << slot;
    const unsigned char beyond = slot == 0 ? static_cast<unsigned char>(block * 7 + 3) : 0xEE;
    EXPECT_EQ(dst[block], beyond) << "slot " << slot;
}

TEST(MembenchCopyMethods, EveryMethodCopiesTheWholeBlockAndNothingMore) {
    for (int block : {256, 1024, 8192, 8192 + 768, 65536}) {
        for (int slot = 0; slot < membench::kMethodCount; ++slot) {
            Buffers buf(static_cast<std::size_t>(block) + 4096);
            expect_copied(slot, block, buf);
        }
    }
}

}  // namespace
