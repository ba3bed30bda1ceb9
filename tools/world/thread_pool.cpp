#include "tools/world/thread_pool.h"

#include <signal.h>

#include <algorithm>
#include <ctime>
#include <mutex>
#include <thread>
#include <vector>

#include "tools/world/sweep_progress.h"

namespace {

// What the workers share; `lock` guards `done`, `running`, `failed` and
// the progress line.
struct PoolState {
    size_t count = 0;
    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};
    std::atomic<size_t> workersLeft{0};
    std::mutex lock;
    size_t done = 0;
    size_t running = 0;
    bool failed = false;
};

void work(PoolState& state, Progress& progress, const PoolTask& task, const PoolTaskEnded& ended)
{
    for (;;) {
        const size_t index = state.next++;
        if (index >= state.count || state.stop)
            break;
        {
            std::lock_guard<std::mutex> held(state.lock);
            state.running += 1;
        }
        std::string error;
        const bool succeeded = task(index, state.stop, error);
        std::lock_guard<std::mutex> held(state.lock);
        state.running -= 1;
        if (state.stop && !succeeded)
            break;
        state.done += 1;
        if (!ended(index, succeeded, error)) {
            state.failed = true;
            state.stop = true;
            break;
        }
        progress.update(state.done, state.running);
    }
    state.workersLeft -= 1;
}

}  // namespace

PoolResult runThreadPool(size_t count, int width, const PoolTask& task, const PoolTaskEnded& ended)
{
    // Blocked before the workers start, so that they inherit the mask and
    // only this thread takes the signals, with sigtimedwait.
    sigset_t watched, previous;
    sigemptyset(&watched);
    for (int signal : {SIGTERM, SIGHUP, SIGINT})
        sigaddset(&watched, signal);
    pthread_sigmask(SIG_BLOCK, &watched, &previous);

    PoolState state;
    state.count = count;
    Progress progress(count);
    progress.update(0, 0);
    const size_t workers = std::min<size_t>(count, static_cast<size_t>(std::max(width, 1)));
    state.workersLeft = workers;
    std::vector<std::thread> threads;
    for (size_t i = 0; i < workers; ++i)
        threads.emplace_back(work, std::ref(state), std::ref(progress), std::cref(task),
                             std::cref(ended));
    PoolResult result;
    while (state.workersLeft > 0) {
        const timespec wait{0, 20 * 1000 * 1000};
        const int signal = sigtimedwait(&watched, nullptr, &wait);
        if (signal == SIGTERM || signal == SIGHUP || signal == SIGINT) {
            result.stopSignal = signal;
            state.stop = true;
        }
    }
    for (std::thread& thread : threads)
        thread.join();
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    result.complete = !state.failed && result.stopSignal == 0 && state.done == count;
    return result;
}
