// One SCF iteration: new orbitals in the current potential, their energies, the Hartree
// potential on this thread while the exchange potential is built on a second one, linear
// mixing, the new total potential, the total energy and the convergence test.
#include <cstddef>

#include "app/thread.h"
#include "atom/atomstate.h"

namespace atom {
namespace {

void mix(potential& mixed, const potential& fresh, double alpha) {
    for (std::size_t k = 0; k < mixed.v.size(); ++k) {
        double* m = mixed.v[k].data();
        const double* f = fresh.v[k].data();
        const int N = mixed.v[k].points;
        for (int i = 0; i < N; ++i) m[i] = (1.0 - alpha) * m[i] + alpha * f[i];
    }
}

// The exchange thread's work: W_X, then V_X <- alpha W_X + (1 - alpha) V_X.
void exchange_work(AtomState& st, int j) {
    double* energy = &st.scf.exchange[static_cast<std::size_t>(j)];
    if (!exchange_evaluation(st.r, st.dr, st.wf, st.wx, energy, *st.exchange_ws, st.progress)) {
        st.exchange_failed.store(true);
        st.exchange_done.set();
        return;
    }
    const double alpha = st.scf.mixing;
    for (std::size_t k = 0; k < st.vx.v.size(); ++k) {
        double* vx = st.vx.v[k].data();
        const double* wx = st.wx.v[k].data();
        const int N = st.vx.v[k].points;
        for (int i = 0; i < N; ++i) vx[i] = alpha * wx[i] + (1.0 - alpha) * vx[i];
    }
    st.exchange_done.set();
}

}  // namespace

bool scf_iteration(AtomState& st, int j) {
    const auto row = static_cast<std::size_t>(j);
    const std::size_t K = static_cast<std::size_t>(st.wf.K);
    st.converged = 0;
    st.outcome = IterationOutcome::Done;
    st.failed_orbital = -1;
    const SolveStatus solved =
        eigen_solve(st.Z, st.vtot, st.r, st.dr, st.wf, &st.scf.eigenvalue[row * K], *st.solver_ws,
                    st.progress.stop, &st.failed_orbital);
    if (solved != SolveStatus::Solved) {
        st.outcome = solved == SolveStatus::Stopped ? IterationOutcome::Stopped
                                                    : IterationOutcome::NoEigenvalue;
        return false;
    }
    energies(j, st.vnuc, st.vtot, st.dr, st.wf, st.scf, *st.solver_ws);

    st.exchange_done.reset();
    st.exchange_failed.store(false);
    app::Thread exchange_thread;
    if (st.exchange_on_thread) {
        auto body = [&st, j] { exchange_work(st, j); };
        if (app::processor_count() > 1) {
            // Exchange on the first processor; the compute thread holds the second.
            if (exchange_thread.create_suspended(body)) {
                exchange_thread.set_affinity(0);
                exchange_thread.resume();
            } else {
                exchange_work(st, j);
            }
        } else if (!exchange_thread.start(body)) {
            exchange_work(st, j);
        }
    } else {
        exchange_work(st, j);
    }

    const bool hartree_done = hartree_evaluation(st.r, st.dr, st.wf, st.vtot, &st.scf.hartree[row],
                                                 *st.hartree_ws, st.progress);
    if (hartree_done) mix(st.vh, st.vtot, st.scf.mixing);

    // The exchange evaluation also looks at the stop request, so this wait stays short.
    st.exchange_done.wait();
    if (exchange_thread.joinable()) exchange_thread.join();
    if (!hartree_done || st.progress.stop_requested()) {
        st.outcome = IterationOutcome::Stopped;
        return false;
    }
    if (st.exchange_failed.load()) {
        st.outcome = IterationOutcome::ExchangeFailed;
        return false;
    }

    for (std::size_t k = 0; k < K; ++k) {
        double* vt = st.vtot.v[k].data();
        const double* vn = st.vnuc.v[k].data();
        const double* vh = st.vh.v[k].data();
        const double* vx = st.vx.v[k].data();
        const int N = st.vtot.v[k].points;
        for (int i = 0; i < N; ++i) vt[i] = vn[i];
        for (int i = 0; i < N; ++i) vt[i] += vh[i];
        for (int i = 0; i < N; ++i) vt[i] += vx[i];
    }
    scf& s = st.scf;
    s.total[row] = s.nuclear[row] + s.kinetic[row] + s.hartree[row] + s.exchange[row];
    if (j >= 1) {
        const double d = s.kinetic[row] - s.kinetic[row - 1];
        if (d * d < s.tolerance * s.tolerance) st.converged = 1;
    }
    return true;
}

}  // namespace atom
