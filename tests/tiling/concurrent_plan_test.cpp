// Steps of a plan run by a pool of workers: the same outcome and messages as a run one step
// after another, dependencies and the memory cap kept, and no worker outliving the run.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "tiling/shared_decodes.h"
#include "tiling/tiling_rig.h"

namespace orvanta {
namespace {

using namespace std::chrono_literals;
using testing::FakeHost;
using testing::TestPolicy;

// Stands in for the image tool without touching the disk: each call takes a while, counts
// how many run at once, and fails with its scripted error.
struct SlowConvert {
    std::map<std::string, RunError> failures;                 // by output file
    std::map<std::string, std::chrono::milliseconds> delays;  // by output file
    std::chrono::milliseconds otherDelay = 5ms;
    std::atomic<int> running{0}, mostRunning{0}, calls{0};
    std::mutex mutex;
    std::vector<std::string> finished;

    ConvertRunner runner() {
        return [this](const ConvertCall& call) {
            ++calls;
            const int now = ++running;
            for (int seen = mostRunning;
                 now > seen && !mostRunning.compare_exchange_weak(seen, now);) {
            }
            const auto delay = delays.find(call.output());
            std::this_thread::sleep_for(delay == delays.end() ? otherDelay : delay->second);
            {
                const std::lock_guard lock(mutex);
                finished.push_back(call.output());
            }
            --running;
            const auto failure = failures.find(call.output());
            if (failure != failures.end())
                throw failure->second;
        };
    }
};

// No worker runs and no step starts once the run has returned.
void expectStopped(const SlowConvert& convert) {
    EXPECT_EQ(convert.running, 0);
    const int callsAfterRun = convert.calls;
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(convert.calls, callsAfterRun);
}

TilePlan independentPlan(int steps) {
    TilePlan plan;
    for (int i = 0; i < steps; ++i)
        plan.convert({"in" + std::to_string(i) + ".jpg", "out" + std::to_string(i) + ".jpg"});
    return plan;
}

// The outcomes reach the policy in plan order, as in a run one step after another: the slow
// skipped failure of the first step counts before the ending one of the second, which failed
// first. Steps started before the end was known finish; none starts afterwards.
TEST(ConcurrentPlan, OutcomesReachThePolicyInPlanOrderAndAnEndingFailureStopsTheWorkers) {
    SlowConvert convert;
    convert.otherDelay = 40ms;
    convert.delays["out0.jpg"] = 80ms;
    convert.delays["out1.jpg"] = 5ms;
    convert.failures.emplace("out0.jpg", RunError(errors::ImageTool, "broken"));
    convert.failures.emplace("out1.jpg", RunError(57, "device I/O error"));
    FakeHost host;
    TestPolicy policy(host);
    EXPECT_FALSE(executePlan(independentPlan(16), policy, convert.runner(), {4}));
    EXPECT_EQ(policy.skippedSteps(), 1);
    EXPECT_EQ(host.messages, (std::vector<FakeHost::Message>{{"57 device I/O error", kAppTitle}}));
    EXPECT_LT(convert.calls, 16);
    expectStopped(convert);
}

// Cancelling throws from the observer after a step: the exception leaves the run, no step
// starts afterwards and no worker is left behind.
TEST(ConcurrentPlan, CancelAfterAStepStopsTheWorkers) {
    struct Cancelled {};
    SlowConvert convert;
    // The first two end at once; the others take long enough for the cancel to come first.
    convert.otherDelay = 150ms;
    convert.delays["out0.jpg"] = convert.delays["out1.jpg"] = 5ms;
    FakeHost host;
    TestPolicy policy(host);
    std::vector<std::size_t> observed;
    auto cancelAtSecond = [&](std::size_t step) {
        observed.push_back(step);
        if (step == 1)
            throw Cancelled{};
    };
    EXPECT_THROW(executePlan(independentPlan(8), policy, convert.runner(), {4}, cancelAtSecond),
                 Cancelled);
    EXPECT_EQ(observed, (std::vector<std::size_t>{0, 1}));
    // The first four started at once; at most two more, taken by the workers freed before the
    // cancel was seen; never the last two.
    EXPECT_GE(convert.calls, 4);
    EXPECT_LE(convert.calls, 6);
    expectStopped(convert);
}

TEST(ConcurrentPlan, StepsWaitForWhatTheyReadAndMemoryBoundOperationsShareTheBudget) {
    TilePlan plan;
    plan.convert({"source.jpg", "-crop", "512x512", "piece_%d.jpg"});
    for (int q = 0; q < 4; ++q) {
        const std::string piece = "piece_" + std::to_string(q) + ".jpg";
        plan.convert({piece, "-limit", "memory", "512MiB", "-resize", "256x256", "t" + piece});
    }
    SlowConvert convert;
    convert.otherDelay = 30ms;
    FakeHost host;
    TestPolicy policy(host);
    EXPECT_TRUE(executePlan(plan, policy, convert.runner(), {4, 1024}));

    ASSERT_EQ(convert.finished.size(), 5u);
    EXPECT_EQ(convert.finished.front(), "piece_%d.jpg");
    EXPECT_EQ(convert.mostRunning, 2);  // the budget holds two 512 MiB operations

    // Operations each allowed the whole budget but known to need a quarter of it share it.
    TilePlan small;
    for (int q = 0; q < 6; ++q) {
        const std::string n = std::to_string(q);
        small.convert({"s" + n + ".jpg", "-limit", "memory", "1024MiB", "t" + n + ".jpg"}, 256);
    }
    SlowConvert four;
    four.otherDelay = 30ms;
    EXPECT_TRUE(executePlan(small, policy, four.runner(), {6, 1024}));
    EXPECT_EQ(four.mostRunning, 4);
}

// A file written again between its readers is a new version: its readers after the write
// must not share the image decoded before it.
TEST(ConcurrentPlan, ReadersShareADecodedFileOnlyWithinOneVersion) {
    TilePlan plan;
    plan.convert({"a.jpg", "-resize", "256x256", "b.jpg"});
    plan.convert({"a.jpg", "-crop", "512x512", "c_%d.jpg"});
    plan.convert({"x.jpg", "-resize", "50%", "a.jpg"});
    plan.convert({"a.jpg", "-resize", "256x256", "d.jpg"});
    plan.deleteFile("d.jpg");
    plan.convert({"a.jpg", "-crop", "512x512", "e_%d.jpg"});
    plan.convert({"b.jpg", "-crop", "256x256", "f_%d.jpg"});
    EXPECT_EQ(sharedReadGroups(plan), (std::vector<int>{0, 0, -1, 1, -1, 1, -1}));
}

}  // namespace
}  // namespace orvanta
