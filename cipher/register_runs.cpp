// The cipher benchmark's run.
#include <memory>

#include "app/run_registry.h"
#include "cipher/cipher_run.h"

void register_cipher_runs(app::RunRegistry& registry) {
    registry.add(app::kCodeCipher, [](const app::RunRequest& request) {
        auto c = std::make_unique<cipher::CipherController>();
        c->apply(request);
        return std::unique_ptr<app::RunController>(std::move(c));
    });
}
