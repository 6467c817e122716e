#include "platform/job_progress.h"

#include <gtest/gtest.h>

namespace orvanta {
namespace {

// Three phases of 4, 64 and 4 steps: the figure runs over all of them and never goes back,
// the time left waits until it means something, and the dotted line ends once at 100.
TEST(JobProgress, OneFigureOverAllPhasesThatNeverGoesBack) {
    JobProgress job(3);
    EXPECT_DOUBLE_EQ(job.report(2, 4), 2.0 / 12);  // the phases to come are taken as long
    EXPECT_DOUBLE_EQ(job.report(4, 4), 4.0 / 12);
    EXPECT_DOUBLE_EQ(job.report(1, 64), 4.0 / 12);  // 5 of 4 + 64 + 34 would go back
    EXPECT_EQ(job.phase(), 2);
    EXPECT_DOUBLE_EQ(job.report(64, 64), 68.0 / 102);
    EXPECT_DOUBLE_EQ(job.report(2, 4), 70.0 / 72);
    EXPECT_DOUBLE_EQ(job.report(4, 4), 1.0);
    EXPECT_EQ(job.secondsLeft(60), std::nullopt);

    JobProgress single;
    single.report(1, 4);
    EXPECT_EQ(single.secondsLeft(1), std::nullopt);  // too early
    EXPECT_EQ(single.secondsLeft(10), 30);
    single.report(1, 4);  // no more done: a phase the job did not announce, after the first
    EXPECT_EQ(single.phase(), 2);
    EXPECT_DOUBLE_EQ(single.fraction(), 5.0 / 8);

    int marks = -1;
    EXPECT_EQ(dottedProgress(0, marks), "0");
    EXPECT_EQ(dottedProgress(0.26, marks), "...10...20..");
    EXPECT_EQ(dottedProgress(0.26, marks), "");
    EXPECT_EQ(dottedProgress(1, marks), ".30...40...50...60...70...80...90...100 - done.");
    EXPECT_EQ(clockText(65), "1:05");
    EXPECT_EQ(clockText(3723), "1:02:03");
}

}  // namespace
}  // namespace orvanta
