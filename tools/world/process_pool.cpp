#include "tools/world/process_pool.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>

namespace {

using Clock = std::chrono::steady_clock;

// In the child: stdout to nothing, stderr to its file, then the program.
[[noreturn]] void execCommand(const PoolCommand& command)
{
    int devNull = open("/dev/null", O_WRONLY);
    int errors = open(command.errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (devNull >= 0)
        dup2(devNull, STDOUT_FILENO);
    if (errors >= 0)
        dup2(errors, STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& arg : command.argv)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    std::fprintf(stderr, "cannot run %s\n", argv[0]);
    _exit(127);
}

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

// One line rewritten in place on a terminal; elsewhere (a log) a line every
// ten seconds and the last one.
class Progress {
public:
    explicit Progress(size_t total) : total_(total), start_(Clock::now()), shown_(start_) {}

    void update(size_t done, size_t running)
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

private:
    size_t total_;
    Clock::time_point start_;
    Clock::time_point shown_;
};

}  // namespace

bool runProcessPool(const std::vector<PoolCommand>& commands, int width,
                    const PoolFinished& finished)
{
    std::map<pid_t, size_t> running;
    size_t next = 0;
    size_t done = 0;
    bool ok = true;
    Progress progress(commands.size());
    while (ok && (next < commands.size() || !running.empty())) {
        while (next < commands.size() && static_cast<int>(running.size()) < width) {
            std::fflush(nullptr);
            pid_t child = fork();
            if (child < 0) {
                std::perror("tovrine-sweep: fork");
                ok = false;
                break;
            }
            if (child == 0)
                execCommand(commands[next]);
            running[child] = next++;
        }
        progress.update(done, running.size());
        if (running.empty())
            break;
        int status = 0;
        pid_t child = waitpid(-1, &status, 0);
        if (child < 0)
            break;
        auto found = running.find(child);
        if (found == running.end())
            continue;
        const size_t index = found->second;
        running.erase(found);
        done += 1;
        const bool succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        ok = finished(index, succeeded);
    }
    if (ok)
        progress.update(done, 0);
    // A failed run stops the sweep: the others are not worth waiting for.
    for (const auto& child : running)
        kill(child.first, SIGTERM);
    for (const auto& child : running)
        waitpid(child.first, nullptr, 0);
    return ok && done == commands.size();
}
