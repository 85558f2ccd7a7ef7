#include "app/command_line.h"

#include <algorithm>
#include <array>
#include <optional>

#include "app/benchmark_codes.h"
#include "app/console.h"
#include "app/files.h"

namespace app {
namespace {

constexpr std::string_view kDelimiters = ": \n";  // a tab is no delimiter
constexpr std::string_view kSgemmKernelDelimiters = " \n";

constexpr std::array<std::string_view, 13> kHelpLines = {
    " -automate         : Run through each benchmark without user interaction. Upon completion, "
    "Lumetra2 will automatically close.",
    " -cipherbench      : Run through the cipher benchmark",
    " -dgemm            : Run through the dgemm benchmark using the compiler core",
    " -dgemm:compiler   : Run through the dgemm benchmark using the compiler core",
    " -help             : Display all command line options",
    " -membench         : Run through the memory benchmark",
    " -moldyn           : Run through the molecular dynamics benchmark",
    " -moldyn:file.in   : Run through a custom simulation using file.in",
    " -orbitra        : Run through the orbitra benchmark",
    " -orbitra:file.in: Run through the orbitra benchmark using the custom file provided.",
    " -runallbench      : Run through the entire benchmark. -automate is implied.",
    " -sgemm            : Run through the sgemm benchmark using the compiler core",
    " -sgemm:compiler   : Run through the sgemm benchmark using the compiler core",
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
        if (pos_ < line_.size()) ++pos_;
        return token;
    }

  private:
    std::string_view line_;
    std::size_t pos_ = 0;
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
    const std::string line;  // the upper-cased command line (the search copy is the same)
    Tokenizer tokens{line};
    std::size_t search_pos = 0;
    CommandLine out;
    int automate = 0, cipher = 0, dgemm = 0, help = 0, memory = 0, md = 0, orbitra = 0, run_all = 0,
        sgemm = 0;

    explicit Parser(std::string upper) : line(std::move(upper)) {}

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

    void deck_rule(std::string_view bare, std::string_view fallback, std::string& deck) {
        if (!named_form_follows(bare)) {
            deck = fallback;
            return;
        }
        if (auto name = tokens.next(kDelimiters)) {
            deck = *name;
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

    void token(const std::string& t) {
        ++out.tokens;
        if (t == "-AUTOMATE") {
            ++automate;
        } else if (t == "-CIPHERBENCH") {
            ++cipher;
        } else if (t == "-DGEMM") {
            ++dgemm;
            kernel_rule("-DGEMM", "DGEMM", kDelimiters, dgemm, out.dgemm_kernel);
        } else if (t == "-HELP") {
            ++help;
        } else if (t == "-MEMBENCH") {
            ++memory;
        } else if (t == "-MOLDYN") {
            ++md;
            deck_rule("-MOLDYN", kDefaultMdDeck, out.md_deck);
        } else if (t == "-ORBITRA") {
            ++orbitra;
            deck_rule("-ORBITRA", kDefaultOrbitraDeck, out.orbitra_deck);
        } else if (t == "-RUNALLBENCH") {
            ++run_all;
        } else if (t == "-SGEMM") {
            ++sgemm;
            kernel_rule("-SGEMM", "SGEMM", kSgemmKernelDelimiters, sgemm, out.sgemm_kernel);
        } else {
            ++out.errors;
            log_marked("Error Parsing Command Line: Did not recognize " + t +
                       " as a valid option.");
        }
    }

    void repeat_checks() {
        auto report = [this](std::initializer_list<std::string_view> first_and_more,
                             bool first_marked) {
            ++out.errors;
            bool first = true;
            for (std::string_view l : first_and_more) {
                if (first && first_marked)
                    log_marked(std::string(l));
                else
                    log_line(l);
                first = false;
            }
            log_ready();
        };
        if (dgemm > 1)
            report({"Error Parsing Command Line: Not able to execute multiple instances of the "
                    "DGEMM benchmark.",
                    "Tip: - If you want to execute 2 different DGEMM benchmarks, execute them in "
                    "this fashion:",
                    "     lumetra2 -automate -sgemm:sse2s", "     lumetra2 -automate -sgemm:sse2v"},
                   false);
        if (md > 1)
            report({"Error Parsing Command Line: Not able to execute multiple instances of the "
                    "Molecular Dynamics benchmark.",
                    "Tip: - If you want to execute 2 different Molecular Dynamics simulations, "
                    "execute them in this fashion:",
                    "     lumetra2 -automate -moldyn:Argon-Helium.in",
                    "     lumetra2 -automate -moldyn:Helium.in"},
                   false);
        if (orbitra > 1)
            report({"Error Parsing Command Line: Not able to execute multiple instances of the "
                    "Orbitra benchmark.",
                    "Tip: - If you want to execute 2 different Orbitra simulations, execute them "
                    "in this fashion:",
                    "     lumetra2 -automate -orbitra:ag.in",
                    "     lumetra2 -automate -orbitra:hg.in"},
                   true);
        if (sgemm > 1)
            report({"Error Parsing Command Line: Not able to execute multiple instances of the "
                    "SGEMM benchmark.",
                    "Tip: - If you want to execute 2 different SGEMM benchmarks, execute them in "
                    "this fashion:",
                    "     lumetra2 -automate -sgemm:sse", "     lumetra2 -automate -sgemm:3dnow"},
                   true);
    }

    void show_help() {
        log_line(" Command line options");
        log_line("");
        for (std::string_view l : kHelpLines) log_line(l);
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
            if (cipher != 0) push(kCodeCipher);
            if (dgemm != 0) push(kCodeDgemm);
            if (memory != 0) push(kCodeMemory);
            if (md != 0) push(kCodeMolDyn);
            if (orbitra != 0) push(kCodeOrbitra);
            if (sgemm != 0) push(kCodeSgemm);
        }
        out.start_pending = true;
    }
};

}  // namespace

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
    Parser p(ascii_upper(cmdline));
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
