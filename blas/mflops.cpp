#include "blas/mflops.h"

#include <cstdint>

#include "app/counter.h"
#include "blas/aligned_block.h"

namespace blas {

template <class T>
void fill_operand(T* m, int rows, int cols, int which) {
    const std::size_t count = static_cast<std::size_t>(rows) * cols;
    const std::uint32_t salt = 0x9E3779B9u * static_cast<std::uint32_t>(which + 1);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t h = (static_cast<std::uint32_t>(i) * 2654435761u) ^ salt;
        m[i] = static_cast<T>(static_cast<int>((h >> 16) & 1023u) - 512) / T(512);
    }
}

template void fill_operand<float>(float*, int, int, int);
template void fill_operand<double>(double*, int, int, int);

double mflops_from_time(int m, int k, int n, double seconds) {
    if (!(seconds > 0.0)) return 0.0;
    const double ops = double(m) * 2.0 * double(n) * double(k) - double(n) * double(m);
    return ops / seconds / 1e6;
}

namespace {

template <class T, class Gemm>
MflopsResult measure(int m, int k, int n, std::string_view kernel, char transb, Gemm gemm) {
    MflopsResult result;
    if (m < 0 || k < 0 || n < 0) {
        result.status = GemmStatus::InvalidSize;
        return result;
    }
    AlignedBlock a = AlignedBlock::allocate(static_cast<std::size_t>(k) * m * sizeof(T));
    AlignedBlock b = AlignedBlock::allocate(static_cast<std::size_t>(k) * n * sizeof(T));
    AlignedBlock c = AlignedBlock::allocate(static_cast<std::size_t>(m) * n * sizeof(T));
    if (!a || !b || !c) {
        result.status = GemmStatus::OutOfMemory;
        return result;
    }
    fill_operand(a.as<T>(), m, k, 0);
    fill_operand(b.as<T>(), k, n, 1);
    fill_operand(c.as<T>(), m, n, 2);
    // The call is timed with its own pair of counter readings rather than the shared lap
    // timer, so no other timer taking a lap meanwhile can shorten it.
    const std::int64_t start = app::counter_now();
    result.status = gemm(kernel, 'n', transb, T(0), T(1), m, k, n, a.as<T>(), b.as<T>(), c.as<T>());
    const std::int64_t stop = app::counter_now();
    if (result.status != GemmStatus::Ok) return result;
    const double f = app::counter_frequency();
    result.seconds = f > 0 ? static_cast<double>(stop - start) / f : 0.0;
    result.mflops = mflops_from_time(m, k, n, result.seconds);
    return result;
}

}  // namespace

MflopsResult sgemm_mflops(int m, int k, int n, std::string_view kernel) {
    return measure<float>(m, k, n, kernel, 'n', &sgemm);
}

MflopsResult dgemm_mflops(int m, int k, int n, std::string_view kernel) {
    return measure<double>(m, k, n, kernel, 0, &dgemm);
}

}  // namespace blas
