// Steps of a plan run by a pool of workers: the same outcome, messages and files as a run one
// step after another, dependencies and the memory cap kept, and no worker outliving the run.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "app/error_policy.h"
#include "tiling/shared_decodes.h"
#include "tiling/tiling_rig.h"

namespace orvanta {
namespace {

using namespace std::chrono_literals;
using testing::TilingRig;

// Stands in for the image tool without touching the disk: each call takes a while, counts
// how many run at once, and fails with its scripted error.
struct SlowConvert {
    std::map<std::string, RunError> failures;  // by output file
    std::map<std::string, std::chrono::milliseconds> delays;
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
            std::this_thread::sleep_for(delay == delays.end() ? 5ms : delay->second);
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

// Eight independent operations; the third one is slow, so that later ones end before it.
TilePlan independentPlan(const std::vector<std::string>& extra = {}) {
    TilePlan plan;
    for (int i = 0; i < 8; ++i) {
        std::vector<std::string> args{"in" + std::to_string(i) + ".jpg"};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back("out" + std::to_string(i) + ".jpg");
        plan.convert(args);
    }
    return plan;
}

struct RunOutcome {
    bool goOn = false;
    bool clean = false;
    int skipped = 0;
    std::vector<testing::FakeHost::Message> messages;
};

RunOutcome runWith(int jobs, SlowConvert& convert, const TilePlan& plan) {
    TilingRig rig;
    RunErrorPolicy policy(rig.app);
    RunOutcome outcome;
    outcome.goOn = executePlan(plan, policy, convert.runner(), {jobs});
    EXPECT_EQ(convert.running, 0) << "a worker still runs after the plan";
    outcome.skipped = policy.skippedSteps();
    outcome.clean = policy.finish();
    outcome.messages = rig.host.messages;
    return outcome;
}

TEST(ConcurrentPlan, SkippedFailuresAreReportedAsInARunOneStepAfterAnother) {
    auto script = [](SlowConvert& convert) {
        convert.delays["out2.jpg"] = 60ms;
        convert.failures.emplace("out2.jpg", RunError(errors::ImageTool, "first broken"));
        convert.failures.emplace("out6.jpg", RunError(errors::ImageTool, "second broken"));
    };
    SlowConvert one, four;
    script(one);
    script(four);
    const RunOutcome sequential = runWith(1, one, independentPlan());
    const RunOutcome concurrent = runWith(4, four, independentPlan());

    EXPECT_GT(four.mostRunning, 1);
    // The slow failing step ended after later ones; its error is still reported first.
    const auto position = [&](const std::string& output) {
        return std::find(four.finished.begin(), four.finished.end(), output) -
               four.finished.begin();
    };
    EXPECT_GT(position("out2.jpg"), position("out3.jpg"));
    EXPECT_TRUE(concurrent.goOn);
    EXPECT_FALSE(concurrent.clean);
    EXPECT_EQ(concurrent.skipped, 2);
    EXPECT_EQ(concurrent.goOn, sequential.goOn);
    EXPECT_EQ(concurrent.skipped, sequential.skipped);
    ASSERT_EQ(concurrent.messages.size(), 1u);
    EXPECT_EQ(concurrent.messages, sequential.messages);
    EXPECT_NE(concurrent.messages[0].text.find("first broken"), std::string::npos);
}

TEST(ConcurrentPlan, AnEndingFailureStartsNoFurtherStepAndLeavesNoWorkerRunning) {
    auto script = [](SlowConvert& convert) {
        for (int i = 0; i < 8; ++i)
            convert.delays["out" + std::to_string(i) + ".jpg"] = 40ms;
        convert.delays["out1.jpg"] = 5ms;
        convert.failures.emplace("out1.jpg", RunError(57, "device I/O error"));
    };
    SlowConvert one, four;
    script(one);
    script(four);
    const RunOutcome sequential = runWith(1, one, independentPlan());
    const RunOutcome concurrent = runWith(4, four, independentPlan());

    EXPECT_FALSE(concurrent.goOn);
    EXPECT_EQ(concurrent.messages, sequential.messages);
    ASSERT_EQ(concurrent.messages.size(), 1u);
    EXPECT_EQ(concurrent.messages[0].text, "57 device I/O error");
    EXPECT_EQ(one.calls, 2);
    // Steps started before the failure was known end; none starts afterwards.
    EXPECT_LE(four.calls, 4);
    const int callsAfterRun = four.calls;
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(four.calls, callsAfterRun);
    EXPECT_EQ(four.running, 0);
}

// Cancelling throws from the observer after a step: the exception leaves the run, no step
// starts afterwards and no worker is left behind.
TEST(ConcurrentPlan, CancelAfterAStepStopsTheWorkers) {
    struct Cancelled {};
    SlowConvert convert;
    // The first two end at once; the others take long enough for the cancel to come first.
    for (int i = 2; i < 8; ++i)
        convert.delays["out" + std::to_string(i) + ".jpg"] = 150ms;
    TilingRig rig;
    RunErrorPolicy policy(rig.app);
    std::vector<std::size_t> observed;
    auto cancelAtSecond = [&](std::size_t step) {
        observed.push_back(step);
        if (step == 1)
            throw Cancelled{};
    };
    EXPECT_THROW(executePlan(independentPlan(), policy, convert.runner(), {4}, cancelAtSecond),
                 Cancelled);
    EXPECT_EQ(observed, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(convert.running, 0);
    const int callsAfterRun = convert.calls;
    // The first four started at once; at most two more, taken by the workers freed before the
    // cancel was seen; never the last two.
    EXPECT_GE(callsAfterRun, 4);
    EXPECT_LE(callsAfterRun, 6);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(convert.calls, callsAfterRun);
}

TEST(ConcurrentPlan, StepsWaitForWhatTheyReadAndMemoryBoundOperationsShareTheBudget) {
    TilePlan plan;
    plan.convert({"source.jpg", "-crop", "512x512", "piece_%d.jpg"});
    for (int q = 0; q < 4; ++q) {
        const std::string piece = "piece_" + std::to_string(q) + ".jpg";
        plan.convert({piece, "-limit", "memory", "512MiB", "-resize", "256x256", "t" + piece});
    }
    SlowConvert convert;
    convert.delays["piece_%d.jpg"] = 30ms;
    for (int q = 0; q < 4; ++q)
        convert.delays["tpiece_" + std::to_string(q) + ".jpg"] = 30ms;
    TilingRig rig;
    RunErrorPolicy policy(rig.app);
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
    for (int q = 0; q < 6; ++q)
        four.delays["t" + std::to_string(q) + ".jpg"] = 30ms;
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

TEST(ConcurrentPlan, MemoryLimitIsReadFromTheOperation) {
    EXPECT_EQ(memoryLimitMb({{"a.jpg", "-limit", "memory", "512MiB", "b.jpg"}}), 512);
    EXPECT_EQ(memoryLimitMb({{"a.jpg", "-limit", "Memory", "2GiB", "b.jpg"}}), 2048);
    EXPECT_EQ(memoryLimitMb({{"a.jpg", "-limit", "map", "4096MiB", "b.jpg"}}), 0);
    EXPECT_EQ(memoryLimitMb({{"a.jpg", "-resize", "256x256", "b.jpg"}}), 0);
}

}  // namespace
}  // namespace orvanta
