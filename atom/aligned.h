// Arrays that start on a cache line and fill whole cache lines, so the compute thread and the
// exchange thread never write into the same line (no false sharing between their outputs).
#pragma once

#include <cstddef>
#include <new>
#include <vector>

namespace atom {

inline constexpr std::size_t kCacheLine = 64;

template <class T>
struct CacheLineAllocator {
    using value_type = T;
    CacheLineAllocator() = default;
    template <class U>
    CacheLineAllocator(const CacheLineAllocator<U>&) {}

    T* allocate(std::size_t n) {
        // Round up to whole lines: the tail of one array never shares a line with another.
        const std::size_t bytes = (n * sizeof(T) + kCacheLine - 1) / kCacheLine * kCacheLine;
        return static_cast<T*>(::operator new(bytes, std::align_val_t(kCacheLine)));
    }
    void deallocate(T* p, std::size_t) { ::operator delete(p, std::align_val_t(kCacheLine)); }

    template <class U>
    bool operator==(const CacheLineAllocator<U>&) const {
        return true;
    }
};

using AlignedVector = std::vector<double, CacheLineAllocator<double>>;

}  // namespace atom
