#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "host/sdl/frame_clock.h"

namespace {

// The host's loop on a clock the test moves: wait until the frame is due,
// run it (taking frameUs[i] of the clock), and so on. The start of every
// frame, in microseconds.
std::vector<int64_t> frameStarts(int64_t period, const std::vector<int64_t>& frameUs)
{
    int64_t now = 1000000;
    FrameClock clock = startFrameClock(period, now);
    std::vector<int64_t> starts;
    for (int64_t took : frameUs) {
        now += waitBeforeFrame(clock, now);
        starts.push_back(now);
        now += took;
        frameDone(clock, now);
    }
    return starts;
}

std::vector<int64_t> repeated(int64_t us, int count) { return std::vector<int64_t>(count, us); }

// A frame that takes most of the period must not stretch the period: the
// tick stays 10 ms, so 100 frames take one second whatever each costs.
TEST(FrameClock, KeepsASteadyTickWhateverTheFramesTake)
{
    for (int64_t took : {0, 3000, 9999}) {
        std::vector<int64_t> starts = frameStarts(10000, repeated(took, 101));
        for (size_t i = 1; i < starts.size(); ++i)
            EXPECT_EQ(starts[i] - starts[i - 1], 10000)
                << "frames of " << took << " us, frame " << i;
    }
}

// After a stall (the X server stopped for half a second), the frames missed
// are not run in a burst: at most two start at once, then the tick is back.
TEST(FrameClock, CatchesUpAtMostOneFrameAfterAStall)
{
    std::vector<int64_t> frames = repeated(1000, 5);
    frames.push_back(500000);  // the stall
    std::vector<int64_t> after = repeated(1000, 20);
    frames.insert(frames.end(), after.begin(), after.end());
    std::vector<int64_t> starts = frameStarts(10000, frames);
    int atOnce = 1;  // the frame after the stall, which was due long before
    for (size_t i = 7; i < starts.size(); ++i) {
        int64_t gap = starts[i] - starts[i - 1];
        EXPECT_TRUE(gap <= 10000) << "frame " << i << " waited " << gap << " us";
        atOnce += gap == 1000;  // started as soon as the one before ended
    }
    EXPECT_LE(atOnce, 2);
    // Back on the tick: the last frames are a period apart.
    EXPECT_EQ(starts.back() - starts[starts.size() - 2], 10000);
}

// Frames slower than the period run back to back, never waiting; once they
// are fast again the clock does not rush to make up the lost ones.
TEST(FrameClock, SlowFramesRunBackToBackWithoutALaterBurst)
{
    std::vector<int64_t> frames = repeated(15000, 10);
    std::vector<int64_t> fast = repeated(100, 30);
    frames.insert(frames.end(), fast.begin(), fast.end());
    std::vector<int64_t> starts = frameStarts(10000, frames);
    for (size_t i = 1; i < 10; ++i)
        EXPECT_EQ(starts[i] - starts[i - 1], 15000) << "frame " << i;
    // 200 ms after the slow frames end: about 20 frames, not the 5 or so
    // missed on top.
    int64_t end = starts[10] + 200000;
    int count = 0;
    for (size_t i = 10; i < starts.size(); ++i)
        count += starts[i] < end;
    EXPECT_LE(count, 22);
    EXPECT_GE(count, 19);
}

// -delay 0: as fast as the frames go; no wait is ever asked for.
TEST(FrameClock, NoDelayNeverWaits)
{
    std::vector<int64_t> starts = frameStarts(0, repeated(250, 10));
    for (size_t i = 1; i < starts.size(); ++i)
        EXPECT_EQ(starts[i] - starts[i - 1], 250);
}

// The host's loop with pictures: after each frame, one is shown when due.
// The times of the pictures shown over `frames` frames of `took` us each,
// the frames `period` apart, on a screen of `hz`.
std::vector<int64_t> pictureTimes(int64_t period, int32_t hz, const std::vector<int64_t>& frameUs)
{
    int64_t now = 1000000;
    FrameClock clock = startFrameClock(period, now);
    PresentClock pictures = startPresentClock(hz, now);
    std::vector<int64_t> shown;
    for (int64_t took : frameUs) {
        now += waitBeforeFrame(clock, now);
        now += took;
        frameDone(clock, now);
        if (presentDue(pictures, now)) {
            shown.push_back(now);
            presented(pictures, now);
        }
    }
    return shown;
}

// No more pictures a second than the screen shows (60 where the screen does
// not say), and every frame shown where the screen is as fast as the world;
// frames ending early or late on their tick change neither, and frames
// slower than the tick (15 ms) are nearly all shown.
TEST(PresentClock, ShowsNoMorePicturesThanTheScreen)
{
    struct Case {
        int64_t period;
        int32_t hz;
        std::vector<int64_t> frameUs;  // repeated over the second
        double least, most;            // pictures a second
    };
    const Case cases[] = {
        {10000, 60, {300}, 59.5, 60.1},   {10000, 60, {100, 2900, 600}, 59.5, 60.1},
        {10000, 0, {300}, 59.5, 60.1},    {10000, 30, {300}, 29.5, 30.1},
        {10000, 144, {300}, 99.9, 100.1}, {20000, 60, {300}, 49.9, 50.1},
        {10000, 75, {300}, 74.5, 75.1},   {10000, 60, {15000}, 58, 60.1},
    };
    for (const Case& c : cases) {
        std::vector<int64_t> frames;
        while (frames.size() < 400)
            frames.insert(frames.end(), c.frameUs.begin(), c.frameUs.end());
        std::vector<int64_t> shown = pictureTimes(c.period, c.hz, frames);
        // Pictures a second, from the second picture to the last.
        const double perSecond =
            (shown.size() - 2) * 1e6 / static_cast<double>(shown.back() - shown.at(1));
        EXPECT_GE(perSecond, c.least) << c.period << " us frames at " << c.hz << " Hz";
        EXPECT_LE(perSecond, c.most) << c.period << " us frames at " << c.hz << " Hz";
    }
}

// After a stall the pictures start again at once, but not two at a time.
TEST(PresentClock, NoBurstAfterAStall)
{
    std::vector<int64_t> frames = repeated(300, 10);
    frames.push_back(500000);
    std::vector<int64_t> after = repeated(300, 30);
    frames.insert(frames.end(), after.begin(), after.end());
    std::vector<int64_t> shown = pictureTimes(10000, 60, frames);
    for (size_t i = 1; i < shown.size(); ++i)
        EXPECT_GE(shown[i] - shown[i - 1], 1000000 / 60 / 2) << "picture " << i;
}

}  // namespace
