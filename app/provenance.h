// Under what conditions a run was measured: the system, the processor and its power settings,
// the program's own version, how it was started and how busy the machine was. Everything is
// read from the usual Linux places below a root directory (tests point it at a faked tree);
// whatever is absent reads "unknown", never a failure.
#pragma once

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

namespace app {

inline constexpr const char* kUnknown = "unknown";

struct Provenance {
    std::string host_name = kUnknown;  // the node name, which results from many hosts are told by
    std::string os = kUnknown;         // os-release PRETTY_NAME
    std::string kernel = kUnknown;     // "Linux 6.1.0-18-amd64"
    std::string kernel_version = kUnknown;
    std::string architecture = kUnknown;
    std::string cpu_vendor = kUnknown;
    std::string cpu_model_name = kUnknown;
    std::string cpu_family = kUnknown;
    std::string cpu_model = kUnknown;
    std::string cpu_stepping = kUnknown;
    std::string microcode = kUnknown;
    int cores = 0;               // physical cores (0: unknown)
    int threads = 0;             // logical processors (0: unknown)
    int threads_per_core = 0;    // 0: unknown
    std::string smt = kUnknown;  // "on", "off", "notsupported", ...
    std::string governor = kUnknown;
    std::string boost = kUnknown;  // "on" / "off"
    long long memory_bytes = 0;    // 0: unknown
    std::string thp = kUnknown;    // the selected transparent huge page mode
    std::string command_line = kUnknown;
};

// Reads the system's part below `root` ("/" on the real machine; uname is used only there).
Provenance read_provenance(const std::filesystem::path& root = "/");

// The 1-minute load average from <root>/proc/loadavg; a negative value when unreadable.
double load_average_1min(const std::filesystem::path& root = "/");

// The load average when the current suite run started (taken by note_run_start()).
void note_run_start();
double load_at_run_start();

// The program's version ("2.0") and source revision (git describe at configure time, or
// "unknown" for a tree built without git).
std::string program_version();
std::string source_revision();

nlohmann::json provenance_json(const Provenance& p);

}  // namespace app
