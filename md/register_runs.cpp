// The molecular dynamics entry of the run registry (benchmark code 2): the dialog is prepared
// the way the suite prepares it (automatic start, close when done, the deck's base name).
#include <memory>

#include "app/benchmark_codes.h"
#include "app/files.h"
#include "app/run_registry.h"
#include "md/md_controller.h"

void register_md_runs(app::RunRegistry& registry) {
    registry.add({app::kCodeMolDyn, "Molecular Dynamics", [](const app::RunRequest& request) {
                      auto c = std::make_unique<md::MdController>();
                      c->auto_start = request.auto_start ? 1 : 0;
                      c->close_when_done = request.close_when_done ? 1 : 0;
                      // An unattended caller names the deck; an empty name (a deck that was
                      // not found) is passed on and refused, never swapped for the reference
                      // deck. Interactive use leaves the choice to the dialog.
                      c->use_deck_name = request.auto_start ? 1 : 0;
                      // The deck's file name up to its first ".".
                      c->deck_name = app::base_name(request.deck);
                      return std::unique_ptr<app::RunController>(std::move(c));
                  }});
}
