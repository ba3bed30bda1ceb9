#include "host/sdl/saver_stop.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int stopSignals[] = {SIGTERM, SIGINT, SIGHUP};

volatile sig_atomic_t stopping = 0;
volatile sig_atomic_t caughtSignal = 0;
int wakePipe[2] = {-1, -1};

void wake()
{
    if (wakePipe[1] >= 0) {
        char byte = 1;
        // Full pipe: it is readable already.
        ssize_t written = write(wakePipe[1], &byte, 1);
        (void)written;
    }
}

void defaultAction(int signal)
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

// End by the signal now, whatever the process was doing.
void dieBy(int signal)
{
    defaultAction(signal);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(signal);
    _exit(128 + signal);
}

// Xlib waits again after a signal, so a stopped X server would keep a
// frame, and with it the stop, waiting for ever.
void onStall(int) { dieBy(caughtSignal != 0 ? caughtSignal : SIGTERM); }

void onStopSignal(int signal)
{
    int saved = errno;
    if (caughtSignal == 0) {
        caughtSignal = signal;
        alarm(1);
        // A second signal is not caught: it ends the process at once.
        for (int s : stopSignals)
            defaultAction(s);
    }
    stopping = 1;
    wake();
    errno = saved;
}

void catchWith(int signal, void (*handler)(int))
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    for (int s : stopSignals)
        sigaddset(&action.sa_mask, s);
    // SA_RESTART: the stop is seen through the flag and the pipe; other
    // calls (reading a file, Xlib's) simply go on.
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

}  // namespace

void catchStopSignals()
{
    if (wakePipe[0] < 0 && pipe(wakePipe) == 0) {
        for (int fd : wakePipe) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
            fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
    }
    catchWith(SIGALRM, onStall);
    for (int s : stopSignals)
        catchWith(s, onStopSignal);
}

void requestStop()
{
    stopping = 1;
    wake();
}

bool stopRequested() { return stopping != 0; }

const volatile std::sig_atomic_t* stopFlag() { return &stopping; }

int stopWakeFd() { return wakePipe[0]; }

void endProcess(int code)
{
    std::fflush(nullptr);
    if (caughtSignal != 0)
        dieBy(caughtSignal);
    std::exit(code);
}
