// From a benchmark code to the run entry that prepares its controller, the way the suite and
// the automation create a benchmark dialog, set its inputs and run it modally.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/benchmark_codes.h"
#include "app/dialog_host.h"

namespace app {

// Inputs a caller hands to a benchmark dialog before running it.
struct RunRequest {
    bool auto_start = true;       // start at the first paint
    bool close_when_done = true;  // end the dialog when the run is over
    // The deck (MD, Orbitra): its base name as found on disk, or, when the user named a deck
    // that was not found, the name as typed (the run refuses it); empty: the default deck.
    std::string deck;
    bool deck_typed = false;  // the user named the deck (it is never swapped for another)
    // The file the user named in the deck folder ("Argon.bak", "H.v2.in"), the one that is
    // opened; empty: the deck file of `deck`.
    std::string deck_file;
    std::string kernel;  // matrix-multiply kernel name ("COMPILER", ...); empty = default
};

using RunFactory = std::function<std::unique_ptr<RunController>(const RunRequest&)>;

struct RunEntry {
    int code = 0;
    std::string name;  // from the benchmark table: "Molecular Dynamics", ...
    RunFactory make;
};

class RunRegistry {
  public:
    // Adds (or replaces) the run of a benchmark of the table.
    void add(int code, RunFactory make);
    void add(RunEntry entry);  // replaces an entry of the same code
    const RunEntry* find(int code) const;
    std::vector<int> codes() const;

  private:
    std::vector<RunEntry> entries_;
};

// The program's registry, filled with every subsystem's entries on first use. Defined with the
// generated run table in lumetra_core.
RunRegistry& run_registry();

// Calls every subsystem's registration function (generated at build time).
void register_all_runs(RunRegistry& registry);

}  // namespace app
