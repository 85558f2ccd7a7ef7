// The run entries of the matrix multiply benchmark: codes 5 (DGEMM) and 6 (SGEMM).
#include <memory>

#include "app/benchmark_codes.h"
#include "app/run_registry.h"
#include "blas/matrix_run.h"

namespace {

app::RunEntry matrix_entry(int code, const char* name, blas::MatrixController::Precision p) {
    return {code, name, [p](const app::RunRequest& request) -> std::unique_ptr<app::RunController> {
                auto run = std::make_unique<blas::MatrixController>(p);
                run->auto_start = request.auto_start ? 1 : 0;
                run->close_when_done = request.close_when_done ? 1 : 0;
                if (!request.kernel.empty())
                    run->method = blas::method_from_kernel_name(request.kernel);
                return run;
            }};
}

}  // namespace

void register_blas_runs(app::RunRegistry& registry) {
    registry.add(
        matrix_entry(app::kCodeDgemm, "DGEMM", blas::MatrixController::Precision::Double));
    registry.add(
        matrix_entry(app::kCodeSgemm, "SGEMM", blas::MatrixController::Precision::Single));
}
