// An independent, straightforward program of the Orbitra calculation, kept beside the benchmark
// as the peer its time is measured against: the same deck, logarithmic grid, Numerov bisection,
// Hartree and exchange multipole potentials (exchange on a second thread, as the benchmark
// does), linear mixing and convergence test, written plainly: every multipole call forms its
// powers and both full cumulative integrals, every whole-grid integral sweeps the whole grid.
// It prints the time from set-up to the end and the energies of the last iteration, which must
// equal the benchmark's own.
//
// Usage: atom_peer [DECK.in]   (default "Input Files/Ag.in")
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using Vec = std::vector<double>;

int N;
double Z, rinit, rfinal, dlog;
Vec r, dr;
int K;
std::vector<int> qn, ql, qm, qs, qocc;
std::vector<Vec> u, vtot, wx, vnuc, vh, vx;
int loops;
double tolerance, alpha;

// Clebsch-Gordan table [l1][l2][L][m1+3][m2+3].
constexpr int kL = 7, kBigL = 13, kM = 7;
std::size_t cg_at(int l1, int l2, int L, int m1, int m2) {
    return (((static_cast<std::size_t>(l1) * kL + l2) * kBigL + L) * kM + (m1 + 3)) * kM + (m2 + 3);
}

void fill_cg(Vec& cg) {
    std::fill(cg.begin(), cg.end(), 0.0);
    int lmax = 0;
    for (int k = 0; k < K; ++k) lmax = std::max(lmax, ql[k]);
    double fact[33], sign[33];
    fact[0] = 1.0;
    sign[0] = 1.0;
    for (int k = 1; k <= 32; ++k) {
        fact[k] = fact[k - 1] * k;
        sign[k] = -sign[k - 1];
    }
    for (int j1 = 0; j1 <= lmax; ++j1)
        for (int j2 = 0; j2 <= lmax; ++j2)
            for (int J = std::abs(j1 - j2); J <= j1 + j2; ++J)
                for (int m1 = -j1; m1 <= j1; ++m1)
                    for (int m2 = -j2; m2 <= j2; ++m2) {
                        const int M = m1 + m2;
                        if (std::abs(M) > J) continue;
                        const double ratio = (2.0 * J + 1.0) * fact[j1 + j2 - J] * fact[j1 - m1] *
                                             fact[j2 - m2] * fact[J + M] * fact[J - M] /
                                             (fact[j1 + j2 + J + 1] * fact[J + j1 - j2] *
                                              fact[J + j2 - j1] * fact[j1 + m1] * fact[j2 + m2]);
                        double sum = 0.0;
                        for (int k = std::max(0, J - j2 - m1); k <= std::min(J - M, j1 - m1); ++k)
                            sum += sign[k + j1 - m1] * fact[j1 + m1 + k] * fact[j2 + J - m1 - k] /
                                   (fact[k] * fact[J - M - k] * fact[j1 - m1 - k] *
                                    fact[j2 - J + m1 + k]);
                        cg[cg_at(j1, j2, J, m1, m2)] = std::sqrt(ratio) * sum;
                    }
}

void cumulative(const Vec& y, Vec& out, int dir) {
    auto f = [&](int i) { return y[i] * dr[i]; };
    const int s = dir > 0 ? 0 : N - 1;
    out[s] = 0.0;
    out[s + dir] = (f(s) + f(s + dir)) / 2.0;
    out[s + 2 * dir] = (f(s) + 4.0 * f(s + dir) + f(s + 2 * dir)) / 3.0;
    out[s + 3 * dir] =
        3.0 / 8.0 * (f(s) + 3.0 * f(s + dir) + 3.0 * f(s + 2 * dir) + f(s + 3 * dir));
    for (int k = 4; k < N; ++k) {
        const int p = s + k * dir;
        out[p] = out[p - 4 * dir] + (14.0 * f(p - 4 * dir) + 64.0 * f(p - 3 * dir) +
                                     24.0 * f(p - 2 * dir) + 64.0 * f(p - dir) + 14.0 * f(p)) /
                                        45.0;
    }
}

double whole(const Vec& y) {
    Vec out(N);
    cumulative(y, out, 1);
    return out[N - 1];
}

void multipole(const Vec& a, const Vec& b, int L, Vec& Y) {
    Vec A(N), B(N), fa(N), fb(N), P(N), Q(N);
    for (int i = 0; i < N; ++i) {
        A[i] = std::pow(r[i], static_cast<double>(L));
        B[i] = std::pow(r[i], static_cast<double>(L + 1));
        if (B[i] > 0.0) B[i] = 1.0 / B[i];
        fa[i] = A[i] * a[i] * b[i];
        fb[i] = B[i] * a[i] * b[i];
    }
    cumulative(fa, P, 1);
    cumulative(fb, Q, -1);
    for (int i = 0; i < N; ++i) Y[i] = A[i] * Q[i] + B[i] * P[i];
}

void shell_average(std::vector<Vec>& set) {
    for (int a = 0; a < K;) {
        int b = a, total = 0;
        while (b < K && qn[b] == qn[a] && ql[b] == ql[a]) total += qocc[b++];
        Vec avg(N, 0.0);
        for (int j = a; j < b; ++j)
            for (int i = 0; i < N; ++i) avg[i] += qocc[j] * set[j][i];
        for (int i = 0; i < N; ++i) avg[i] /= total;
        for (int j = a; j < b; ++j) set[j] = avg;
        a = b;
    }
}

double hartree(std::vector<Vec>& H) {
    Vec cg(static_cast<std::size_t>(kL) * kL * kBigL * kM * kM);
    fill_cg(cg);
    for (Vec& h : H) std::fill(h.begin(), h.end(), 0.0);
    double E = 0.0;
    Vec Y1(N), Y2(N), in(N);
    for (int k1 = 0; k1 < K; ++k1)
        for (int k2 = k1; k2 < K; ++k2) {
            const int l1 = ql[k1], l2 = ql[k2], m1 = qm[k1], m2 = qm[k2];
            const double sigma = std::pow(-1.0, m1 + m2);
            for (int L = 2 * std::min(l1, l2); L >= 0; L -= 2) {
                double g = static_cast<double>((2 * l1 + 1) * (2 * l2 + 1)) /
                           static_cast<double>((2 * L + 1) * (2 * L + 1)) * sigma *
                           cg[cg_at(l1, l1, L, 0, 0)] * cg[cg_at(l1, l1, L, m1, -m1)] *
                           cg[cg_at(l2, l2, L, 0, 0)] * cg[cg_at(l2, l2, L, m2, -m2)];
                if (k1 == k2) g /= 2.0;
                multipole(u[k1], u[k1], L, Y1);
                multipole(u[k2], u[k2], L, Y2);
                for (int i = 0; i < N; ++i) {
                    H[k1][i] += qocc[k2] * g * Y2[i];
                    H[k2][i] += qocc[k1] * g * Y1[i];
                }
                const double e = 0.5 * qocc[k1] * qocc[k2] * g;
                for (int i = 0; i < N; ++i) in[i] = e * Y2[i] * u[k1][i] * u[k1][i];
                E += whole(in);
                for (int i = 0; i < N; ++i) in[i] = e * Y1[i] * u[k2][i] * u[k2][i];
                E += whole(in);
            }
        }
    shell_average(H);
    return E;
}

void radlocpot(Vec& W, const Vec& Y, const Vec& ua, const Vec& ub, double g) {
    int p = 1;
    while (p + 1 < N - 1 && ua[p + 1] / ua[p] < 1.0) ++p;
    if (p + 1 >= N - 1) {
        std::printf("Error in MakeRadLocPot - pt past grid size\n\t--- Program Killed\n");
        std::exit(0);
    }
    for (int i = 0; i <= p; ++i)
        if (ub[i] * ua[i] != 0.0) W[i] -= Y[i] * g * ub[i] / ua[i];
    for (int i = p + 1; i < N; ++i)
        if (ub[i] * ua[i] != 0.0) {
            double rho = ub[i] / ua[i];
            if (rho * rho > 1e6) rho = 1e6 / rho;
            W[i] -= Y[i] * g * rho;
        }
}

double exchange() {
    Vec cg(static_cast<std::size_t>(kL) * kL * kBigL * kM * kM);
    fill_cg(cg);
    for (Vec& w : wx) std::fill(w.begin(), w.end(), 0.0);
    double E = 0.0;
    Vec Y(N), in(N);
    for (int k1 = 0; k1 < K; ++k1)
        for (int k2 = k1; k2 < K; ++k2) {
            if (qs[k2] != qs[k1]) continue;
            const int l1 = ql[k1], l2 = ql[k2], m1 = qm[k1], m2 = qm[k2];
            for (int L = l1 + l2; L >= 0; L -= 2) {
                const double c0 = cg[cg_at(l1, l2, L, 0, 0)];
                const double cm = cg[cg_at(l1, l2, L, -m1, m2)];
                double g = static_cast<double>((2 * l1 + 1) * (2 * l2 + 1)) /
                           static_cast<double>((2 * L + 1) * (2 * L + 1)) * (c0 * c0) * (cm * cm);
                if (k1 == k2) g /= 2.0;
                multipole(u[k1], u[k2], L, Y);
                radlocpot(wx[k1], Y, u[k1], u[k2], qocc[k2] * g);
                radlocpot(wx[k2], Y, u[k2], u[k1], qocc[k1] * g);
                const double e = qocc[k1] * qocc[k2] * g;
                for (int i = 0; i < N; ++i) in[i] = e * Y[i] * u[k1][i] * u[k2][i];
                E -= whole(in);
            }
        }
    shell_average(wx);
    return E;
}

struct Outcome {
    int outcome = 0, nodes = 0;
};

Outcome radial(int n, int l, double E, const Vec& V, Vec& psi) {
    Vec y(N, 0.0), g(N), f(N);
    std::fill(psi.begin(), psi.end(), 0.0);
    const double h2 = dlog * dlog;
    const double lam = (l + 0.5) * (l + 0.5);
    for (int i = 0; i < N; ++i) {
        g[i] = 2.0 * r[i] * r[i] * (E - V[i]) - lam;
        f[i] = 1.0 + h2 / 12.0 * g[i];
    }
    y[0] = f[0] / f[0];
    y[1] = std::pow(r[1] / r[0], l + 0.5) - (r[1] - r[0]) * Z / (l + 1);
    psi[0] = std::sqrt(r[0]) * y[0];
    psi[1] = std::sqrt(r[1]) * y[1];
    Outcome o;
    int t = 0;
    for (int i = N - 1; i >= 2; --i)
        if (E > V[i]) {
            t = i;
            break;
        }
    if (t == 0) {
        o.outcome = 1;
        return o;
    }
    const int limit = n - l - 1;
    auto step = [&](int i) {
        psi[i] = std::sqrt(r[i]) * y[i];
        if (y[i] * y[i] > 1e20) {
            const double yi = y[i];
            for (int k = 0; k <= i; ++k) psi[k] /= yi;
            y[i - 2] /= yi;
            y[i - 1] /= yi;
            y[i] = yi / yi;
        }
        if (y[i - 1] * y[i] < 0.0 && ++o.nodes > limit) {
            o.outcome = -1;
            return false;
        }
        return true;
    };
    for (int i = 2; i <= std::min(t + 2, N - 1); ++i) {
        y[i] = ((2.0 - 10.0 / 12.0 * h2 * g[i - 1]) * y[i - 1] - f[i - 2] * y[i - 2]) / f[i];
        if (!step(i)) return o;
    }
    for (int i = t + 3; i < N; ++i) {
        const double S = (2.0 - 10.0 / 12.0 * h2 * g[i - 1]) * y[i - 1] - f[i - 2] * y[i - 2];
        if (S / y[i - 1] > 1.0) {
            o.outcome = 1;
            return o;
        }
        y[i] = S / f[i];
        if (!step(i)) return o;
    }
    o.outcome = 0;
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    const auto start = std::chrono::steady_clock::now();
    const char* path = argc > 1 ? argv[1] : "Input Files/Ag.in";
    FILE* in = std::fopen(path, "r");
    if (!in) {
        std::fprintf(stderr, "atom_peer: cannot open %s\n", path);
        return 1;
    }
    char label[64], type[64];
    bool ok = std::fscanf(in, "%63s %lf", label, &Z) == 2 &&
              std::fscanf(in, "%63s %d", label, &N) == 2 &&
              std::fscanf(in, "%63s %lf", label, &rinit) == 2 &&
              std::fscanf(in, "%63s %lf", label, &rfinal) == 2 &&
              std::fscanf(in, "%63s %d", label, &K) == 2 && N >= 5 && K > 0;
    if (ok) {
        qn.resize(K), ql.resize(K), qm.resize(K), qs.resize(K), qocc.resize(K);
        for (int k = 0; ok && k < K; ++k)
            ok = std::fscanf(in, "%63s %d %63s %d %63s %d %63s %d %63s %d", label, &qn[k], label,
                             &ql[k], label, &qm[k], label, &qs[k], label, &qocc[k]) == 10;
        ok = ok && std::fscanf(in, "%63s %d", label, &loops) == 2 &&
             std::fscanf(in, "%63s %lf", label, &tolerance) == 2 &&
             std::fscanf(in, "%63s %lf", label, &alpha) == 2 &&
             std::fscanf(in, "%63s %63s", label, type) == 2;
    }
    std::fclose(in);
    if (!ok) {
        std::fprintf(stderr, "atom_peer: cannot read %s\n", path);
        return 1;
    }
    rinit = rinit / Z;
    rfinal = rfinal / std::sqrt(Z);
    dlog = std::log(rfinal / rinit) / N;
    r.resize(N);
    dr.resize(N);
    const double q = std::exp(std::log(rfinal / rinit) / N);
    double x = rinit;
    for (int i = 0; i < N; ++i) {
        x *= q;
        r[i] = x;
        dr[i] = r[i] * (1.0 - 1.0 / q);
    }
    if (FILE* g = std::fopen("radgridpositions", "w")) {
        for (int i = 0; i < N; ++i) std::fprintf(g, "%f10    %f10 \n", r[i], dr[i]);
        std::fclose(g);
    }
    for (auto* set : {&u, &vtot, &wx, &vnuc, &vh, &vx}) set->assign(K, Vec(N, 0.0));
    for (int k = 0; k < K; ++k)
        for (int i = 0; i < N; ++i) vnuc[k][i] = -Z / r[i];
    vtot = vnuc;

    Vec kinetic(loops), nuclear(loops), hartree_e(loops), exchange_e(loops), total(loops);
    Vec psi(N), rho(N), eig(K);
    int count = 50;
    for (int j = 0; j < 50 && j < loops; ++j) {
        for (int k = 0; k < K; ++k) {
            double lo = -Z * Z / (qn[k] * qn[k]), hi = 0.0, E = 0.0;
            do {
                E = (lo + hi) * 0.5;
                const Outcome o = radial(qn[k], ql[k], E, vtot[k], psi);
                if (o.nodes < qn[k] - ql[k] - 1 || o.outcome == 1)
                    lo = E;
                else if (o.outcome == -1)
                    hi = E;
                else
                    break;
            } while (hi - lo > 1e-10);
            eig[k] = E;
            for (int i = 0; i < N; ++i) rho[i] = psi[i] * psi[i];
            const double norm = std::sqrt(whole(rho));
            for (int i = 0; i < N; ++i) u[k][i] = psi[i] / norm;
        }
        double T = 0.0, en = 0.0;
        for (int k = 0; k < K; ++k) {
            for (int i = 0; i < N; ++i) rho[i] = (eig[k] - vtot[k][i]) * u[k][i] * u[k][i];
            T += qocc[k] * whole(rho);
            for (int i = 0; i < N; ++i) rho[i] = vnuc[k][i] * u[k][i] * u[k][i];
            en += qocc[k] * whole(rho);
        }
        kinetic[j] = T;
        nuclear[j] = en;
        std::thread ex([j, &exchange_e] {
            exchange_e[j] = exchange();
            for (int k = 0; k < K; ++k)
                for (int i = 0; i < N; ++i) vx[k][i] = alpha * wx[k][i] + (1.0 - alpha) * vx[k][i];
        });
        hartree_e[j] = hartree(vtot);
        for (int k = 0; k < K; ++k)
            for (int i = 0; i < N; ++i) vh[k][i] = (1.0 - alpha) * vh[k][i] + alpha * vtot[k][i];
        ex.join();
        for (int k = 0; k < K; ++k)
            for (int i = 0; i < N; ++i) vtot[k][i] = vnuc[k][i] + vh[k][i] + vx[k][i];
        total[j] = nuclear[j] + kinetic[j] + hartree_e[j] + exchange_e[j];
        const double d = j >= 1 ? kinetic[j] - kinetic[j - 1] : 0.0;
        if (j >= 1 && d * d < tolerance * tolerance) {
            count = j;
            break;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const int last = count < 50 ? count : 49;
    std::printf("iterations %d\n", count);
    std::printf("kinetic_energy %.17g\nnuclear_energy %.17g\nhartree_energy %.17g\n", kinetic[last],
                nuclear[last], hartree_e[last]);
    std::printf("exchange_energy %.17g\ntotal_energy %.17g\n", exchange_e[last], total[last]);
    std::printf("eigenvalue_0 %.17g\n", eig[0]);
    std::printf("time_s %.5f\n", seconds);
    return 0;
}
