// The Orbitra entry of the program's run table (benchmark code 3).
#include <memory>

#include "app/benchmark_codes.h"
#include "app/files.h"
#include "app/run_registry.h"
#include "atom/orbitra_run.h"

void register_atom_runs(app::RunRegistry& registry) {
    registry.add({app::kCodeOrbitra, "Orbitra", [](const app::RunRequest& rq) {
                      auto run = std::make_unique<atom::OrbitraController>();
                      run->auto_run_request = rq.auto_start;
                      run->close_when_done = rq.close_when_done;
                      std::string deck = rq.deck.empty() ? std::string("Ag") : rq.deck;
                      // Tolerate a name with its extension ("he.in" from the command line).
                      if (deck.size() > 3 && app::iequals(deck.substr(deck.size() - 3), ".in"))
                          deck.resize(deck.size() - 3);
                      run->deck_name = deck;
                      return std::unique_ptr<app::RunController>(std::move(run));
                  }});
}
