// Replays every kept fuzz corpus file through its target's entry point, so a crash the fuzzer
// once found stays fixed in builds without clang.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_entries.h"

namespace {

struct Target {
    const char* name;
    int (*entry)(const uint8_t*, std::size_t);
};

const Target kTargets[] = {
    {"profile_reader", fuzz::profile_reader},
#ifdef LUMETRA_FUZZ_HAVE_MD
    {"md_deck", fuzz::md_deck},
#endif
#ifdef LUMETRA_FUZZ_HAVE_ATOM
    {"atom_deck", fuzz::atom_deck},
    {"scf_inputs", fuzz::scf_inputs},
#endif
    {"results_compare", fuzz::results_compare},
    {"command_line", fuzz::command_line},
};

class CorpusReplay : public ::testing::TestWithParam<Target> {};

TEST_P(CorpusReplay, EveryFileRunsCleanly) {
    const Target t = GetParam();
    const char* src = std::getenv("LUMETRA_SOURCE_DIR");
    const auto dir = std::filesystem::path(src ? src : ".") / "fuzz" / t.name / "corpus";
    ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        if (!e.is_regular_file()) continue;
        std::ifstream f(e.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(f)), {});
        SCOPED_TRACE(e.path().string());
        EXPECT_EQ(t.entry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), 0);
        ++files;
    }
    EXPECT_GT(files, 0);
}

INSTANTIATE_TEST_SUITE_P(Fuzz, CorpusReplay, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<Target>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
