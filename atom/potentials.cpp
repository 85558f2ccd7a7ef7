#include "atom/potentials.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "atom/clebsch.h"

namespace atom {
namespace {

std::atomic<bool> g_force_radlocpot_failure{false};

void zero(potential& set) {
    for (radgrid& g : set.v) std::fill(g.values.begin(), g.values.end(), 0.0);
}

// Y_L(a, b) into `out`, with the grid's powers when the order has them.
void multipole(InteractionWorkspace& ws, const radgrid& r, const radgrid& dr, const double* a,
               const double* b, int L, double* out, const MultipoleScratch& scratch) {
    if (L < GridPowers::kMaxOrder)
        multipole_function(dr, ws.powers.A(L), ws.powers.B(L), a, b, out, scratch);
    else
        multipole_function(r, dr, a, b, L, out, scratch);
}

}  // namespace

void InteractionWorkspace::resize(int points) {
    const auto n = static_cast<std::size_t>(points);
    cg.assign(kCgEntries, 0.0);
    for (AlignedVector* v : {&A, &B, &forward_integrand, &backward_integrand, &P, &Q, &Y1, &accum})
        v->assign(n, 0.0);
}

void set_radlocpot_failure_for_testing(bool fail) {
    g_force_radlocpot_failure.store(fail);
}

bool hartree_evaluation(const radgrid& r, const radgrid& dr, const wavefunct& wf, potential& target,
                        double* energy, InteractionWorkspace& ws, EvaluationProgress& progress) {
    const int K = wf.K;
    const int N = r.points;
    double E = 0.0;
    double* cg = ws.cg.data();
    fill_clebsch_gordan(cg, K, wf.l.data());
    zero(target);
    progress.hartree_in_progress.store(1, std::memory_order_relaxed);
    progress.low.store(0, std::memory_order_relaxed);
    progress.high.store(K, std::memory_order_relaxed);
    const MultipoleScratch scratch = ws.multipole();
    ws.powers.prepare(r);
    int lmax = 0;
    for (int k = 0; k < K; ++k) lmax = std::max(lmax, wf.l[k]);
    const auto slots = static_cast<std::size_t>(K) * static_cast<std::size_t>(lmax + 1);
    if (ws.self_y.size() != slots * static_cast<std::size_t>(N))
        ws.self_y.assign(slots * static_cast<std::size_t>(N), 0.0);
    ws.self_ready.assign(slots, 0);
    auto self_multipole = [&](int k, int L) -> const double* {
        const std::size_t slot = static_cast<std::size_t>(k) * (lmax + 1) + L / 2;
        double* y = ws.self_y.data() + slot * static_cast<std::size_t>(N);
        if (!ws.self_ready[slot]) {
            const double* u = wf.u[k].data();
            multipole(ws, r, dr, u, u, L, y, scratch);
            ws.self_ready[slot] = 1;
        }
        return y;
    };
    for (int k1 = 0; k1 < K; ++k1) {
        progress.position.store(k1, std::memory_order_relaxed);
        const int l1 = wf.l[k1], m1 = wf.m[k1];
        const double occ1 = wf.occ[k1];
        const double* u1 = wf.u[k1].data();
        double* H1 = target.v[k1].data();
        for (int k2 = k1; k2 < K; ++k2) {
            if (progress.stop_requested()) {
                progress.hartree_in_progress.store(0, std::memory_order_relaxed);
                return false;
            }
            const int l2 = wf.l[k2], m2 = wf.m[k2];
            const double occ2 = wf.occ[k2];
            const double* u2 = wf.u[k2].data();
            double* H2 = target.v[k2].data();
            const int Lmax = 2 * std::min(l1, l2);
            const double sigma = std::pow(-1.0, static_cast<double>(m1 + m2));
            for (int L = Lmax; L >= 0; L -= 2) {
                double gamma = static_cast<double>((2 * l1 + 1) * (2 * l2 + 1)) /
                               static_cast<double>((2 * L + 1) * (2 * L + 1)) * sigma *
                               cg[cg_index(l1, l1, L, 0, 0)] * cg[cg_index(l1, l1, L, m1, -m1)] *
                               cg[cg_index(l2, l2, L, 0, 0)] * cg[cg_index(l2, l2, L, m2, -m2)];
                if (k1 == k2) gamma /= 2.0;
                const double* Y1 = self_multipole(k1, L);
                const double* Y2 = self_multipole(k2, L);
                const double c2 = occ2 * gamma;
                const double c1 = occ1 * gamma;
                for (int i = 0; i < N; ++i) {
                    H1[i] += c2 * Y2[i];
                    H2[i] += c1 * Y1[i];
                }
                const double e = 0.5 * occ1 * occ2 * gamma;
                E += whole_grid_integral_of(dr, e, Y2, u1, u1);
                E += whole_grid_integral_of(dr, e, Y1, u2, u2);
            }
        }
    }
    progress.hartree_in_progress.store(0, std::memory_order_relaxed);
    *energy = E;
    shell_average(target, wf, ws.accum.data());
    return true;
}

bool exchange_evaluation(const radgrid& r, const radgrid& dr, const wavefunct& wf, potential& wx,
                         double* energy, InteractionWorkspace& ws, EvaluationProgress& progress) {
    const int K = wf.K;
    double E = 0.0;
    double* cg = ws.cg.data();
    fill_clebsch_gordan(cg, K, wf.l.data());
    zero(wx);
    progress.exchange_in_progress.store(1, std::memory_order_relaxed);
    progress.low.store(0, std::memory_order_relaxed);
    progress.high.store(K, std::memory_order_relaxed);
    const MultipoleScratch scratch = ws.multipole();
    ws.powers.prepare(r);
    double* Y = ws.Y1.data();
    for (int k1 = 0; k1 < K; ++k1) {
        progress.position.store(k1, std::memory_order_relaxed);
        const int l1 = wf.l[k1], m1 = wf.m[k1];
        const double occ1 = wf.occ[k1];
        const double* u1 = wf.u[k1].data();
        for (int k2 = k1; k2 < K; ++k2) {
            if (progress.stop_requested()) {
                progress.exchange_in_progress.store(0, std::memory_order_relaxed);
                return false;
            }
            if (wf.s[k2] != wf.s[k1]) continue;
            const int l2 = wf.l[k2], m2 = wf.m[k2];
            const double occ2 = wf.occ[k2];
            const double* u2 = wf.u[k2].data();
            for (int L = l1 + l2; L >= 0; L -= 2) {
                const double c0 = cg[cg_index(l1, l2, L, 0, 0)];
                const double cm = cg[cg_index(l1, l2, L, -m1, m2)];
                double gamma = static_cast<double>((2 * l1 + 1) * (2 * l2 + 1)) /
                               static_cast<double>((2 * L + 1) * (2 * L + 1)) * (c0 * c0) *
                               (cm * cm);
                if (k1 == k2) gamma /= 2.0;
                multipole(ws, r, dr, u1, u2, L, Y, scratch);
                if (!MakeRadLocPot(wx.v[k1], Y, u1, u2, occ2 * gamma) ||
                    !MakeRadLocPot(wx.v[k2], Y, u2, u1, occ1 * gamma)) {
                    progress.exchange_in_progress.store(0, std::memory_order_relaxed);
                    return false;
                }
                const double e = occ1 * occ2 * gamma;
                E -= whole_grid_integral_of(dr, e, Y, u1, u2);
            }
        }
    }
    progress.exchange_in_progress.store(0, std::memory_order_relaxed);
    *energy = E;
    shell_average(wx, wf, ws.accum.data());
    return true;
}

bool MakeRadLocPot(radgrid& W, const double* Y, const double* ua, const double* ub, double gamma) {
    const int N = W.points;
    double* w = W.data();
    int p = 1;
    while (p + 1 < N - 1 && ua[p + 1] / ua[p] < 1.0) ++p;
    if (p + 1 >= N - 1 || g_force_radlocpot_failure.load(std::memory_order_relaxed)) {
        std::fputs("Error in MakeRadLocPot - pt past grid size\n", stdout);
        std::fputs("\t--- Program Killed\n", stdout);
        std::fflush(stdout);
        return false;
    }
    for (int i = 0; i <= p; ++i)
        if (ub[i] * ua[i] != 0.0) w[i] -= Y[i] * gamma * ub[i] / ua[i];
    for (int i = p + 1; i < N; ++i) {
        if (ub[i] * ua[i] != 0.0) {
            double rho = ub[i] / ua[i];
            if (rho * rho > 1e6) rho = 1e6 / rho;
            w[i] -= Y[i] * gamma * rho;
        }
    }
    return true;
}

void shell_average(potential& set, const wavefunct& wf, double* accum) {
    const int K = wf.K;
    for (int a = 0; a < K;) {
        int b = a;
        int total = 0;
        while (b < K && wf.n[b] == wf.n[a] && wf.l[b] == wf.l[a]) total += wf.occ[b++];
        const int N = set.v[a].points;
        const double occ_sum = static_cast<double>(total);
        std::fill(accum, accum + N, 0.0);
        for (int j = a; j < b; ++j) {
            const double occ = wf.occ[j];
            const double* v = set.v[j].data();
            for (int i = 0; i < N; ++i) accum[i] += occ * v[i];
        }
        for (int i = 0; i < N; ++i) accum[i] /= occ_sum;
        for (int j = a; j < b; ++j) std::copy(accum, accum + N, set.v[j].values.begin());
        a = b;
    }
}

}  // namespace atom
