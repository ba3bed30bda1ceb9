// What the long loops of set-up and a rebirth show and poll while they keep
// the message loop from running: a count of entities built, and the user's
// wish to stop.
#pragma once

#include <chrono>
#include <cstdint>

struct Font;
struct Surface;
struct World;

// Draws a count on the visible surface no more often than a screen shows a
// picture. Each draw is a GDI call on the primary surface, which under Wine
// costs many times what building a whirl does; drawn for every entity, a
// world of 99 999 whirls took minutes to set up. The last count offered is
// always drawn by finish(), so the screen ends on the true figure. A world
// without a display (a null surface) counts without drawing.
class ProgressCounter {
public:
    ProgressCounter(Surface* surface, int32_t x, int32_t y, Font* font, int32_t background);

    // The count now; drawn when a picture's time has passed since the last.
    void offer(int32_t count);
    // Draws the last count offered, if it is not on the screen yet.
    void finish();

private:
    void draw();

    Surface* surface_;
    int32_t x_;
    int32_t y_;
    Font* font_;
    int32_t background_;
    int32_t count_ = 0;
    bool pending_ = false;
    bool drawnOnce_ = false;
    std::chrono::steady_clock::time_point drawnAt_{};
};

// The interruption check of a long loop, asked after every entity. The
// devices are read on the first question and then once a few milliseconds
// have passed: under Wine each read is a round trip to the server, dearer
// than building an entity, and nobody presses or moves anything for less
// than that. Between reads nothing new can be known, so the answer is no.
class InterruptionPoll {
public:
    // userStopped (world_setup.h) when its devices are due for a read.
    bool userStopped(const World& world);

private:
    bool readOnce_ = false;
    std::chrono::steady_clock::time_point readAt_{};
};
