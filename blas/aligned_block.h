// Heap blocks at a chosen distance past a 64-byte boundary, the way the multiply lays out its
// matrices and packed tiles. Allocation failure is an empty block, never an exception, so a
// run can report it and end in order.
#pragma once

#include <cstddef>

namespace blas {

class AlignedBlock {
  public:
    AlignedBlock() = default;
    // `bytes` usable bytes starting `offset` bytes past a 64-byte boundary (offset < 64).
    static AlignedBlock allocate(std::size_t bytes, std::size_t offset = 0);

    AlignedBlock(AlignedBlock&& other) noexcept;
    AlignedBlock& operator=(AlignedBlock&& other) noexcept;
    AlignedBlock(const AlignedBlock&) = delete;
    AlignedBlock& operator=(const AlignedBlock&) = delete;
    ~AlignedBlock();

    explicit operator bool() const { return data_ != nullptr; }
    template <class T>
    T* as() const {
        return static_cast<T*>(data_);
    }

  private:
    void release();

    void* raw_ = nullptr;
    void* data_ = nullptr;
    std::size_t mapped_length_ = 0;  // non-zero: raw_ is a mapping of this length
};

// Test seam: a predicate that refuses allocations (by size) so tests can see how a run ends
// when memory runs out. nullptr restores normal allocation. Install before the run starts.
using AllocationRefusal = bool (*)(std::size_t bytes);
void set_allocation_refusal(AllocationRefusal refuse);

}  // namespace blas
