// Runs tasks on a few threads of this process, and tells the caller as each
// one ends: the sweep's runs as worlds of its own process.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>

#include "tools/world/process_pool.h"  // PoolResult

// Runs task `index` on a worker thread; false with `error` set when it
// failed. It should give up soon after `stop` becomes true.
using PoolTask =
    std::function<bool(size_t index, const std::atomic<bool>& stop, std::string& error)>;
// Called as each task ends, one call at a time, on the thread that ran it;
// false stops the pool (the running tasks are told to stop).
using PoolTaskEnded = std::function<bool(size_t index, bool succeeded, const std::string& error)>;

// At most `width` tasks at once, started in index order. A SIGTERM, SIGHUP
// or SIGINT to this process stops them and returns it; a task cut short by
// a stop is neither reported nor counted. Shows progress on stderr.
PoolResult runThreadPool(size_t count, int width, const PoolTask& task, const PoolTaskEnded& ended);
