// The peer of the STREAM kernels: the plain OpenMP loops a user would write, -O3.
void omp_peer_init(double* a, double* b, double* c, long n) {
#pragma omp parallel for schedule(static)
    for (long i = 0; i < n; ++i) {
        a[i] = 1.0;
        b[i] = 2.0;
        c[i] = 0.0;
    }
}

void omp_peer_triad(double* a, const double* b, const double* c, double q, long n) {
#pragma omp parallel for schedule(static)
    for (long i = 0; i < n; ++i) a[i] = b[i] + q * c[i];
}

void omp_peer_copy(double* c, const double* a, long n) {
#pragma omp parallel for schedule(static)
    for (long i = 0; i < n; ++i) c[i] = a[i];
}
