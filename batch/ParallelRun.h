#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace masume::batch {

// How a task may start, decided on the calling thread just before it would.
struct TaskPlan
{
    enum class Start {
        Run, // on a thread of its own, holding `weight` of the budget
        Skip, // finished at once, without a thread
        Wait, // not before a running task has finished; asked again then
    };
    Start start = Start::Run;
    uint64_t weight = 0;
};

// Tasks 0 .. count - 1, started in this order, up to `jobs` of them running
// at once, each on a thread of its own. A task starts only while the
// weights of the running tasks and its own stay within `budget`, except
// that a task always starts when none is running (it then meets the limits
// alone, as it would one after another).
//
// plan, started and finished run on the calling thread, one at a time and
// never while another of them runs; work runs on the task's thread and must
// not throw. finished is called in the order the tasks finish.
struct ParallelRun
{
    size_t count = 0;
    int jobs = 1;
    uint64_t budget = 0;
    std::function<TaskPlan(size_t task)> plan;
    std::function<void(size_t task)> started;
    std::function<void(size_t task)> work;
    std::function<void(size_t task)> finished;
};

void runParallel(const ParallelRun &run);

} // namespace masume::batch
