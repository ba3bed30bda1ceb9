#include "run/long_loop.h"

#include "render/glyph_font.h"
#include "render/surface.h"
#include "run/world_setup.h"

namespace {

// A 60 Hz screen's picture.
constexpr auto pictureTime = std::chrono::microseconds(16667);
constexpr auto readGap = std::chrono::milliseconds(5);

}  // namespace

ProgressCounter::ProgressCounter(Surface* surface, int32_t x, int32_t y, Font* font,
                                 int32_t background)
    : surface_(surface), x_(x), y_(y), font_(font), background_(background)
{
}

void ProgressCounter::offer(int32_t count)
{
    count_ = count;
    pending_ = true;
    auto now = std::chrono::steady_clock::now();
    if (!drawnOnce_ || now - drawnAt_ >= pictureTime) {
        draw();
        drawnAt_ = now;
    }
}

void ProgressCounter::finish()
{
    if (pending_)
        draw();
}

void ProgressCounter::draw()
{
    if (surface_ != nullptr)
        drawGdiNumber(surface_, count_, x_, y_, font_, textColour, background_);
    pending_ = false;
    drawnOnce_ = true;
}

bool InterruptionPoll::userStopped(const World& world)
{
    auto now = std::chrono::steady_clock::now();
    if (readOnce_ && now - readAt_ < readGap)
        return false;
    readOnce_ = true;
    readAt_ = now;
    return ::userStopped(world);
}
