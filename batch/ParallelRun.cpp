#include "batch/ParallelRun.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace masume::batch {

namespace {

// Finished tasks handed from their threads to the calling thread.
struct Mailbox
{
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<size_t> done;

    void post(size_t task)
    {
        {
            std::lock_guard lock(mutex);
            done.push_back(task);
        }
        ready.notify_one();
    }
    size_t take()
    {
        std::unique_lock lock(mutex);
        ready.wait(lock, [this] { return !done.empty(); });
        const size_t task = done.front();
        done.pop_front();
        return task;
    }
};

} // namespace

void runParallel(const ParallelRun &run)
{
    Mailbox mailbox;
    std::vector<std::thread> threads(run.count);
    std::vector<uint64_t> weights(run.count, 0);
    const size_t jobs = size_t(run.jobs < 1 ? 1 : run.jobs);
    size_t next = 0, running = 0;
    uint64_t held = 0;
    // The plan of task `next`, kept while it waits for room in the budget.
    TaskPlan plan;
    bool planned = false;

    const auto finish = [&](size_t task) {
        if (threads[task].joinable())
            threads[task].join();
        held -= weights[task];
        if (run.finished)
            run.finished(task);
    };

    while (next < run.count || running > 0) {
        // Start what may start, in order.
        while (next < run.count && running < jobs) {
            if (!planned) {
                plan = run.plan ? run.plan(next) : TaskPlan {};
                planned = true;
            }
            if (plan.start == TaskPlan::Start::Wait && running > 0) {
                planned = false; // asked again after the next finish
                break;
            }
            if (plan.start == TaskPlan::Start::Skip) {
                planned = false;
                weights[next] = 0;
                finish(next++);
                continue;
            }
            const uint64_t weight = plan.weight;
            if (running > 0 && (weight > run.budget || held + weight > run.budget))
                break;
            planned = false;
            weights[next] = weight;
            held += weight;
            ++running;
            if (run.started)
                run.started(next);
            const auto body = [&run, &mailbox, task = next] {
                run.work(task);
                mailbox.post(task);
            };
            try {
                threads[next] = std::thread(body);
            } catch (const std::system_error &) {
                body(); // no thread to be had: the task runs here
            }
            ++next;
        }
        if (running == 0)
            continue;
        const size_t task = mailbox.take();
        --running;
        finish(task);
    }
}

} // namespace masume::batch
