#include "suite/profile.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>

#include "app/console.h"
#include "app/files.h"
#include "app/format.h"
#include "app/startup.h"

namespace suite {
namespace {

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A cursor over the text with the two conversions the format uses ("%d" and "%f"), each
// skipping white space first as scanf does.
class Scanner {
  public:
    explicit Scanner(std::string_view text, std::size_t pos) : text_(text), pos_(pos) {}

    void skip_space() {
        while (pos_ < text_.size() && is_space(text_[pos_])) ++pos_;
    }

    // An integer; out-of-range values saturate instead of wrapping.
    bool read_int(int& out) {
        skip_space();
        std::size_t p = pos_;
        bool negative = false;
        if (p < text_.size() && (text_[p] == '+' || text_[p] == '-')) negative = text_[p++] == '-';
        const std::size_t digits = p;
        long long value = 0;
        while (p < text_.size() && text_[p] >= '0' && text_[p] <= '9') {
            if (value <= INT_MAX) value = value * 10 + (text_[p] - '0');
            ++p;
        }
        if (p == digits) return false;
        if (negative) value = -value;
        out = static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
        pos_ = p;
        return true;
    }

    // A float in any form "%f" takes (sign, decimals, exponent, inf, nan); values beyond the
    // float range become infinite, as the conversion would give them.
    bool read_float(float& out) {
        skip_space();
        std::size_t p = pos_;
        bool negative = false;
        if (p < text_.size() && (text_[p] == '+' || text_[p] == '-')) negative = text_[p++] == '-';
        if (p >= text_.size() || text_[p] == '+' || text_[p] == '-') return false;
        double d = 0.0;
        const char* first = text_.data() + p;
        const char* last = text_.data() + text_.size();
        const auto r = std::from_chars(first, last, d, std::chars_format::general);
        if (r.ptr == first) return false;
        if (r.ec == std::errc::result_out_of_range) {
            // Too large gives infinity, too small gives zero; tell them apart by the exponent.
            const std::string_view num(first, static_cast<std::size_t>(r.ptr - first));
            const auto e = num.find_first_of("eE");
            const bool tiny =
                e != std::string_view::npos && e + 1 < num.size() && num[e + 1] == '-';
            d = tiny ? 0.0 : HUGE_VAL;
        }
        if (negative) d = -d;
        if (std::isfinite(d) && std::fabs(d) > FLT_MAX) d = d > 0 ? HUGE_VAL : -HUGE_VAL;
        out = static_cast<float>(d);
        pos_ = static_cast<std::size_t>(r.ptr - text_.data());
        return true;
    }

  private:
    std::string_view text_;
    std::size_t pos_;
};

}  // namespace

Profile parse_profile(std::string_view text) {
    Profile p;
    p.opened = true;
    if (text.size() > kMaxProfileBytes) text = text.substr(0, kMaxProfileBytes);

    // Lines 1 to 4 are free text.
    std::size_t pos = 0;
    for (int lf = 0; lf < 4; ++lf) {
        const std::size_t nl = text.find('\n', pos);
        if (nl == std::string_view::npos) return p;
        pos = nl + 1;
    }
    if (pos >= text.size()) return p;

    // Line 5: at most 99 characters, the line end included.
    std::size_t len = 0;
    while (pos + len < text.size() && len < kProfileDescriptionChars) {
        if (text[pos + len++] == '\n') break;
    }
    std::string desc(text.substr(pos, len));
    pos += len;
    // A longer line is cut; its rest is not a number, so skip it and keep the numbers readable.
    if (desc.back() != '\n') {
        const std::size_t nl = text.find('\n', pos);
        pos = nl == std::string_view::npos ? text.size() : nl + 1;
    }
    // The text ends at a NUL byte, as a C string would.
    if (const auto nul = desc.find('\0'); nul != std::string::npos) desc.resize(nul);
    while (!desc.empty() && (desc.back() == '\n' || desc.back() == '\r')) desc.pop_back();
    const std::size_t lead = desc.find_first_not_of(" \t");
    // The description is shown in the score panel and printed: control bytes from the file
    // are written out as \xNN so they can neither retitle a terminal nor forge a line.
    p.description =
        lead == std::string::npos ? std::string() : app::printable_text(desc.substr(lead));

    Scanner in(text, pos);
    int n = 0;
    if (!in.read_int(n)) return p;
    p.processors = n;
    // Read all n rates so the values after them line up; keep the first 16.
    for (int i = 0; i < n; ++i) {
        float rate = 0;
        if (!in.read_float(rate)) return p;
        if (p.clock_rates.size() < kMaxProfileRates) p.clock_rates.push_back(rate);
    }
    for (auto& v : p.values) {
        float value = 0;
        if (!in.read_float(value)) return p;
        v = value;
    }
    return p;
}

Profile read_profile_file(const std::filesystem::path& path) {
    std::string text, problem;
    if (!app::read_input_file(path, text, problem, "profile", kMaxProfileBytes)) return Profile{};
    return parse_profile(text);
}

std::vector<std::string> profile_list(const std::filesystem::path& profiles_dir) {
    std::vector<std::string> names{std::string(kNoProfile)};
    for (const auto& file : app::list_files_nocase(profiles_dir, ".rst"))
        names.push_back(file.filename().string());
    return names;
}

std::string located_profiles_line(int count) {
    return app::with_cursor(
        app::strprintf("Located %d performance comparisons for Lumetra.", count));
}

Profile read_selected_profile(const std::filesystem::path& profiles_dir,
                              const std::vector<std::string>& names, int selected) {
    if (selected < 0 || selected >= static_cast<int>(names.size())) return Profile{};
    const std::string& name = names[static_cast<std::size_t>(selected)];
    if (name == kNoProfile) return Profile{};
    return read_profile_file(profiles_dir / name);
}

std::string format_profile(const ProfileContents& c) {
    std::string desc;
    for (char ch : c.description) {
        if (ch == '\0') break;
        desc += (ch == '\r' || ch == '\n') ? ' ' : ch;
    }
    // The reader drops leading blanks and keeps 98 characters before the line end.
    desc.erase(0, std::min(desc.size(), desc.find_first_not_of(" \t")));
    if (desc.size() > kProfileDescriptionChars - 1) desc.resize(kProfileDescriptionChars - 1);

    std::string out;
    out += "Lumetra 2.0 performance comparison\n";
    out += std::string(app::kBuildString) + "\n";
    out += "Next: description; processor count; clock rates (MHz); seven values:\n";
    out += "memory, STREAM, cryptography, molecular dynamics, Orbitra, BLAS, reserved\n";
    out += desc + "\n";
    const std::size_t n = std::min(c.clock_rates.size(), kMaxProfileRates);
    out += app::strprintf("%d\n", static_cast<int>(n));
    for (std::size_t i = 0; i < n; ++i) out += app::strprintf("%.2f\n", c.clock_rates[i]);
    for (std::size_t i = 0; i < c.values.size(); ++i)
        out += app::strprintf(i + 1 < c.values.size() ? "%.2f " : "%.2f\n",
                              std::isfinite(c.values[i]) ? c.values[i] : -1.0f);
    return out;
}

std::filesystem::path profile_save_path(const std::filesystem::path& typed) {
    std::string ext = typed.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == ".rst") return typed;
    std::filesystem::path out = typed;
    out += ".rst";
    return out;
}

std::string replace_profile_question(const std::filesystem::path& path) {
    return path.filename().string() + " already exists.\nDo you want to replace it?";
}

bool write_profile_file(const std::filesystem::path& path, const ProfileContents& contents,
                        std::string* error) {
    // "Save as Profile..." may be the first to use the folder.
    std::error_code ec;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
    return app::write_file_atomically(path, format_profile(contents), error);
}

}  // namespace suite
