// The run entry of the cipher benchmark: code 4.
#include <memory>

#include "app/benchmark_codes.h"
#include "app/run_registry.h"
#include "cipher/cipher_run.h"

void register_cipher_runs(app::RunRegistry& registry) {
    registry.add({app::kCodeCipher, "Cipher Bench",
                  [](const app::RunRequest& request) -> std::unique_ptr<app::RunController> {
                      auto run = std::make_unique<cipher::CipherController>();
                      run->auto_run_request = request.auto_start ? 1 : 0;
                      run->close_when_done = request.close_when_done ? 1 : 0;
                      return run;
                  }});
}
