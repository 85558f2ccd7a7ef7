// Runs a parsed run queue one benchmark after another through the run registry and the modal
// runner, the way the suite will once it exists (the suite hand-over then replaces this).
#pragma once

#include <vector>

#include "app/command_line.h"
#include "app/run_registry.h"

namespace cli {

// The codes a queue stands for, in run order: 8 (all) becomes 1, 7, 2, 3, 4, 6, 5.
std::vector<int> expand_queue(const std::vector<int>& queue);

// The request for one queued code: automatic start, close when done, the deck's base name as
// stored on disk (MD/ or "Input Files/", found ignoring case; empty when missing) and the
// kernel name.
app::RunRequest request_for(int code, const app::CommandLine& cmd);

// Runs every queued code with a registered entry; codes nobody registered get a console line.
void run_queue(const app::CommandLine& cmd, const app::RunRegistry& registry);

}  // namespace cli
