// An independent, straightforward program of the molecular dynamics run, kept beside the
// benchmark as the peer its time is measured against: the same deck, lattice, generator,
// all-pairs Lennard-Jones forces and potential (two sweeps per step), velocity Verlet step and
// thermostat, written plainly with no vector code. It prints the time of the step loop and the
// energies after the last step, which must equal the benchmark's own.
//
// Usage: md_peer [DECK.in]   (default MD/Argon-Helium.in)
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct V4 {
    double x = 0, y = 0, z = 0, w = 0;
};

const double kEps[5] = {10.14, 36.216, 120.96, 162.97, 231.78};
const double kSigma[5] = {2.56, 2.74, 3.4, 3.65, 3.98};
const double kMass[5] = {4.003, 20.18, 39.948, 83.8, 131.29};

int seed = 325;
double uniform() {
    const int p = static_cast<int>(static_cast<unsigned>(seed) * 16807u);
    seed = p % 2147483647;
    return std::fabs(seed * 4.656612873077393e-10);
}

int n_atoms;
std::vector<V4> pos, vel, frc, prev;
std::vector<double> inv_mass;
std::vector<int> spec;
double S[5][5], E[5][5];
const double eu = 120.96;

double image(double d) {
    return d - std::trunc(2.0 * d);
}

// One sweep over the pairs: their forces (kForces) or the sum of their potential terms.
template <bool kForces>
double sweep() {
    double sum = 0.0;
    for (int i = 0; i < n_atoms; ++i) {
        for (int j = i + 1; j < n_atoms; ++j) {
            const double dx = image(pos[i].x - pos[j].x);
            const double dy = image(pos[i].y - pos[j].y);
            const double dz = image(pos[i].z - pos[j].z);
            const double r = std::sqrt(dx * dx + dy * dy + dz * dz);
            const double q = 1.0 / r;
            const double q2 = q * q;
            const double s6 = q2 * q2 * q2;
            const double s = S[spec[i]][spec[j]];
            const double e = E[spec[i]][spec[j]];
            if constexpr (kForces) {
                const double f = (2.0 * s * s * s6 * s6 - s6 * s) * (24.0 * e * q2);
                frc[i].x += f * dx;
                frc[i].y += f * dy;
                frc[i].z += f * dz;
                frc[j].x -= f * dx;
                frc[j].y -= f * dy;
                frc[j].z -= f * dz;
            } else {
                sum += (s6 * s6 * s * s - s6 * s) * 4.0 * e * (1.0 - std::trunc(r / 0.8660254));
            }
        }
    }
    return sum;
}

void forces() {
    for (int i = 0; i < n_atoms; ++i) {
        prev[i] = frc[i];
        frc[i] = V4{};
    }
    sweep<true>();
}

double potential() {
    return sweep<false>() / n_atoms;
}

double kinetic() {
    double sum = 0.0;
    for (int i = 0; i < n_atoms; ++i)
        sum +=
            0.5 * (vel[i].x * vel[i].x + vel[i].y * vel[i].y + vel[i].z * vel[i].z) / inv_mass[i];
    return sum / n_atoms;
}

double wrap(double p) {
    return p + std::trunc(1.0 - 2.0 * p);
}

}  // namespace

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "MD/Argon-Helium.in";
    FILE* in = std::fopen(path, "r");
    if (!in) {
        std::fprintf(stderr, "md_peer: cannot open %s\n", path);
        return 1;
    }
    char label[64];
    int lattice = 0;
    int site_species[4] = {};
    int cells = 0, steps = 0;
    double temperature = 0, dt = 0;
    bool ok = std::fscanf(in, "%63s %d", label, &lattice) == 2 && lattice >= 0 && lattice <= 2;
    const int per_cell = lattice == 0 ? 1 : lattice == 1 ? 2 : 4;
    for (int k = 0; ok && k < per_cell; ++k)
        ok = std::fscanf(in, "%63s %d", label, &site_species[k]) == 2;
    ok = ok && std::fscanf(in, "%63s %d", label, &cells) == 2 &&
         std::fscanf(in, "%63s %lf", label, &temperature) == 2 &&
         std::fscanf(in, "%63s %lf", label, &dt) == 2 &&
         std::fscanf(in, "%63s %d", label, &steps) == 2;
    std::fclose(in);
    if (!ok) {
        std::fprintf(stderr, "md_peer: cannot read %s\n", path);
        return 1;
    }
    const double basis[3][4][3] = {{{0, 0, 0}},
                                   {{0, 0, 0}, {0.5, 0.5, 0.5}},
                                   {{0, 0, 0}, {0, 0.5, 0.5}, {0.5, 0, 0.5}, {0.5, 0.5, 0}}};

    n_atoms = static_cast<int>(std::trunc(std::pow(cells, 3.0))) * per_cell;
    const double box = std::pow(n_atoms / 0.015719133, 0.3333333333333333);
    pos.assign(n_atoms, V4{});
    vel.assign(n_atoms, V4{});
    frc.assign(n_atoms, V4{});
    prev.assign(n_atoms, V4{});
    inv_mass.assign(n_atoms, 0.0);
    spec.assign(n_atoms, 0);
    seed = 325;

    const double a = std::pow(n_atoms / per_cell, -0.33333333);
    const double jitter = 0.1 * a;
    int at = 0;
    for (int k = 0; k < per_cell; ++k)
        for (int iz = 0; iz < cells; ++iz)
            for (int iy = 0; iy < cells; ++iy)
                for (int ix = 0; ix < cells; ++ix, ++at) {
                    pos[at].x = (ix + 0.5 + basis[lattice][k][0]) * a;
                    pos[at].y = (iy + 0.5 + basis[lattice][k][1]) * a;
                    pos[at].z = (iz + 0.5 + basis[lattice][k][2]) * a;
                    const double u1 = uniform(), u2 = uniform(), u3 = uniform();
                    pos[at].x += u1 * jitter;
                    pos[at].y += u2 * jitter;
                    pos[at].z += u3 * jitter;
                    spec[at] = site_species[k];
                    inv_mass[at] = 39.948 / kMass[spec[at]];
                }
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j) {
            S[i][j] = std::pow(kSigma[i] * kSigma[j] / (box * box), 3);
            E[i][j] = std::sqrt(kEps[i] * kEps[j] / (eu * eu));
        }

    for (int i = 0; i < n_atoms; ++i) {
        const double s = std::sqrt(inv_mass[i] * temperature / eu);
        double c[3];
        for (double& comp : c) {
            const double u1 = uniform();
            const double u2 = uniform();
            comp = std::cos(6.283185307 * u2) * std::sqrt(-2.0 * std::log(u1)) * s;
        }
        vel[i].x = c[0];
        vel[i].y = c[1];
        vel[i].z = c[2];
    }
    const double ke0 = kinetic() * eu;
    forces();
    const double pe0 = potential() * eu;

    const auto start = std::chrono::steady_clock::now();
    double ke = 0, pe = 0;
    for (int step = 0; step < steps; ++step) {
        for (int i = 0; i < n_atoms; ++i) {
            const double m = inv_mass[i];
            pos[i].x = wrap((dt * vel[i].x + pos[i].x) + frc[i].x * 0.5 * m * dt * dt);
            pos[i].y = wrap((dt * vel[i].y + pos[i].y) + frc[i].y * 0.5 * m * dt * dt);
            pos[i].z = wrap((dt * vel[i].z + pos[i].z) + frc[i].z * 0.5 * m * dt * dt);
        }
        forces();
        for (int i = 0; i < n_atoms; ++i) {
            const double h = dt * 0.5 * inv_mass[i];
            vel[i].x = (frc[i].x + prev[i].x) * h + vel[i].x;
            vel[i].y = (frc[i].y + prev[i].y) * h + vel[i].y;
            vel[i].z = (frc[i].z + prev[i].z) * h + vel[i].z;
        }
        ke = kinetic();
        pe = potential();
        if (step % 2000 == 0) {
            const double factor = std::sqrt(temperature * 1.5 / (ke * eu));
            for (int i = 0; i < n_atoms; ++i) {
                vel[i].x *= factor;
                vel[i].y *= factor;
                vel[i].z *= factor;
            }
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("atoms %d steps %d\n", n_atoms, steps);
    std::printf("initial_kinetic_K %.17g initial_potential_K %.17g\n", ke0, pe0);
    std::printf("kinetic_K %.17g\npotential_K %.17g\ntotal_K %.17g\n", ke * eu, pe * eu,
                (pe + ke) * eu);
    std::printf("time_s %.5f\n", seconds);
    return 0;
}
