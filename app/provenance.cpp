#include "app/provenance.h"

#include <sys/utsname.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <utility>

#ifndef LUMETRA_VERSION
#define LUMETRA_VERSION "unknown"
#endif
// Stamped at every build (cmake/Revision.cmake).
#if __has_include("lumetra_revision.h")
#include "lumetra_revision.h"
#else
#define LUMETRA_REVISION "unknown"
#endif

namespace app {
namespace {

std::atomic<double> g_load_at_start{-1.0};

// The whole file, or nothing when it cannot be read (files under /proc have no size).
bool read_text(const std::filesystem::path& p, std::string& out) {
    std::ifstream in(p, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

std::string trim(const std::string& s) {
    const char* ws = " \t\r\n";
    const auto b = s.find_first_not_of(ws);
    if (b == std::string::npos) return {};
    const auto e = s.find_last_not_of(ws);
    return s.substr(b, e - b + 1);
}

// The first line of a one-value file, or "unknown".
std::string read_value(const std::filesystem::path& p) {
    std::string text;
    if (!read_text(p, text)) return kUnknown;
    text = trim(text.substr(0, text.find('\n')));
    return text.empty() ? std::string(kUnknown) : text;
}

std::string os_release_name(const std::filesystem::path& root) {
    std::string text;
    if (!read_text(root / "etc/os-release", text) && !read_text(root / "usr/lib/os-release", text))
        return kUnknown;
    std::istringstream in(text);
    std::string line, name;
    while (std::getline(in, line)) {
        for (const char* key : {"PRETTY_NAME=", "NAME="}) {
            if (line.rfind(key, 0) != 0) continue;
            std::string v = trim(line.substr(std::char_traits<char>::length(key)));
            if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
                v = v.substr(1, v.size() - 2);
            if (v.empty()) continue;
            if (key[0] == 'P') return v;
            if (name.empty()) name = v;
        }
    }
    return name.empty() ? std::string(kUnknown) : name;
}

void read_cpuinfo(const std::filesystem::path& root, Provenance& p) {
    std::string text;
    if (!read_text(root / "proc/cpuinfo", text)) return;
    std::istringstream in(text);
    std::string line;
    int processors = 0;
    std::set<std::pair<std::string, std::string>> cores;
    std::string physical_id;
    bool first = true;
    while (std::getline(in, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        const std::string key = trim(line.substr(0, colon));
        const std::string value = trim(line.substr(colon + 1));
        if (key == "processor") {
            first = processors == 0;
            ++processors;
            physical_id.clear();
            continue;
        }
        if (key == "physical id") physical_id = value;
        if (key == "core id") cores.emplace(physical_id, value);
        if (!first || value.empty()) continue;
        if (key == "vendor_id") p.cpu_vendor = value;
        if (key == "model name") p.cpu_model_name = value;
        if (key == "cpu family") p.cpu_family = value;
        if (key == "model") p.cpu_model = value;
        if (key == "stepping") p.cpu_stepping = value;
        if (key == "microcode") p.microcode = value;
    }
    p.threads = processors;
    p.cores = cores.empty() ? 0 : static_cast<int>(cores.size());
}

void read_topology(const std::filesystem::path& root, Provenance& p) {
    const std::filesystem::path cpu = root / "sys/devices/system/cpu";
    p.smt = read_value(cpu / "smt/control");
    // The siblings of the first processor: threads per core as the kernel sees them.
    const std::string siblings = read_value(cpu / "cpu0/topology/thread_siblings_list");
    if (siblings != kUnknown) {
        int count = 0;
        std::istringstream in(siblings);
        std::string part;
        while (std::getline(in, part, ',')) {
            const auto dash = part.find('-');
            if (dash == std::string::npos) {
                ++count;
            } else {
                const int a = std::atoi(part.substr(0, dash).c_str());
                const int b = std::atoi(part.substr(dash + 1).c_str());
                count += b >= a ? b - a + 1 : 1;
            }
        }
        p.threads_per_core = count;
    }
    if (p.threads_per_core == 0 && p.cores > 0 && p.threads >= p.cores)
        p.threads_per_core = p.threads / p.cores;
    if (p.cores == 0 && p.threads > 0 && p.threads_per_core > 0)
        p.cores = p.threads / p.threads_per_core;

    p.governor = read_value(cpu / "cpu0/cpufreq/scaling_governor");
    const std::string boost = read_value(cpu / "cpufreq/boost");
    if (boost != kUnknown) {
        p.boost = boost == "1" ? "on" : "off";
    } else {
        const std::string no_turbo = read_value(cpu / "intel_pstate/no_turbo");
        if (no_turbo != kUnknown) p.boost = no_turbo == "1" ? "off" : "on";
    }
}

void read_memory(const std::filesystem::path& root, Provenance& p) {
    std::string text;
    if (!read_text(root / "proc/meminfo", text)) return;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("MemTotal:", 0) != 0) continue;
        const long long kb = std::atoll(line.c_str() + 9);
        if (kb > 0) p.memory_bytes = kb * 1024;
        return;
    }
}

std::string thp_mode(const std::filesystem::path& root) {
    std::string v = read_value(root / "sys/kernel/mm/transparent_hugepage/enabled");
    const auto open = v.find('[');
    const auto close = v.find(']', open == std::string::npos ? 0 : open);
    if (open == std::string::npos || close == std::string::npos) return v;
    return v.substr(open + 1, close - open - 1);
}

// The arguments as the kernel holds them, separated by NUL bytes; quoted where they hold
// spaces, so the line can be pasted back.
std::string command_line(const std::filesystem::path& root) {
    std::string raw;
    if (!read_text(root / "proc/self/cmdline", raw) || raw.empty()) return kUnknown;
    if (raw.back() == '\0') raw.pop_back();
    std::string out;
    std::size_t start = 0;
    while (start <= raw.size()) {
        std::size_t end = raw.find('\0', start);
        if (end == std::string::npos) end = raw.size();
        const std::string arg = raw.substr(start, end - start);
        if (!out.empty()) out += ' ';
        if (arg.empty() || arg.find_first_of(" \t'\"") != std::string::npos) {
            out += '\'';
            for (char c : arg) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
            out += '\'';
        } else {
            out += arg;
        }
        start = end + 1;
    }
    return out;
}

}  // namespace

Provenance read_provenance(const std::filesystem::path& root) {
    Provenance p;
    p.os = os_release_name(root);
    utsname u{};
    if (root == "/" && ::uname(&u) == 0) {
        p.kernel = std::string(u.sysname) + " " + u.release;
        p.kernel_version = u.version;
        p.architecture = u.machine;
        if (u.nodename[0] != '\0') p.host_name = u.nodename;
    } else {
        const std::string type = read_value(root / "proc/sys/kernel/ostype");
        const std::string release = read_value(root / "proc/sys/kernel/osrelease");
        if (release != kUnknown) p.kernel = (type != kUnknown ? type + " " : "") + release;
        p.kernel_version = read_value(root / "proc/sys/kernel/version");
        p.host_name = read_value(root / "proc/sys/kernel/hostname");
    }
    read_cpuinfo(root, p);
    read_topology(root, p);
    read_memory(root, p);
    p.thp = thp_mode(root);
    p.command_line = command_line(root);
    return p;
}

double load_average_1min(const std::filesystem::path& root) {
    const std::string v = read_value(root / "proc/loadavg");
    if (v == kUnknown) return -1.0;
    char* end = nullptr;
    const double load = std::strtod(v.c_str(), &end);
    return end != v.c_str() && load >= 0.0 ? load : -1.0;
}

void note_run_start() {
    g_load_at_start = load_average_1min();
}

double load_at_run_start() {
    return g_load_at_start;
}

std::string program_version() {
    return LUMETRA_VERSION;
}

std::string source_revision() {
    const std::string r = LUMETRA_REVISION;
    return r.empty() ? std::string(kUnknown) : r;
}

nlohmann::json provenance_json(const Provenance& p) {
    auto count = [](long long v) -> nlohmann::json {
        if (v > 0) return v;
        return kUnknown;
    };
    return {{"host_name", p.host_name},
            {"os", p.os},
            {"kernel", p.kernel},
            {"kernel_version", p.kernel_version},
            {"architecture", p.architecture},
            {"cpu_vendor", p.cpu_vendor},
            {"cpu_model_name", p.cpu_model_name},
            {"cpu_family", p.cpu_family},
            {"cpu_model", p.cpu_model},
            {"cpu_stepping", p.cpu_stepping},
            {"microcode", p.microcode},
            {"cores", count(p.cores)},
            {"threads", count(p.threads)},
            {"threads_per_core", count(p.threads_per_core)},
            {"smt", p.smt},
            {"scaling_governor", p.governor},
            {"boost", p.boost},
            {"memory_bytes", count(p.memory_bytes)},
            {"transparent_hugepages", p.thp},
            {"command_line", p.command_line}};
}

}  // namespace app
