// The molecular dynamics run: the dialog is prepared the way the suite prepares it (automatic
// start, close when done, the deck's base name).
#include <memory>

#include "app/files.h"
#include "app/run_registry.h"
#include "md/md_controller.h"

void register_md_runs(app::RunRegistry& registry) {
    registry.add(app::kCodeMolDyn, [](const app::RunRequest& request) {
        auto c = std::make_unique<md::MdController>();
        c->apply(request);
        // An unattended caller names the deck; a deck that was not found is passed on by the
        // name the user gave and refused, never swapped for the reference deck. Interactive use
        // leaves the choice to the dialog.
        c->use_deck_name = request.auto_start ? 1 : 0;
        // The deck's file name up to its first "."; no name: the reference deck.
        c->deck_name =
            request.deck.empty() ? std::string(md::kDefaultDeck) : app::base_name(request.deck);
        c->deck_file = request.deck_file;
        return std::unique_ptr<app::RunController>(std::move(c));
    });
}
