#include "blas/aligned_block.h"

#include <sys/mman.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace blas {
namespace {
std::atomic<AllocationRefusal> g_refusal{nullptr};

// Blocks from this size on are mapped directly and asked to be backed by huge pages: a fresh
// 20 MB operand then costs ten page faults instead of five thousand.
constexpr std::size_t kHugeThreshold = std::size_t(4) << 20;
constexpr std::size_t kHugePage = std::size_t(2) << 20;
}  // namespace

void set_allocation_refusal(AllocationRefusal refuse) {
    g_refusal.store(refuse);
}

AlignedBlock AlignedBlock::allocate(std::size_t bytes, std::size_t offset) {
    AlignedBlock block;
    offset %= 64;
    if (AllocationRefusal refuse = g_refusal.load(); refuse && refuse(bytes)) return block;
    if (bytes > SIZE_MAX / 2) return block;
    if (bytes >= kHugeThreshold) {
        const std::size_t length = (bytes + offset + 2 * kHugePage - 1) / kHugePage * kHugePage;
        void* map =
            ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (map == MAP_FAILED) return block;
        const auto base = reinterpret_cast<std::uintptr_t>(map);
        const std::uintptr_t aligned = (base + kHugePage - 1) & ~(kHugePage - 1);
        const std::size_t usable = (base + length - aligned) / kHugePage * kHugePage;
        ::madvise(reinterpret_cast<void*>(aligned), usable, MADV_HUGEPAGE);  // a hint only
        block.raw_ = map;
        block.mapped_length_ = length;
        block.data_ = static_cast<char*>(map) + (aligned - base) + offset;
        return block;
    }
    void* raw = std::malloc(bytes + 128);
    if (!raw) return block;
    const auto base = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (base + 63) & ~static_cast<std::uintptr_t>(63);
    block.raw_ = raw;
    block.data_ = static_cast<char*>(raw) + (aligned - base) + offset;
    return block;
}

AlignedBlock::AlignedBlock(AlignedBlock&& other) noexcept
    : raw_(std::exchange(other.raw_, nullptr)),
      data_(std::exchange(other.data_, nullptr)),
      mapped_length_(std::exchange(other.mapped_length_, 0)) {}

AlignedBlock& AlignedBlock::operator=(AlignedBlock&& other) noexcept {
    if (this != &other) {
        release();
        raw_ = std::exchange(other.raw_, nullptr);
        data_ = std::exchange(other.data_, nullptr);
        mapped_length_ = std::exchange(other.mapped_length_, 0);
    }
    return *this;
}

AlignedBlock::~AlignedBlock() {
    release();
}

void AlignedBlock::release() {
    if (mapped_length_ != 0)
        ::munmap(raw_, mapped_length_);
    else
        std::free(raw_);
    raw_ = data_ = nullptr;
    mapped_length_ = 0;
}

}  // namespace blas
