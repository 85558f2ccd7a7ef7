#include "md/pair_kernels.h"

#include <atomic>
#include <cmath>
#include <iterator>

#include "md/mdenergy.h"

namespace md {
namespace {

// -1: follow the decision.
std::atomic<int> g_forced{-1};

// Fastest first; the plain row runs everywhere.
constexpr app::IsaKernel<PairLoops> kPairTable[] = {
    {"AVX2",
     app::kIsaAvx | app::kIsaAvx2,
     {PairKernel::Avx2, pair_forces_avx2, pair_potential_avx2}},
    {"AVX", app::kIsaAvx, {PairKernel::Avx, pair_forces_plain_avx, pair_potential_plain_avx}},
    {"plain", app::kIsaPlain, {PairKernel::Plain, pair_forces_plain, pair_potential_plain}},
};

const app::IsaKernel<PairLoops>& row_of(PairKernel k) {
    for (const auto& row : kPairTable)
        if (row.fn.kernel == k) return row;
    return kPairTable[std::size(kPairTable) - 1];
}

}  // namespace

const char* pair_kernel_name(PairKernel k) {
    return row_of(k).name;
}

const PairLoops& pair_loops(PairKernel k) {
    return row_of(k).fn;
}

PairKernel pair_kernel_for(app::IsaFeatures available) {
    return app::pick_kernel(kPairTable, available).fn.kernel;
}

PairKernel pair_kernel_for(const app::ProcessorInfo& info) {
    return pair_kernel_for(app::isa_of_report(info));
}

bool pair_kernel_supported(PairKernel k) {
    return app::isa_allows(app::processor_isa(), row_of(k).required);
}

const PairLoops& active_pair_loops() {
    const int forced = g_forced.load(std::memory_order_relaxed);
    if (forced >= 0) return row_of(static_cast<PairKernel>(forced)).fn;
    return app::pick_kernel(kPairTable, app::chosen_isa()).fn;
}

PairKernel active_pair_kernel() {
    return active_pair_loops().kernel;
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
// A step needs the forces and the potential of the same positions, so the force loop also sums
// the potential terms (in the potential loop's pair order) and one sweep serves both.
// Two atoms at the same place would give inf - inf; such a pair contributes nothing.
//
// The loops are written once and built twice: for the x86-64 base and for AVX.
#define LUMETRA_LOOP_INLINE __attribute__((always_inline)) inline

namespace {

LUMETRA_LOOP_INLINE double forces_loop(mdsimstate& s) {
    const int32_t n = s.atom_count;
    Vec4* force = s.forces.data();
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
            double f = (2.0 * S * S * s6 * s6 - s6 * S) * (24.0 * E * q2);
            double term = (s6 * s6 * S * S - s6 * S) * 4.0 * E * (1.0 - std::trunc(r / 0.8660254));
            if (r2 == 0.0) f = term = 0.0;
            force[i].x += f * dx;
            force[i].y += f * dy;
            force[i].z += f * dz;
            force[j].x -= f * dx;
            force[j].y -= f * dy;
            force[j].z -= f * dz;
            sum += term;
        }
    }
    return sum;
}

LUMETRA_LOOP_INLINE double potential_loop(const mdsimstate& s) {
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

}  // namespace

double pair_forces_plain(mdsimstate& s) {
    return forces_loop(s);
}
double pair_potential_plain(const mdsimstate& s) {
    return potential_loop(s);
}

__attribute__((target("avx"))) double pair_forces_plain_avx(mdsimstate& s) {
    return forces_loop(s);
}
__attribute__((target("avx"))) double pair_potential_plain_avx(const mdsimstate& s) {
    return potential_loop(s);
}

}  // namespace md
