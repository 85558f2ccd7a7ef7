// The cumulative integral's rules against integrals known exactly, and the multipole function
// against the analytic potentials of hydrogenic densities.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "atom/integrate.h"
#include "atom/solver.h"

namespace {

atom::radgrid uniform(int n, double h) {
    atom::radgrid g;
    g.points = n;
    g.values.assign(static_cast<std::size_t>(n), h);
    return g;
}

// The program's logarithmic grid (r_i = r_init q^(i+1)) with its spacing grid.
void log_grid(int n, double rinit, double rfinal, atom::radgrid& r, atom::radgrid& dr) {
    r.points = dr.points = n;
    r.rinit = dr.rinit = rinit;
    r.rfinal = dr.rfinal = rfinal;
    r.dlog = dr.dlog = std::log(rfinal / rinit) / n;
    r.values.assign(static_cast<std::size_t>(n), 0.0);
    dr.values.assign(static_cast<std::size_t>(n), 0.0);
    const double q = std::exp(std::log(rfinal / rinit) / n);
    double x = rinit;
    for (int i = 0; i < n; ++i) {
        x *= q;
        r.values[i] = x;
        dr.values[i] = x * (1.0 - 1.0 / q);
    }
}

TEST(CumulativeIntegral, EveryRuleIsExactForLinesAndTheSeededChainsForCubics) {
    const int n = 23;
    const double h = 0.25;
    const atom::radgrid dr = uniform(n, h);
    std::vector<double> line(n), cubic(n), out(n);
    for (int i = 0; i < n; ++i) {
        const double x = i * h;
        line[i] = 3.0 * x + 1.0;
        cubic[i] = x * x * x - 2.0 * x;
    }
    atom::cumulative_integral(dr, line.data(), out.data(), 1);
    for (int i = 0; i < n; ++i) {
        const double x = i * h;
        EXPECT_NEAR(out[i], 1.5 * x * x + x, 1e-12) << i;
    }
    atom::cumulative_integral(dr, cubic.data(), out.data(), 1);
    // Simpson, three-eighths and Boole are exact for cubics; the chain seeded by the
    // trapezoid step (indices 1, 5, 9, ...) carries that step's error.
    for (int i = 0; i < n; ++i) {
        const double x = i * h;
        if (i % 4 == 1) continue;
        EXPECT_NEAR(out[i], x * x * x * x / 4.0 - x * x, 1e-12) << i;
    }
    // Backwards: the integral from each point to the end.
    atom::cumulative_integral(dr, line.data(), out.data(), -1);
    const double X = (n - 1) * h;
    for (int i = 0; i < n; i += 4) {
        const double x = i * h;
        EXPECT_NEAR(out[n - 1 - i], (1.5 * X * X + X) - (1.5 * (X - x) * (X - x) + (X - x)), 1e-12)
            << i;
    }
    EXPECT_EQ(out[n - 1], 0.0);
}

// Normalises u on the grid, the way the eigen-solve does.
void normalise(const atom::radgrid& dr, std::vector<double>& u) {
    std::vector<double> rho(u.size()), scratch(u.size());
    for (std::size_t i = 0; i < u.size(); ++i) rho[i] = u[i] * u[i];
    const double norm = std::sqrt(atom::whole_grid_integral(dr, rho.data(), scratch.data()));
    for (double& x : u) x /= norm;
}

struct Scratch {
    explicit Scratch(int n) : a(n), b(n), c(n), d(n), e(n), f(n) {}
    atom::MultipoleScratch view() {
        return {a.data(), b.data(), c.data(), d.data(), e.data(), f.data()};
    }
    std::vector<double> a, b, c, d, e, f;
};

TEST(MultipoleFunction, MatchesTheAnalyticPotentialsOfHydrogenicDensities) {
    const int n = 1000;
    atom::radgrid r, dr;
    log_grid(n, 0.001, 400, r, dr);
    Scratch s(n);
    std::vector<double> Y(n);

    // 1s of hydrogen: Y_0 = 1/r - (1 + 1/r) e^(-2r).
    std::vector<double> u1s(n);
    for (int i = 0; i < n; ++i) u1s[i] = 2.0 * r.values[i] * std::exp(-r.values[i]);
    normalise(dr, u1s);
    atom::multipole_function(r, dr, u1s.data(), u1s.data(), 0, Y.data(), s.view());
    for (int i = 100; i < 900; i += 50) {
        const double x = r.values[i];
        const double want = 1.0 / x - (1.0 + 1.0 / x) * std::exp(-2.0 * x);
        EXPECT_NEAR(Y[i], want, 1e-6 * std::max(1.0, want)) << "r = " << x;
    }

    // 2p of hydrogen, u^2 = r^4 e^-r / 24: Y_2 = r^-3 int_0^r s^6 e^-s / 24 ds
    //                                          + r^2 int_r^inf s e^-s / 24 ds.
    std::vector<double> u2p(n);
    for (int i = 0; i < n; ++i) {
        const double x = r.values[i];
        u2p[i] = x * x * std::exp(-x / 2.0) / std::sqrt(24.0);
    }
    normalise(dr, u2p);
    atom::multipole_function(r, dr, u2p.data(), u2p.data(), 2, Y.data(), s.view());
    for (int i = 200; i < 900; i += 50) {
        const double x = r.values[i];
        double partial = 0.0, term = 1.0;
        for (int k = 0; k <= 6; ++k) {
            partial += term;
            term *= x / (k + 1);
        }
        const double inner = 720.0 * (1.0 - std::exp(-x) * partial) / 24.0;
        const double outer = std::exp(-x) * (1.0 + x) / 24.0;
        const double want = inner / (x * x * x) + x * x * outer;
        EXPECT_NEAR(Y[i], want, 1e-7) << "r = " << x;
    }
}

// The shortened forms against the full ones, bit for bit: the whole-grid integral (every grid
// length modulo 4, so each of the four chains ends the grid once) and the multipole function
// with the grid's powers formed once.
TEST(ShortenedForms, EqualTheFullSweepsBitForBit) {
    for (int n : {5, 6, 7, 8, 9, 250, 1001}) {
        atom::radgrid r, dr;
        log_grid(n, 0.001 / 47, 400 / std::sqrt(47.0), r, dr);
        std::vector<double> a(n), b(n), y(n), full(n), Y(n), Yp(n);
        for (int i = 0; i < n; ++i) {
            a[i] = r.values[i] * std::exp(-r.values[i]) * std::sin(0.3 * i + 1.0);
            b[i] = r.values[i] * r.values[i] * std::exp(-0.5 * r.values[i]);
            y[i] = 1.7 * a[i] * b[i] * a[i];
        }
        atom::cumulative_integral(dr, y.data(), full.data(), 1);
        EXPECT_EQ(atom::whole_grid_integral(dr, y.data(), nullptr), full[n - 1]) << "n = " << n;
        EXPECT_EQ(atom::whole_grid_integral_of(dr, 1.7, a.data(), b.data(), a.data()), full[n - 1])
            << "n = " << n;
        Scratch s(n);
        atom::GridPowers powers;
        powers.prepare(r);
        for (int L : {0, 1, 4}) {
            atom::multipole_function(r, dr, a.data(), b.data(), L, Y.data(), s.view());
            atom::multipole_function(dr, powers.A(L), powers.B(L), a.data(), b.data(), Yp.data(),
                                     s.view());
            for (int i = 0; i < n; ++i) ASSERT_EQ(Y[i], Yp[i]) << "n = " << n << " L = " << L;
        }
    }
}

}  // namespace
