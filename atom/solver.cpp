#include "atom/solver.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "atom/integrate.h"

namespace atom {
namespace {

std::atomic<int> g_bisection_cap{kMaxBisectionSteps};

}  // namespace

void set_bisection_cap_for_testing(int steps) {
    g_bisection_cap.store(steps > 0 ? steps : kMaxBisectionSteps);
}

void SolverWorkspace::resize(int points) {
    const auto n = static_cast<std::size_t>(points);
    for (AlignedVector* v : {&y, &psi, &g, &f, &rho, &integral}) v->assign(n, 0.0);
    grid_ = nullptr;
}

void SolverWorkspace::prepare(const radgrid& r) {
    const int N = r.points;
    const double* x = r.data();
    if (grid_ == x && header_.points == N && header_.rinit == r.rinit &&
        header_.rfinal == r.rfinal && header_.dlog == r.dlog && N > 0 &&
        header_.values[0] == x[0] && header_.values[1] == x[N / 2] && header_.values[2] == x[N - 1])
        return;
    root_r.resize(static_cast<std::size_t>(N));
    two_r2.resize(static_cast<std::size_t>(N));
    for (int i = 0; i < N; ++i) {
        root_r[i] = std::sqrt(x[i]);
        two_r2[i] = 2.0 * x[i] * x[i];
    }
    grid_ = x;
    header_.points = N;
    header_.rinit = r.rinit;
    header_.rfinal = r.rfinal;
    header_.dlog = r.dlog;
    header_.values.assign({N > 0 ? x[0] : 0.0, N > 0 ? x[N / 2] : 0.0, N > 0 ? x[N - 1] : 0.0});
}

RadialOutcome radial_solve(double Z, int n, int l, double E, const radgrid& r, const radgrid& V,
                           SolverWorkspace& ws) {
    const int N = r.points;
    const double* x = r.data();
    const double* v = V.data();
    double* y = ws.y.data();
    double* psi = ws.psi.data();
    double* g = ws.g.data();
    double* f = ws.f.data();
    std::fill(ws.y.begin(), ws.y.end(), 0.0);
    std::fill(ws.psi.begin(), ws.psi.end(), 0.0);
    ws.prepare(r);
    const double* root = ws.root_r.data();
    const double* two_x2 = ws.two_r2.data();

    const double h = r.dlog;
    const double h2 = h * h;
    const double h12 = h2 / 12.0;
    const double lambda = (l + 0.5) * (l + 0.5);
    // g_i = 2 r_i^2 (E - V_i) - lambda and f_i = 1 + h^2/12 g_i, formed as the sweep reaches
    // point i (a sweep that ends early never needs the rest).
    auto factors = [&](int i) {
        g[i] = two_x2[i] * (E - v[i]) - lambda;
        f[i] = 1.0 + h12 * g[i];
    };
    factors(0);
    factors(1);
    y[0] = f[0] / f[0];
    y[1] = std::pow(x[1] / x[0], l + 0.5) - (x[1] - x[0]) * Z / (l + 1);
    psi[0] = root[0] * y[0];
    psi[1] = root[1] * y[1];

    RadialOutcome out;
    int t = 0;
    for (int i = N - 1; i >= 2; --i) {
        if (E > v[i]) {
            t = i;
            break;
        }
    }
    if (t == 0) {
        out.outcome = 1;
        return out;
    }
    const int node_limit = n - l - 1;
    const double c10 = 10.0 / 12.0 * h2;

    // One step: psi, the rescale against overflow, the node test. False when too many nodes.
    auto finish_step = [&](int i) {
        psi[i] = root[i] * y[i];
        if (y[i] * y[i] > 1e20) {
            const double yi = y[i];
            for (int k = 0; k <= i; ++k) psi[k] /= yi;
            y[i - 2] /= yi;
            y[i - 1] /= yi;
            y[i] = yi / yi;
        }
        if (y[i - 1] * y[i] < 0.0) {
            ++out.nodes;
            if (out.nodes > node_limit) {
                out.outcome = -1;
                return false;
            }
        }
        return true;
    };

    // A turning point in the last two points: the outward steps stop at the grid's end.
    const int outward_end = std::min(t + 2, N - 1);
    for (int i = 2; i <= outward_end; ++i) {
        factors(i);
        y[i] = ((2.0 - c10 * g[i - 1]) * y[i - 1] - f[i - 2] * y[i - 2]) / f[i];
        if (!finish_step(i)) return out;
    }
    for (int i = t + 3; i < N; ++i) {
        factors(i);
        const double S = (2.0 - c10 * g[i - 1]) * y[i - 1] - f[i - 2] * y[i - 2];
        if (S / y[i - 1] > 1.0) {
            out.outcome = 1;
            return out;
        }
        y[i] = S / f[i];
        if (!finish_step(i)) return out;
    }
    out.outcome = 0;
    return out;
}

double eigen_solve_orbital(double Z, int n, int l, const radgrid& r, const radgrid& dr,
                           const radgrid& V, radgrid& u, SolverWorkspace& ws,
                           const app::Event* stop, SolveStatus* status) {
    double lo = -Z * Z / static_cast<double>(n * n);
    double hi = 0.0;
    double E = 0.0;
    const int node_limit = n - l - 1;
    const int cap = g_bisection_cap.load(std::memory_order_relaxed);
    int steps = 0;
    do {
        if (stop && stop->is_set()) {
            if (status) *status = SolveStatus::Stopped;
            return E;
        }
        if (steps++ == cap) {
            if (status) *status = SolveStatus::NotConverged;
            return E;
        }
        E = (lo + hi) * 0.5;
        const RadialOutcome o = radial_solve(Z, n, l, E, r, V, ws);
        if (o.nodes < node_limit) {
            lo = E;
        } else if (o.outcome == 1) {
            lo = E;
        } else if (o.outcome == -1) {
            hi = E;
        } else {
            // Undecided: the sweep reached the grid's end with the right node count and no
            // growth. Neither bound would move, so this trial energy is the eigenvalue.
            break;
        }
    } while (hi - lo > kBisectionWidth);

    const int N = r.points;
    const double* psi = ws.psi.data();
    double* rho = ws.rho.data();
    for (int i = 0; i < N; ++i) rho[i] = psi[i] * psi[i];
    const double norm = whole_grid_integral(dr, rho, ws.integral.data());
    const double scale = std::sqrt(norm);
    double* out = u.data();
    for (int i = 0; i < N; ++i) out[i] = psi[i] / scale;
    if (status) *status = SolveStatus::Solved;
    return E;
}

SolveStatus eigen_solve(double Z, const potential& vtot, const radgrid& r, const radgrid& dr,
                        wavefunct& wf, double* eigenvalues, SolverWorkspace& ws,
                        const app::Event* stop, int* failed_orbital) {
    for (int k = 0; k < wf.K; ++k) {
        SolveStatus status = SolveStatus::Solved;
        eigenvalues[k] =
            eigen_solve_orbital(Z, wf.n[k], wf.l[k], r, dr, vtot.v[k], wf.u[k], ws, stop, &status);
        if (status != SolveStatus::Solved) {
            if (failed_orbital) *failed_orbital = k;
            return status;
        }
    }
    return SolveStatus::Solved;
}

void energies(int j, const potential& vnuc, const potential& vtot, const radgrid& dr,
              const wavefunct& wf, scf& s, SolverWorkspace& ws) {
    const int K = wf.K;
    const int N = dr.points;
    double* integrand = ws.rho.data();
    double T = 0.0;
    double nuclear = 0.0;
    for (int k = 0; k < K; ++k) {
        const std::size_t at = static_cast<std::size_t>(j) * K + k;
        const double eps = s.eigenvalue[at];
        const double occ = wf.occ[k];
        const double* u = wf.u[k].data();
        const double* vt = vtot.v[k].data();
        const double* vn = vnuc.v[k].data();
        for (int i = 0; i < N; ++i) integrand[i] = (eps - vt[i]) * u[i] * u[i];
        const double Tk = whole_grid_integral(dr, integrand, ws.integral.data());
        s.orbital_kinetic[at] = Tk;
        T += occ * Tk;
        for (int i = 0; i < N; ++i) integrand[i] = vn[i] * u[i] * u[i];
        const double ek = whole_grid_integral(dr, integrand, ws.integral.data());
        nuclear += occ * ek;
        s.orbital_potential[at] = eps - Tk;
    }
    s.kinetic[j] = T;
    s.nuclear[j] = nuclear;
}

}  // namespace atom
