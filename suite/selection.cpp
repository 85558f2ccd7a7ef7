#include "suite/selection.h"

#include "app/benchmark_codes.h"

namespace suite {

Selections selections_for_queue(std::span<const int> queue) {
    Selections s = Selections::none();
    for (int code : queue) {
        switch (code) {
            case app::kCodeMemory:
                s.memory = true;
                break;
            case app::kCodeMolDyn:
                s.md = true;
                break;
            case app::kCodeOrbitra:
                s.orbitra = true;
                break;
            case app::kCodeCipher:
                s.cipher = true;
                break;
            case app::kCodeDgemm:
                s.blas = s.run_dgemm = true;
                break;
            case app::kCodeSgemm:
                s.blas = s.run_sgemm = true;
                break;
            case app::kCodeStream:
                s.stream = true;
                break;
            case app::kCodeAll:
                s = Selections{};
                break;
            default:
                break;
        }
    }
    return s;
}

}  // namespace suite
