// The scheduler of masume-batch's jobs: order, the number of jobs, the
// memory budget and waiting for an earlier job.

#include "batch/ParallelRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

using namespace masume::batch;

namespace {

// What the tasks saw while they ran.
struct Watch
{
    std::mutex mutex;
    int running = 0, mostRunning = 0;
    uint64_t weight = 0, mostWeightTogether = 0;
    std::vector<size_t> alone; // tasks that ran with no other

    void enter(size_t task, uint64_t w)
    {
        std::lock_guard lock(mutex);
        ++running;
        weight += w;
        mostRunning = std::max(mostRunning, running);
        if (running > 1)
            mostWeightTogether = std::max(mostWeightTogether, weight);
    }
    void leave(size_t task, uint64_t w)
    {
        std::lock_guard lock(mutex);
        if (running == 1 && weight == w)
            alone.push_back(task);
        --running;
        weight -= w;
    }
};

} // namespace

TEST(ParallelRun, StartsInOrderWithinTheJobsAndTheBudget)
{
    // Task 4 alone is larger than the budget: it runs, but with no other.
    const std::vector<uint64_t> weights = {3, 3, 3, 1, 12, 2, 2, 2, 5, 5, 1, 1};
    Watch watch;
    std::vector<size_t> started, finished;
    ParallelRun run;
    run.count = weights.size();
    run.jobs = 3;
    run.budget = 8;
    run.plan = [&](size_t i) { return TaskPlan {TaskPlan::Start::Run, weights[i]}; };
    run.started = [&](size_t i) { started.push_back(i); };
    run.work = [&](size_t i) {
        watch.enter(i, weights[i]);
        std::this_thread::sleep_for(std::chrono::milliseconds(3 + int(i % 3)));
        watch.leave(i, weights[i]);
    };
    run.finished = [&](size_t i) { finished.push_back(i); };
    runParallel(run);

    EXPECT_TRUE(std::is_sorted(started.begin(), started.end()));
    EXPECT_EQ(started.size(), weights.size());
    std::sort(finished.begin(), finished.end());
    EXPECT_EQ(finished, started);
    EXPECT_LE(watch.mostRunning, 3);
    EXPECT_GE(watch.mostRunning, 2) << "tasks ran at the same time";
    EXPECT_LE(watch.mostWeightTogether, 8u);
    EXPECT_NE(std::find(watch.alone.begin(), watch.alone.end(), 4u), watch.alone.end());
}

TEST(ParallelRun, SkippedAndWaitingTasks)
{
    // Task 2 must not start while task 0 runs; task 1 is skipped.
    std::mutex mutex;
    bool zeroRunning = false, overlapped = false;
    std::vector<size_t> finished;
    ParallelRun run;
    run.count = 4;
    run.jobs = 4;
    run.budget = 100;
    run.plan = [&](size_t i) {
        if (i == 1)
            return TaskPlan {TaskPlan::Start::Skip, 0};
        const bool zeroDone = std::find(finished.begin(), finished.end(), 0u) != finished.end();
        if (i == 2 && !zeroDone)
            return TaskPlan {TaskPlan::Start::Wait, 0};
        return TaskPlan {TaskPlan::Start::Run, 1};
    };
    run.work = [&](size_t i) {
        {
            std::lock_guard lock(mutex);
            if (i == 0)
                zeroRunning = true;
            if (i == 2 && zeroRunning)
                overlapped = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(i == 0 ? 20 : 1));
        std::lock_guard lock(mutex);
        if (i == 0)
            zeroRunning = false;
    };
    run.finished = [&](size_t i) { finished.push_back(i); };
    runParallel(run);

    EXPECT_FALSE(overlapped);
    ASSERT_EQ(finished.size(), 4u);
    EXPECT_EQ(finished[0], 1u) << "a skipped task finishes at once";
    EXPECT_LT(std::find(finished.begin(), finished.end(), 0u),
              std::find(finished.begin(), finished.end(), 2u));
}
