// The command line: the switches that queue benchmarks for an unattended run, their deck and
// kernel names, and the error and help messages the parser logs into the console text.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace app {

// The run queue never holds more than this many codes (the command line fills at most six).
inline constexpr std::size_t kRunQueueCapacity = 100;

inline constexpr std::string_view kDefaultKernel = "COMPILER";
inline constexpr std::string_view kDefaultMdDeck = "Argon-Helium.in";
inline constexpr std::string_view kDefaultOrbitraDeck = "AG.IN";

// What the parser hands to the automation driver: the queue (benchmark codes of
// app/benchmark_codes.h, in run order) and the inputs of the queued runs.
struct CommandLine {
    std::vector<int> queue;            // at most kRunQueueCapacity codes
    bool start_pending = false;        // the driver is to start the queued run
    bool close_when_finished = false;  // "-AUTOMATE": end the program after the run
    std::string sgemm_kernel{kDefaultKernel};
    std::string dgemm_kernel{kDefaultKernel};
    std::string md_deck{kDefaultMdDeck};            // file name in MD/, upper-cased if given
    std::string orbitra_deck{kDefaultOrbitraDeck};  // file name in "Input Files/"
    // The deck names as the user typed them (case kept); empty when none was typed.
    std::string md_deck_typed;
    std::string orbitra_deck_typed;
    int tokens = 0;           // tokens found on the line
    int errors = 0;           // unknown switches, bad kernels, repeats, missing names
    bool help_shown = false;  // "-HELP" printed the option list (nothing is queued)
};

// Parses the argument text (everything after the program name) and logs its messages with
// ConsoleLog. Any length and any bytes are accepted; upper-casing is ASCII only. An empty
// line (or one of delimiters only) logs nothing and queues nothing.
CommandLine parse_command_line(std::string_view cmdline);

// The argument text the parser expects: argv[1..argc-1] joined by single blanks.
// The option lines "-HELP" prints (the CLI's --help shows them too).
std::span<const std::string_view> help_lines();

std::string command_line_text(int argc, const char* const* argv);

}  // namespace app
