// Provenance parsed exactly from a faked tree.
#include <gtest/gtest.h>

#include <fstream>

#include "app/provenance.h"
#include "support/temp_dir.h"

namespace {

void put(const std::filesystem::path& root, const std::string& rel, const std::string& text) {
    std::filesystem::create_directories((root / rel).parent_path());
    std::ofstream(root / rel, std::ios::binary) << text;
}

TEST(Provenance, FakedTreeIsParsed) {
    testing_support::TempDir dir;
    const auto& r = dir.path();
    put(r, "etc/os-release",
        "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n");
    put(r, "proc/sys/kernel/ostype", "Linux\n");
    put(r, "proc/sys/kernel/osrelease", "6.1.0-18-amd64\n");
    put(r, "proc/sys/kernel/hostname", "bench-07\n");
    std::string cpuinfo;
    // Two cores with two threads each: processors 0..3.
    const char* core[] = {"0", "0", "1", "1"};
    for (int i = 0; i < 4; ++i)
        cpuinfo += "processor\t: " + std::to_string(i) +
                   "\nvendor_id\t: GenuineIntel\ncpu family\t: 6\nmodel\t\t: 85\nmodel name\t: "
                   "Test CPU @ 2.00GHz\nstepping\t: 7\nmicrocode\t: 0x5003604\nphysical id\t: "
                   "0\ncore id\t\t: " +
                   core[i] + "\n\n";
    put(r, "proc/cpuinfo", cpuinfo);
    put(r, "proc/meminfo", "MemTotal:       16384000 kB\nMemFree:  1 kB\n");
    put(r, "proc/loadavg", "1.25 0.50 0.10 1/123 4567\n");
    put(r, "proc/self/cmdline",
        std::string("lumetra2-cli\0--repeat\0"
                    "3\0a b\0",
                    28));
    put(r, "sys/devices/system/cpu/smt/control", "on\n");
    put(r, "sys/devices/system/cpu/cpu0/topology/thread_siblings_list", "0-1\n");
    put(r, "sys/devices/system/cpu/cpu0/cpufreq/scaling_governor", "performance\n");
    put(r, "sys/devices/system/cpu/intel_pstate/no_turbo", "1\n");
    put(r, "sys/kernel/mm/transparent_hugepage/enabled", "always [madvise] never\n");

    const app::Provenance p = app::read_provenance(r);
    EXPECT_EQ(p.os, "Debian GNU/Linux 12 (bookworm)");
    EXPECT_EQ(p.kernel, "Linux 6.1.0-18-amd64");
    EXPECT_EQ(p.host_name, "bench-07");
    EXPECT_EQ(p.cpu_vendor, "GenuineIntel");
    EXPECT_EQ(p.cpu_model_name, "Test CPU @ 2.00GHz");
    EXPECT_EQ(p.cpu_family, "6");
    EXPECT_EQ(p.cpu_model, "85");
    EXPECT_EQ(p.cpu_stepping, "7");
    EXPECT_EQ(p.microcode, "0x5003604");
    EXPECT_EQ(p.threads, 4);
    EXPECT_EQ(p.cores, 2);
    EXPECT_EQ(p.threads_per_core, 2);
    EXPECT_EQ(p.smt, "on");
    EXPECT_EQ(p.governor, "performance");
    EXPECT_EQ(p.boost, "off");  // no_turbo = 1
    EXPECT_EQ(p.memory_bytes, 16384000LL * 1024);
    EXPECT_EQ(p.thp, "madvise");
    EXPECT_EQ(p.command_line, "lumetra2-cli --repeat 3 'a b'");
    EXPECT_DOUBLE_EQ(app::load_average_1min(r), 1.25);
}

}  // namespace
