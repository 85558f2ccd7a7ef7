// The Orbitra run.
#include <memory>

#include "app/files.h"
#include "app/run_registry.h"
#include "atom/orbitra_run.h"

void register_atom_runs(app::RunRegistry& registry) {
    registry.add(app::kCodeOrbitra, [](const app::RunRequest& rq) {
        auto run = std::make_unique<atom::OrbitraController>();
        run->apply(rq);
        std::string deck = rq.deck.empty() ? std::string("Ag") : rq.deck;
        // Tolerate a name with its extension ("he.in" from the command line).
        if (deck.size() > 3 && app::iequals(deck.substr(deck.size() - 3), ".in"))
            deck.resize(deck.size() - 3);
        run->deck_name = deck;
        run->deck_typed = rq.deck_typed;
        run->deck_file = rq.deck_file;
        return std::unique_ptr<app::RunController>(std::move(run));
    });
}
