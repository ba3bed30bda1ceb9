// The Linux saver's loop: the display and the window, the world's set-up,
// then one frame per tick of the clock until a signal, the user or a
// vanished window ends the run. Between frames it waits on the stop's pipe
// and the X connection together, so that neither a stop nor the user waits
// for the tick.
#include <poll.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/sdl/frame_clock.h"
#include "host/sdl/frame_timing.h"
#include "host/sdl/saver_host.h"
#include "host/sdl/saver_stop.h"
#include "host/x11/x11_window.h"

namespace {

constexpr int32_t exitFailure = 1;
// Fewer bits per pixel than this and the world's colours cannot be shown.
constexpr int32_t leastDepth = 15;
// How long the notices of a run started by hand stay on the picture.
constexpr double noticeMs = 5000;

int64_t nowUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

class FpsCounter {
public:
    void frameRan()
    {
        ++frames_;
        double now = steadyMs();
        double span = (now - sinceMs_) / 1000.0;
        if (span >= 1.0) {
            char text[32];
            std::snprintf(text, sizeof text, "%.1f fps", frames_ / span);
            text_ = text;
            frames_ = 0;
            sinceMs_ = now;
        }
    }
    const std::string& text() const { return text_; }

private:
    double sinceMs_ = steadyMs();
    int64_t frames_ = 0;
    std::string text_;
};

// -bench: the frame whole, the part of it spent presenting, and the
// processor time it took.
class BenchTimings {
public:
    void begin()
    {
        wallStartMs_ = steadyMs();
        processorStartMs_ = processorMs();
    }
    // The frame is drawn; what follows is presenting it.
    void drawn() { presentStartMs_ = steadyMs(); }
    void end()
    {
        double now = steadyMs();
        wall_.add(now - wallStartMs_);
        present_.add(now - presentStartMs_);
        processor_.add(processorMs() - processorStartMs_);
    }
    int64_t frames() const { return wall_.count; }
    void print() const
    {
        std::printf("%lld frames (simulation, drawing, presenting), mean and worst in ms, "
                    "frames over 5 ms:\n"
                    "  wall clock %.3f %.3f %lld, of it presenting %.3f %.3f\n"
                    "  processor  %.3f %.3f %lld\n",
                    static_cast<long long>(wall_.count), wall_.meanMs(), wall_.maxMs,
                    static_cast<long long>(wall_.over5Ms), present_.meanMs(), present_.maxMs,
                    processor_.meanMs(), processor_.maxMs,
                    static_cast<long long>(processor_.over5Ms));
    }

private:
    double wallStartMs_ = 0, presentStartMs_ = 0, processorStartMs_ = 0;
    TimeSpread wall_, present_, processor_;
};

void lostWindow() { requestStop(); }

// Xlib lets no program go on without its connection: the message, then the
// end (by the stop's signal, if the daemon sent one first).
void lostServer(const char* displayName)
{
    reportFailure(std::string("lost the display \"") + displayName +
                  "\": its X server ended or closed the connection");
    endProcess(exitFailure);
}

struct Loop {
    const SaverRun& run;
    int32_t givenWidth = 0;
    int32_t givenHeight = 0;
    // What the wait between frames polls: SDL's connection for the saver's
    // own window, ours for a given one (whose events SDL never reads).
    int xFd = -1;
    // A picture was sent since the last look: Xlib may have queued events
    // while it waited for the server, and those never make the socket
    // readable again. Without one, the poll tells when to look.
    bool lookDue = true;
};

// The keys and clicks of the saver's own window; false when they end the
// run. Full screen, anything but a function key ends it, as on Windows.
bool answerInput(const SaverRun& run)
{
    WindowInput input = pumpWindowInput();
    if (input.closeRequested)
        return false;
    const bool fullScreen = run.window.kind == WindowKind::fullScreen;
    if (fullScreen && input.clicked)
        return false;
    for (const std::string& key : input.keys) {
        if (!pressSaverKey(key) && fullScreen)
            return false;
    }
    return true;
}

// A given window: false once it is gone; taken again when its size changed.
bool followGivenWindow(Loop& loop)
{
    WindowNews news = readWindowNews();
    if (news.gone)
        return false;
    if (news.exposed)
        refreshWindowDisplay();
    if (news.resized && (news.width != loop.givenWidth || news.height != loop.givenHeight)) {
        loop.givenWidth = news.width;
        loop.givenHeight = news.height;
        std::string error;
        return retakeGivenWindow(error);
    }
    return true;
}

// What happened since the last look; false when the run is to end.
bool lookAround(Loop& loop)
{
    if (stopRequested())
        return false;
    bool goOn =
        loop.run.window.kind == WindowKind::given ? followGivenWindow(loop) : answerInput(loop.run);
    return goOn && !stopRequested();
}

// Until the next frame is due, answering what comes meanwhile; false when
// the run is to end. A look empties the connection's queue, so what comes
// after it makes the socket readable and ends the poll.
bool waitForFrame(Loop& loop, const FrameClock& clock)
{
    pollfd fds[2] = {{stopWakeFd(), POLLIN, 0}, {loop.xFd, POLLIN, 0}};
    if (loop.lookDue && !lookAround(loop))
        return false;
    loop.lookDue = false;
    for (;;) {
        int64_t wait = waitBeforeFrame(clock, nowUs());
        if (wait == 0)
            return true;
        timespec timeout = {static_cast<time_t>(wait / 1000000),
                            static_cast<long>(wait % 1000000) * 1000};
        int ready = ppoll(fds, 2, &timeout, nullptr);
        if (stopRequested() || (ready > 0 && !lookAround(loop)))
            return false;
    }
}

int32_t runFrames(const SaverRun& run)
{
    Loop loop{run};
    void* own = ownWindowConnection();
    loop.xFd = own ? connectionFd(own) : x11ConnectionFd();
    FpsCounter fps;
    BenchTimings timings;
    SaverOverlay overlay;
    overlay.notices = run.notices;
    const double startMs = steadyMs();
    FrameClock clock = startFrameClock(run.delayMicroseconds, nowUs());
    PresentClock pictures = startPresentClock(windowRefreshRate(), nowUs());
    for (;;) {
        if (run.benchFrames > 0 ? !lookAround(loop) : !waitForFrame(loop, clock))
            return 0;
        timings.begin();
        if (run.showFps)
            overlay.fps = fps.text();
        if (!overlay.notices.empty() && steadyMs() - startMs >= noticeMs)
            overlay.notices.clear();
        std::string error;
        if (!runSaverFrame(overlay, error))
            return reportFailure(error);
        timings.drawn();
        // -bench shows every frame: it times what a frame costs in full.
        if (run.benchFrames > 0 || presentDue(pictures, nowUs())) {
            presentWindowDisplay();
            presented(pictures, nowUs());
            loop.lookDue = true;
        }
        fps.frameRan();
        if (run.benchFrames > 0) {
            timings.end();
            if (timings.frames() >= run.benchFrames) {
                timings.print();
                return 0;
            }
            continue;
        }
        frameDone(clock, nowUs());
    }
}

// The largest size of the aspect ratio of width x height within the screen.
void fitWithin(const ScreenFacts& screen, int32_t& width, int32_t& height)
{
    if (width <= 0 || height <= 0 || screen.width <= 0 || screen.height <= 0)
        return;
    if (width <= screen.width && height <= screen.height)
        return;
    if (static_cast<int64_t>(width) * screen.height > static_cast<int64_t>(height) * screen.width) {
        height = static_cast<int32_t>(static_cast<int64_t>(height) * screen.width / width);
        width = screen.width;
    } else {
        width = static_cast<int32_t>(static_cast<int64_t>(width) * screen.height / height);
        height = screen.height;
    }
}

// With the X connection open: the window, the world, the frames.
int32_t runOnDisplay(SaverRun& run)
{
    ScreenFacts screen = defaultScreenFacts();
    int32_t depth = screen.depth;
    WindowRequest& window = run.window;
    window.stopFlag = stopFlag();
    if (window.kind == WindowKind::given) {
        if (window.windowId == 0)
            window.windowId = rootTargetWindow();
        if (!watchWindow(window.windowId, depth)) {
            char id[32];
            std::snprintf(id, sizeof id, "0x%llx",
                          static_cast<unsigned long long>(window.windowId));
            return reportFailure(std::string("there is no window ") + id);
        }
    }
    if (depth < leastDepth)
        return reportFailure("cannot show the world on a display of " + std::to_string(depth) +
                             " bits per pixel (16 or 24 are needed)");
    if (window.kind == WindowKind::framed) {
        if (window.windowWidth <= 0 || window.windowHeight <= 0) {
            window.windowWidth = window.width;
            window.windowHeight = window.height;
        }
        fitWithin(screen, window.windowWidth, window.windowHeight);
        // As X11 reads -geometry: "-X" puts the window's right edge X from
        // the screen's.
        if (window.placed && window.fromRight)
            window.x = screen.width - window.windowWidth - window.x;
        if (window.placed && window.fromBottom)
            window.y = screen.height - window.windowHeight - window.y;
        window.fromRight = window.fromBottom = false;
    }
    std::string error;
    if (!startWindowVideo(error))
        return reportFailure(error);
    installQuietXErrors(lostWindow, lostServer);
    int32_t result = 0;
    Display display;
    if (!openWindowDisplay(display, window, error))
        result = stopRequested() ? 0 : reportFailure(error);
    else if (buildSaverWorld(display, run.record, run.seed, error))
        result = runFrames(run);
    else if (!error.empty())
        result = reportFailure(error);
    endSaverRun();
    closeWindowDisplay();
    return result;
}

}  // namespace

int32_t reportFailure(const std::string& message)
{
    size_t start = 0;
    while (start < message.size()) {
        size_t end = message.find('\n', start);
        if (end == std::string::npos)
            end = message.size();
        std::fprintf(stderr, "tovrine: %s\n", message.substr(start, end - start).c_str());
        start = end + 1;
    }
    return exitFailure;
}

int32_t runSaver(SaverRun run)
{
    if (stopRequested())
        return 0;
    // Before any connection: one that breaks at once ends quietly too.
    installQuietXErrors(lostWindow, lostServer);
    std::string error;
    if (!openX11Display(run.displayName, error))
        return reportFailure(error);
    // SDL opens its own connection, to the display that DISPLAY names: the
    // same one. The only place -display reaches the environment.
    if (!run.displayName.empty())
        setenv("DISPLAY", run.displayName.c_str(), 1);
    int32_t result = runOnDisplay(run);
    closeX11Display();
    return result;
}
