// The matrix multiply runs: SGEMM and DGEMM, one controller class for both precisions.
#include <memory>

#include "app/run_registry.h"
#include "blas/matrix_run.h"

namespace {

app::RunFactory matrix_run(blas::MatrixController::Precision p) {
    return [p](const app::RunRequest& request) -> std::unique_ptr<app::RunController> {
        auto run = std::make_unique<blas::MatrixController>(p);
        run->apply(request);
        if (!request.kernel.empty()) run->method = blas::method_from_kernel_name(request.kernel);
        return run;
    };
}

}  // namespace

void register_blas_runs(app::RunRegistry& registry) {
    registry.add(app::kCodeDgemm, matrix_run(blas::MatrixController::Precision::Double));
    registry.add(app::kCodeSgemm, matrix_run(blas::MatrixController::Precision::Single));
}
