#include "app/command_line.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "app/benchmarks.h"
#include "app/console.h"
#include "app/files.h"

namespace app {
namespace {

constexpr std::string_view kDelimiters = ": \n";  // a tab is no delimiter
constexpr std::string_view kSgemmKernelDelimiters = " \n";

// The parser's own switches; the benchmarks' lines come from their rows.
constexpr std::string_view kOwnHelpLines[] = {
    " -automate         : Run through each benchmark without user interaction. Upon completion, "
    "Lumetra2 will automatically close.",
    " -help             : Display all command line options",
};

// Tokens of the upper-cased line the way strtok hands them out: leading delimiters skipped,
// one delimiter consumed after each token; each call may use its own delimiter set.
class Tokenizer {
  public:
    explicit Tokenizer(std::string_view line) : line_(line) {}
    std::optional<std::string> next(std::string_view delimiters) {
        while (pos_ < line_.size() && delimiters.find(line_[pos_]) != std::string_view::npos)
            ++pos_;
        if (pos_ >= line_.size()) return std::nullopt;
        const std::size_t start = pos_;
        while (pos_ < line_.size() && delimiters.find(line_[pos_]) == std::string_view::npos)
            ++pos_;
        std::string token(line_.substr(start, pos_ - start));
        last_start_ = start;
        if (pos_ < line_.size()) ++pos_;
        return token;
    }
    std::size_t last_start() const { return last_start_; }

  private:
    std::string_view line_;
    std::size_t pos_ = 0;
    std::size_t last_start_ = 0;
};

void log_marked(const std::string& line) {
    ConsoleLog(with_cursor(line));
}
void log_line(std::string_view line) {
    ConsoleLog(std::string(line) + "\r\n");
}
void log_ready() {
    ConsoleLog("\r\n" + with_cursor("Ready to execute."));
}

struct Parser {
    const std::string original;  // as typed (deck names are reported the way the user wrote them)
    const std::string line;      // the upper-cased command line (the search copy is the same)
    Tokenizer tokens{line};
    std::size_t search_pos = 0;
    CommandLine out;
    int automate = 0, help = 0, run_all = 0;
    std::array<int, kBenchmarkCount> given{};  // per row of the benchmark table

    explicit Parser(std::string_view typed) : original(typed), line(ascii_upper(typed)) {}

    // Looks for the switch with and without its colon from the search position. True when the
    // colon form is there: a name follows it. Otherwise the default applies and the search
    // moves past the bare switch.
    bool named_form_follows(std::string_view bare) {
        const std::string colon = std::string(bare) + ":";
        const std::size_t with_colon = line.find(colon, search_pos);
        if (with_colon != std::string::npos) {
            search_pos = with_colon + colon.size();
            return true;
        }
        const std::size_t plain = line.find(bare, search_pos);
        if (plain != std::string::npos) search_pos = plain + bare.size();
        return false;
    }

    void deck_rule(std::string_view bare, std::string_view fallback, std::string& deck,
                   std::string& typed) {
        if (!named_form_follows(bare)) {
            deck = fallback;
            typed.clear();
            return;
        }
        if (auto name = tokens.next(kDelimiters)) {
            deck = *name;
            typed = original.substr(tokens.last_start(), name->size());
            return;
        }
        // "-MOLDYN:" closing the line: there is no deck to run.
        ++out.errors;
        log_marked("Error Parsing Command Line: No input file was given after " +
                   std::string(bare) + ":.");
    }

    void kernel_rule(std::string_view bare, std::string_view bench, std::string_view delimiters,
                     int& counter, std::string& kernel) {
        if (!named_form_follows(bare)) {
            kernel = kDefaultKernel;
            return;
        }
        const std::optional<std::string> name = tokens.next(delimiters);
        if (name && *name == kDefaultKernel) {
            kernel = *name;
            return;
        }
        --counter;
        ++out.errors;
        if (name)
            log_marked("Error Parsing Command Line: Could not execute " + std::string(bench) +
                       " benchmark, " + *name + " is not a valid option.");
        else
            log_marked("Error Parsing Command Line: Could not execute " + std::string(bench) +
                       " benchmark, no kernel was given after " + std::string(bare) + ":.");
    }

    // The argument of a benchmark's switch.
    void argument(const BenchmarkInfo& b, int& counter) {
        switch (b.argument) {
            case SwitchArgument::None:
                break;
            case SwitchArgument::Deck:
                if (b.code == kCodeMolDyn)
                    deck_rule(b.cli_switch, kDefaultMdDeck, out.md_deck, out.md_deck_typed);
                else
                    deck_rule(b.cli_switch, kDefaultOrbitraDeck, out.orbitra_deck,
                              out.orbitra_deck_typed);
                break;
            case SwitchArgument::Kernel:
                // The SGEMM kernel name ends only at a blank: "-SGEMM:A:B" names "A:B".
                if (b.code == kCodeSgemm)
                    kernel_rule(b.cli_switch, b.name, kSgemmKernelDelimiters, counter,
                                out.sgemm_kernel);
                else
                    kernel_rule(b.cli_switch, b.name, kDelimiters, counter, out.dgemm_kernel);
                break;
        }
    }

    void token(const std::string& t) {
        ++out.tokens;
        if (t == "-AUTOMATE") {
            ++automate;
        } else if (t == "-HELP") {
            ++help;
        } else if (t == run_all_row().cli_switch) {
            ++run_all;
        } else if (const BenchmarkInfo* b = find_benchmark_by_switch(t)) {
            int& counter = given[static_cast<std::size_t>(b - benchmarks().data())];
            ++counter;
            argument(*b, counter);
        } else {
            ++out.errors;
            log_marked("Error Parsing Command Line: Did not recognize " + t +
                       " as a valid option.");
        }
    }

    // The benchmarks with a switch, in the order the parser checks and queues them.
    static std::vector<const BenchmarkInfo*> queue_order() {
        std::vector<const BenchmarkInfo*> rows;
        for (const BenchmarkInfo& b : benchmarks())
            if (!b.cli_switch.empty()) rows.push_back(&b);
        std::sort(rows.begin(), rows.end(), [](const BenchmarkInfo* a, const BenchmarkInfo* b) {
            return a->queue_rank < b->queue_rank;
        });
        return rows;
    }

    int given_count(const BenchmarkInfo& b) const {
        return given[static_cast<std::size_t>(&b - benchmarks().data())];
    }

    void repeat_checks() {
        for (const BenchmarkInfo* b : queue_order()) {
            if (given_count(*b) <= 1 || b->repeat_error[0].empty()) continue;
            ++out.errors;
            bool first = true;
            for (std::string_view l : b->repeat_error) {
                if (first && b->repeat_first_marked)
                    log_marked(std::string(l));
                else
                    log_line(l);
                first = false;
            }
            log_ready();
        }
    }

    void show_help() {
        log_line(" Command line options");
        log_line("");
        for (std::string_view l : help_lines()) log_line(l);
        log_line("");
        log_ready();
        out.help_shown = true;
    }

    void fill_queue() {
        out.close_when_finished = automate != 0;
        auto push = [this](int code) {
            if (out.queue.size() < kRunQueueCapacity) out.queue.push_back(code);
        };
        if (run_all != 0) {
            push(kCodeAll);
        } else {
            for (const BenchmarkInfo* b : queue_order())
                if (given_count(*b) != 0) push(b->code);
        }
        out.start_pending = true;
    }
};

}  // namespace

std::span<const std::string_view> help_lines() {
    static const std::vector<std::string_view> lines = [] {
        std::vector<std::string_view> out(std::begin(kOwnHelpLines), std::end(kOwnHelpLines));
        auto add = [&out](const BenchmarkInfo& b) {
            for (std::string_view l : b.help)
                if (!l.empty()) out.push_back(l);
        };
        for (const BenchmarkInfo& b : benchmarks()) add(b);
        add(run_all_row());
        // Listed in the order of their text, so by switch.
        std::sort(out.begin(), out.end());
        return out;
    }();
    return lines;
}

std::string command_line_text(int argc, const char* const* argv) {
    std::string out;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) out += ' ';
        if (argv[i]) out += argv[i];
    }
    return out;
}

CommandLine parse_command_line(std::string_view cmdline) {
    // The platform hands the line over as a C string: it ends at the first zero byte.
    cmdline = cmdline.substr(0, cmdline.find('\0'));
    Parser p(cmdline);
    std::optional<std::string> t = p.tokens.next(kDelimiters);
    if (!t) return p.out;
    ConsoleLog("\r\nFound command line arguments, parsing..." + std::string(kCursorMarker) +
               "\r\n\r\n");
    for (; t; t = p.tokens.next(kDelimiters)) p.token(*t);
    p.repeat_checks();
    if (p.help != 0) {
        p.show_help();
        return p.out;
    }
    if (p.out.errors == 0 && p.out.tokens != 0) p.fill_queue();
    return p.out;
}

}  // namespace app
