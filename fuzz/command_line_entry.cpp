// The command-line parser on any argument text; its messages go to the console text, which is
// emptied each time so a long run does not just fill it up.
#include <string_view>

#include "app/command_line.h"
#include "app/console.h"
#include "fuzz_entries.h"

namespace fuzz {

int command_line(const uint8_t* data, std::size_t size) {
    app::console().reset();
    const app::CommandLine cl =
        app::parse_command_line(std::string_view(reinterpret_cast<const char*>(data), size));
    if (cl.queue.size() > app::kRunQueueCapacity) __builtin_trap();
    if (cl.start_pending && cl.errors != 0) __builtin_trap();
    return 0;
}

}  // namespace fuzz
