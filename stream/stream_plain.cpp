// The plain STREAM loops: what each kernel must compute, element by element.
#include "stream/stream_kernels.h"

namespace stream {

void copy_plain(double* c, const double* a, long n) {
    for (long i = 0; i < n; ++i) c[i] = a[i];
}
void scale_plain(double* b, const double* c, const double& q, long n) {
    for (long i = 0; i < n; ++i) b[i] = q * c[i];
}
void add_plain(double* c, const double* a, const double* b, long n) {
    for (long i = 0; i < n; ++i) c[i] = a[i] + b[i];
}
void triad_plain(double* c, const double* a, const double* b, const double& q, long n) {
    for (long i = 0; i < n; ++i) c[i] = a[i] + q * b[i];
}

}  // namespace stream
