// The molecular dynamics deck reader: it reads from a file, so each input is written to a
// per-process temporary file first.
#include <unistd.h>

#include <fstream>
#include <string>

#include "fuzz_entries.h"
#include "md/deck.h"

namespace fuzz {

int md_deck(const uint8_t* data, std::size_t size) {
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("lumetra-fuzz-md-" + std::to_string(::getpid()) + ".in");
    {
        std::ofstream f(path, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const md::DeckReading r = md::read_deck(path);
    if (r.ok) {
        // A deck that reads must also size and check without trouble.
        (void)md::run_bytes(r.settings);
        (void)md::check_settings(r.settings, 1e9);
    }
    std::error_code ec;
    std::filesystem::remove(path, ec);
    return 0;
}

}  // namespace fuzz
