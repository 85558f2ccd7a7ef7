#include "md/pair_kernels.h"

#include <atomic>
#include <cmath>

#include "md/mdenergy.h"

namespace md {
namespace {

// -1: follow the processor report.
std::atomic<int> g_forced{-1};

}  // namespace

const char* pair_kernel_name(PairKernel k) {
    return k == PairKernel::Avx2 ? "AVX2" : "plain";
}

PairKernel pair_kernel_for(const app::ProcessorInfo& info) {
    return info.avx2 && info.avx ? PairKernel::Avx2 : PairKernel::Plain;
}

bool pair_kernel_supported(PairKernel k) {
    if (k == PairKernel::Plain) return true;
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

PairKernel active_pair_kernel() {
    const int forced = g_forced.load(std::memory_order_relaxed);
    if (forced >= 0) return static_cast<PairKernel>(forced);
    return pair_kernel_for(app::processor_info());
}

void set_pair_kernel(PairKernel k) {
    g_forced.store(static_cast<int>(k));
}
void clear_pair_kernel() {
    g_forced.store(-1);
}

// The pair arithmetic, in the order that fixes the rounding:
//   d = minimum image of (position i - position j), r2 = dx*dx + dy*dy + dz*dz,
//   q = 1/sqrt(r2), q2 = q*q, s6 = q2*q2*q2,
//   f = (2*S*S*s6*s6 - s6*S) * (24*E*q2), force i += f*d, force j -= f*d,
//   potential term = (s6*s6*S*S - s6*S) * 4 * E * (1 - trunc(r / 0.8660254)).
// Two atoms at the same place would give inf - inf; such a pair contributes nothing.
void pair_forces_plain(mdsimstate& s) {
    const int32_t n = s.atom_count;
    Vec4* force = s.forces.data();
    const Vec4* pos = s.positions.data();
    for (int32_t i = 0; i < n; ++i) {
        const double* srow = s.S[s.species[i]];
        const double* erow = s.E[s.species[i]];
        for (int32_t j = i + 1; j < n; ++j) {
            const double dx = minimum_image(pos[i].x - pos[j].x);
            const double dy = minimum_image(pos[i].y - pos[j].y);
            const double dz = minimum_image(pos[i].z - pos[j].z);
            const double r2 = dx * dx + dy * dy + dz * dz;
            const double r = std::sqrt(r2);
            const double q = 1.0 / r;
            const double q2 = q * q;
            const double s6 = q2 * q2 * q2;
            const double S = srow[s.species[j]];
            const double E = erow[s.species[j]];
            double f = (2.0 * S * S * s6 * s6 - s6 * S) * (24.0 * E * q2);
            if (r2 == 0.0) f = 0.0;
            force[i].x += f * dx;
            force[i].y += f * dy;
            force[i].z += f * dz;
            force[j].x -= f * dx;
            force[j].y -= f * dy;
            force[j].z -= f * dz;
        }
    }
}

double pair_potential_plain(const mdsimstate& s) {
    const int32_t n = s.atom_count;
    const Vec4* pos = s.positions.data();
    double sum = 0.0;
    for (int32_t i = 0; i < n; ++i) {
        const double* srow = s.S[s.species[i]];
        const double* erow = s.E[s.species[i]];
        for (int32_t j = i + 1; j < n; ++j) {
            const double dx = minimum_image(pos[i].x - pos[j].x);
            const double dy = minimum_image(pos[i].y - pos[j].y);
            const double dz = minimum_image(pos[i].z - pos[j].z);
            const double r2 = dx * dx + dy * dy + dz * dz;
            const double r = std::sqrt(r2);
            const double q = 1.0 / r;
            const double q2 = q * q;
            const double s6 = q2 * q2 * q2;
            const double S = srow[s.species[j]];
            const double E = erow[s.species[j]];
            double term = (s6 * s6 * S * S - s6 * S) * 4.0 * E * (1.0 - std::trunc(r / 0.8660254));
            if (r2 == 0.0) term = 0.0;
            sum += term;
        }
    }
    return sum;
}

}  // namespace md
