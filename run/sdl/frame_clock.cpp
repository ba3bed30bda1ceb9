#include "run/sdl/frame_clock.h"

#include <time.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

#include "host/x11/x11_window.h"
#include "render/glyph_font.h"
#include "render/sdl/resource_directory.h"
#include "run/frame_driver.h"
#include "run/function_keys.h"
#include "run/world_setup.h"
#include "sim/random.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int exitFailure = 1;

int fail(const std::string& message)
{
    std::fprintf(stderr, "tovrine: %s\n", message.c_str());
    return exitFailure;
}

void lostWindow() { windowDisplayStop = 1; }

// Sleeps until `deadline`; a signal cuts the sleep short.
void sleepUntil(Clock::time_point deadline)
{
    while (!windowDisplayStop) {
        auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero())
            return;
        auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        timespec wait = {static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        if (nanosleep(&wait, nullptr) != 0 && errno == EINTR)
            continue;
    }
}

class FpsCounter {
public:
    void frameShown()
    {
        ++frames_;
        auto now = Clock::now();
        auto span = std::chrono::duration<double>(now - since_).count();
        if (span >= 1.0) {
            char text[32];
            std::snprintf(text, sizeof text, "%.1f fps", frames_ / span);
            text_ = text;
            frames_ = 0;
            since_ = now;
        }
    }
    // Bottom left, clear of the cloud and the countdown.
    void draw() const
    {
        if (!text_.empty())
            drawGdiText(primarySurface, text_.c_str(), 4, displayHeight - 18, overlayFontHandle(),
                        textColour, opaqueBackground);
    }

private:
    Clock::time_point since_ = Clock::now();
    int64_t frames_ = 0;
    std::string text_;
};

// This thread's processor time: unlike the wall clock it leaves out the
// time other programs held the processor, which on a busy machine is most
// of a slow frame.
double processorMs()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

// Worst and mean of one part of a frame.
struct Spread {
    double total = 0;
    double worst = 0;
    int64_t over5 = 0;  // frames over 5 ms, the budget of a frame of the tick
    void add(double ms)
    {
        total += ms;
        worst = std::max(worst, ms);
        over5 += ms > 5.0;
    }
};

class Timings {
public:
    void begin()
    {
        wallStart_ = Clock::now();
        processorStart_ = processorMs();
    }
    // The frame is drawn; what follows is presenting it.
    void drawn() { presentStart_ = Clock::now(); }
    void end()
    {
        auto now = Clock::now();
        wall_.add(std::chrono::duration<double, std::milli>(now - wallStart_).count());
        present_.add(std::chrono::duration<double, std::milli>(now - presentStart_).count());
        processor_.add(processorMs() - processorStart_);
        ++frames_;
    }
    int64_t frames() const { return frames_; }
    void print() const
    {
        double n = frames_ ? static_cast<double>(frames_) : 1.0;
        std::printf("%lld frames (simulation, drawing, presenting), mean and worst in ms, "
                    "frames over 5 ms:\n"
                    "  wall clock %.3f %.3f %lld, of it presenting %.3f %.3f\n"
                    "  processor  %.3f %.3f %lld\n",
                    static_cast<long long>(frames_), wall_.total / n, wall_.worst,
                    static_cast<long long>(wall_.over5), present_.total / n, present_.worst,
                    processor_.total / n, processor_.worst,
                    static_cast<long long>(processor_.over5));
    }

private:
    Clock::time_point wallStart_, presentStart_;
    double processorStart_ = 0;
    Spread wall_, present_, processor_;
    int64_t frames_ = 0;
};

// The keys of the saver's own window; false when the run is to end.
bool answerInput(const SaverRun& run)
{
    WindowInput input = pumpWindowInput();
    if (input.closeRequested)
        return false;
    if (run.window.kind == WindowKind::fullScreen && input.otherInput)
        return false;
    const FunctionKey keys[4] = {FunctionKey::f1, FunctionKey::f2, FunctionKey::f3,
                                 FunctionKey::f12};
    for (int i = 0; i < 4; ++i) {
        for (int32_t n = 0; n < input.functionPresses[i]; ++n)
            pressFunctionKey(keys[i]);
    }
    return true;
}

// A given window: false once it is gone; taken again when its size changed.
bool followGivenWindow(int32_t& width, int32_t& height)
{
    int32_t nowWidth = 0;
    int32_t nowHeight = 0;
    if (windowDisplayStop || !watchedWindowSize(nowWidth, nowHeight))
        return false;
    if (watchedWindowExposed())
        refreshWindowDisplay();
    if (nowWidth == width && nowHeight == height)
        return true;
    width = nowWidth;
    height = nowHeight;
    std::string error;
    return retakeGivenWindow(error);
}

int32_t runFrames(const SaverRun& run)
{
    bool given = run.window.kind == WindowKind::given;
    int32_t givenWidth = 0;
    int32_t givenHeight = 0;
    if (given && !watchedWindowSize(givenWidth, givenHeight))
        return 0;
    FpsCounter fps;
    Timings timings;
    const auto period = std::chrono::microseconds(run.delayMicroseconds);
    auto deadline = Clock::now();
    while (!windowDisplayStop) {
        if (!answerInput(run) || (given && !followGivenWindow(givenWidth, givenHeight)))
            break;
        timings.begin();
        if (runFrame() == frameOutOfMemory)
            return fail("Error: Not enough memory for this algorithm.");
        if (run.showFps)
            fps.draw();
        timings.drawn();
        presentWindowDisplay();
        fps.frameShown();
        if (run.benchFrames > 0) {
            timings.end();
            if (timings.frames() >= run.benchFrames) {
                timings.print();
                break;
            }
            continue;
        }
        // A steady tick; a late frame starts the next at once, never a burst.
        deadline = std::max(deadline + period, Clock::now() - period);
        sleepUntil(deadline);
    }
    return 0;
}

int32_t buildWorld()
{
    seedRandom(static_cast<uint32_t>(std::time(nullptr)));
    int32_t result = setUpWorld();
    if (result == worldOutOfMemory)
        return fail("Error: Not enough memory for this algorithm.");
    // Checked first: a sheet that cannot be measured also stops set-up.
    std::vector<std::string> missing = missingWorldParts();
    if (!missing.empty()) {
        for (const std::string& part : missing)
            std::fprintf(stderr, "tovrine: %s\n", part.c_str());
        return fail("Error: Couldn't load sprites. (bitmaps are looked for in " +
                    resourceDirectory() + "/bitmaps)");
    }
    // Stopped while loading: the user or the daemon ended the run.
    return result == worldComplete ? -1 : 0;
}

}  // namespace

void stopSaver(int) { windowDisplayStop = 1; }

int32_t runSaver(const SaverRun& run)
{
    std::string error;
    if (windowDisplayStop)
        return 0;
    if (!startWindowVideo(error))
        return fail(error);
    installQuietXErrors(lostWindow);
    if (run.window.kind == WindowKind::given && !watchWindow(run.window.windowId)) {
        closeWindowDisplay();
        char id[32];
        std::snprintf(id, sizeof id, "0x%llx",
                      static_cast<unsigned long long>(run.window.windowId));
        return fail(std::string("there is no window ") + id);
    }
    int32_t result = 0;
    if (!openWindowDisplay(run.window, error))
        result = windowDisplayStop ? 0 : fail(error);
    else {
        result = buildWorld();
        if (result < 0)
            result = runFrames(run);
    }
    tearDownWorld();
    stopWatchingWindow();
    closeWindowDisplay();
    return result;
}
