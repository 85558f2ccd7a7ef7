// The CLI's progress line: drawn in place while a step runs, erased when it ends or when other
// output needs the row.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "suite/cli_report.h"
#include "support/temp_dir.h"

namespace {

// The line's output goes to a file that the test reads through a stream of its own.
struct Output {
    testing_support::TempDir dir;
    std::filesystem::path path = dir.path() / "stderr.txt";
    std::FILE* file = std::fopen(path.c_str(), "w");
    ~Output() {
        if (file) std::fclose(file);
    }
    std::string text() const {
        std::ifstream f(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(f)), {});
    }
};

TEST(ProgressLine, DrawsTheRunningStepAndErasesItself) {
    Output out;
    ASSERT_NE(out.file, nullptr);
    suite::ActiveRun active;
    app::RunRecord record;
    record.begin();
    record.set_progress("Step", 3, 10);
    {
        suite::ProgressLine line(active, out.file, 1);
        active.begin("Molecular Dynamics", &record);
        // A worker moves the progress on while the line redraws.
        std::thread worker([&] {
            for (long i = 4; i <= 10; ++i) record.set_progress_position(i);
        });
        worker.join();
        for (int i = 0; i < 10000 && out.text().find("Step 10/10") == std::string::npos; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        suite::clear_cli_progress_line();
        active.end();
    }
    const std::string text = out.text();
    EXPECT_EQ(text.rfind("\rMolecular Dynamics: Step ", 0), 0u);
    EXPECT_NE(text.find("Step 10/10, "), std::string::npos);
    // It ends erased, so the next output starts on a clean row.
    ASSERT_GE(text.size(), 4u);
    EXPECT_EQ(text.substr(text.size() - 4), "\r\x1b[K");
}

TEST(ProgressLine, NothingIsDrawnWithoutARunningStep) {
    Output out;
    ASSERT_NE(out.file, nullptr);
    suite::ActiveRun active;
    {
        suite::ProgressLine line(active, out.file, 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(out.text(), "");
}

}  // namespace
