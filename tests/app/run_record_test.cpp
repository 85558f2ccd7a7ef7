#include "app/run_record.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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
