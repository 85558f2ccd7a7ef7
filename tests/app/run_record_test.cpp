#include "app/run_record.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>

using app::RunRecord;
using app::RunStatus;

TEST(RunRecord, OnlyCompletedRunsWithAPositiveFigureAreScorable) {
    RunRecord r;
    EXPECT_FALSE(r.scorable());
    r.begin();
    r.set_headline("time_s", 12.5);
    EXPECT_FALSE(r.scorable());  // still running
    r.complete();
    EXPECT_TRUE(r.scorable());
    r.set_headline("time_s", 0.0);
    EXPECT_FALSE(r.scorable());
    r.set_headline("time_s", std::numeric_limits<double>::infinity());
    EXPECT_FALSE(r.scorable());
    r.set_headline("time_s", 3.0);
    r.stop();
    EXPECT_FALSE(r.scorable());
    EXPECT_EQ(r.status(), RunStatus::Stopped);
    r.fail("Error: deck not found");
    EXPECT_EQ(r.to_json()["error"], "Error: deck not found");
    EXPECT_EQ(r.to_json()["status"], "failed");
}

TEST(RunRecord, BeginForgetsThePreviousRun) {
    RunRecord r;
    r.begin();
    r.set_figure("atoms", 500);
    r.set_progress("Step", 10, 100);
    r.fail("x");
    r.begin();
    EXPECT_TRUE(r.figures().empty());
    EXPECT_EQ(r.progress().range, 0);
    EXPECT_EQ(r.error(), "");
}

TEST(RunRecord, WriterAndReaderThreadsDoNotRace) {
    RunRecord r;
    r.begin();
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i) {
            r.set_progress("Step", i, 2000);
            r.set_figure("step", i);
        }
        r.complete();
    });
    long last = 0;
    while (r.status() == RunStatus::Running) {
        const long p = r.progress().position;
        EXPECT_GE(p, last);
        last = p;
        (void)r.to_json();
    }
    writer.join();
    EXPECT_EQ(r.figure("step"), 1999);
}
