#include "tools/world/process_pool.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>

#include "tools/world/sweep_progress.h"

namespace {

// Where a child's standard error goes: a file in memory, so that a full
// disk cannot lose why a run failed; -1 when none can be made (the child
// then writes the command's error file).
int memoryForErrors() { return memfd_create("tovrine-run-stderr", MFD_CLOEXEC); }

// The last bytes of what a child wrote on standard error: enough for its
// last lines, whatever it wrote before.
std::string tailOf(int fd)
{
    constexpr off_t kept = 4096;
    struct stat status {};
    if (fd < 0 || fstat(fd, &status) != 0)
        return "";
    const off_t from = status.st_size > kept ? status.st_size - kept : 0;
    std::string text(static_cast<size_t>(status.st_size - from), '\0');
    const ssize_t got = pread(fd, text.data(), text.size(), from);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

std::string errorsOf(const PoolCommand& command, int memory)
{
    if (memory >= 0) {
        std::string said = tailOf(memory);
        close(memory);
        return said;
    }
    const int fd = open(command.errorPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    std::string said = tailOf(fd);
    if (fd >= 0)
        close(fd);
    unlink(command.errorPath.c_str());
    return said;
}

// In the child: dies with the parent, takes signals as usual again, stdout
// to nothing, stderr to memory or its file, then the program.
[[noreturn]] void execCommand(const PoolCommand& command, int memory, pid_t parent,
                              const sigset_t& mask)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(127);  // the parent died before the line above
    sigprocmask(SIG_SETMASK, &mask, nullptr);
    int devNull = open("/dev/null", O_WRONLY);
    int errors = memory;
    if (errors < 0) {
        // A new file of the run's own: a link planted under its name is not followed.
        unlink(command.errorPath.c_str());
        errors = open(command.errorPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0644);
    }
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

}  // namespace

std::string describeExit(int status)
{
    if (WIFEXITED(status))
        return "exited with code " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return "was killed by signal " + std::to_string(WTERMSIG(status)) + " (" +
               strsignal(WTERMSIG(status)) + ")";
    return "ended with wait status " + std::to_string(status);
}

PoolResult runProcessPool(const std::vector<PoolCommand>& commands, int width,
                          const PoolFinished& finished)
{
    // The signals are taken one at a time with sigtimedwait, so none is
    // lost between looking for ended children and waiting.
    sigset_t watched, previous;
    sigemptyset(&watched);
    for (int signal : {SIGCHLD, SIGTERM, SIGHUP, SIGINT})
        sigaddset(&watched, signal);
    sigprocmask(SIG_BLOCK, &watched, &previous);
    const pid_t self = getpid();

    PoolResult result;
    std::map<pid_t, size_t> running;
    std::map<pid_t, int> errorsIn;  // a child's memory for its stderr, or -1
    size_t next = 0;
    size_t done = 0;
    bool ok = true;
    Progress progress(commands.size());
    while (ok && (next < commands.size() || !running.empty())) {
        while (next < commands.size() && static_cast<int>(running.size()) < width) {
            std::fflush(nullptr);
            const int memory = memoryForErrors();
            pid_t child = fork();
            if (child < 0) {
                std::perror("tovrine-sweep: fork");
                if (memory >= 0)
                    close(memory);
                ok = false;
                break;
            }
            if (child == 0)
                execCommand(commands[next], memory, self, previous);
            errorsIn[child] = memory;
            running[child] = next++;
        }
        progress.update(done, running.size());
        if (running.empty())
            break;
        int status = 0;
        pid_t child = waitpid(-1, &status, WNOHANG);
        if (child == 0) {
            const timespec second{1, 0};
            const int signal = sigtimedwait(&watched, nullptr, &second);
            if (signal == SIGTERM || signal == SIGHUP || signal == SIGINT) {
                result.stopSignal = signal;
                ok = false;
            }
            continue;
        }
        if (child < 0)
            break;
        auto found = running.find(child);
        if (found == running.end())
            continue;
        const size_t index = found->second;
        running.erase(found);
        const std::string said = errorsOf(commands[index], errorsIn[child]);
        errorsIn.erase(child);
        // Ctrl-C reaches the runs too: one that died of it is not a failed
        // run but part of the stop.
        sigset_t pending;
        sigpending(&pending);
        for (int signal : {SIGTERM, SIGHUP, SIGINT})
            if (sigismember(&pending, signal)) {
                // Taken now, or it would end this process when the mask
                // is restored, before the folder says it was stopped.
                sigset_t one;
                sigemptyset(&one);
                sigaddset(&one, signal);
                const timespec now{0, 0};
                sigtimedwait(&one, nullptr, &now);
                result.stopSignal = signal;
                ok = false;
                break;
            }
        if (!ok)
            break;
        done += 1;
        ok = finished(index, status, said);
    }
    if (ok)
        progress.update(done, 0);
    // A failed run or a stop ends the others: they are not worth waiting for.
    for (const auto& child : running)
        kill(child.first, SIGTERM);
    for (const auto& child : running)
        waitpid(child.first, nullptr, 0);
    for (const auto& child : running)
        errorsOf(commands[child.second], errorsIn[child.first]);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    result.complete = ok && done == commands.size();
    return result;
}
