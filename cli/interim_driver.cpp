#include "cli/interim_driver.h"

#include "app/benchmark_codes.h"
#include "app/console.h"
#include "app/files.h"
#include "app/format.h"

namespace cli {

std::vector<int> expand_queue(const std::vector<int>& queue) {
    std::vector<int> out;
    for (int code : queue) {
        if (code == app::kCodeAll)
            out.insert(out.end(),
                       {app::kCodeMemory, app::kCodeStream, app::kCodeMolDyn, app::kCodeOrbitra,
                        app::kCodeCipher, app::kCodeSgemm, app::kCodeDgemm});
        else
            out.push_back(code);
    }
    return out;
}

namespace {
std::string deck_base(const char* folder, const std::string& deck) {
    const auto found = app::find_file_nocase(folder, deck);
    return found ? app::base_name(*found) : std::string();
}
}  // namespace

app::RunRequest request_for(int code, const app::CommandLine& cmd) {
    app::RunRequest r;
    r.auto_start = true;
    r.close_when_done = true;
    if (code == app::kCodeMolDyn) r.deck = deck_base("MD", cmd.md_deck);
    if (code == app::kCodeOrbitra) r.deck = deck_base("Input Files", cmd.orbitra_deck);
    if (code == app::kCodeSgemm) r.kernel = cmd.sgemm_kernel;
    if (code == app::kCodeDgemm) r.kernel = cmd.dgemm_kernel;
    return r;
}

void run_queue(const app::CommandLine& cmd, const app::RunRegistry& registry) {
    app::ConsoleAppend(app::with_cursor("Lumetra 2.0 Run Configuration..."));
    for (int code : expand_queue(cmd.queue)) {
        const app::RunEntry* entry = registry.find(code);
        auto controller = entry && entry->make ? entry->make(request_for(code, cmd)) : nullptr;
        if (!controller) {
            app::ConsoleAppend(app::with_cursor(
                app::strprintf("Benchmark %d is not available in this build; skipped.", code)));
            continue;
        }
        app::modal_runner().run_modal(*controller);
    }
    app::ConsoleAppend(app::with_cursor("Finished Lumetra 2.0 Run Configuration."));
}

}  // namespace cli
