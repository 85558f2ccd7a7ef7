// The results-file reader and --compare: any text is read or refused with a message, and the
// comparison of what was read prints no control byte but the line feed.
#include <string>

#include <nlohmann/json.hpp>

#include "fuzz_entries.h"
#include "suite/compare.h"

namespace fuzz {
namespace {

void check_printable(const std::string& out) {
    for (const char c : out) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && b != '\n') || b == 0x7f) __builtin_trap();
    }
}

}  // namespace

int results_compare(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    nlohmann::json doc;
    std::string error;
    if (!suite::parse_results_text(text, "input.json", doc, error)) {
        if (error.empty()) __builtin_trap();
        return 0;
    }
    static const nlohmann::json plain = nlohmann::json::parse(
        R"({"program":"Lumetra 2.0","subscores":{"md":1000.0,"orbitra":-1.0},)"
        R"("md":{"status":"completed","headline":{"name":"time_s","value":1.5}}})");
    check_printable(suite::compare_results(doc, doc, "old.json", "new.json"));
    check_printable(suite::compare_results(plain, doc, "old.json", "new.json"));
    check_printable(suite::compare_results(doc, plain, "old.json", "new.json"));
    return 0;
}

}  // namespace fuzz
