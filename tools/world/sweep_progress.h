// The sweep's progress on stderr with an estimate of the time left, whether
// its runs are processes or threads of its own.
#pragma once

#include <chrono>
#include <cstddef>

// One line rewritten in place on a terminal; elsewhere (a log) a line every
// ten seconds and the last one.
class Progress {
public:
    explicit Progress(size_t total);
    void update(size_t done, size_t running);

private:
    using Clock = std::chrono::steady_clock;
    size_t total_;
    Clock::time_point start_;
    Clock::time_point shown_;
};
