#include "tools/world/sweep_progress.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

std::string clockText(double seconds)
{
    const long whole = static_cast<long>(seconds + 0.5);
    char text[32];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60,
                      whole % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

}  // namespace

Progress::Progress(size_t total) : total_(total), start_(Clock::now()), shown_(start_) {}

void Progress::update(size_t done, size_t running)
{
    const auto now = Clock::now();
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    const bool terminal = isatty(STDERR_FILENO) != 0;
    if (!terminal && done < total_ && now - shown_ < std::chrono::seconds(10))
        return;
    shown_ = now;
    std::string left = done == 0 ? "?" : clockText(elapsed / done * (total_ - done));
    std::fprintf(stderr, "%ssweep: %zu/%zu runs done, %zu running, %s elapsed, about %s left%s",
                 terminal ? "\r" : "", done, total_, running, clockText(elapsed).c_str(),
                 left.c_str(), terminal && done < total_ ? "   " : "\n");
    std::fflush(stderr);
}
