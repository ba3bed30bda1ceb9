#include "tools/world/world_run.h"

#include <condition_variable>
#include <mutex>

#include "render/memory/memory_surface.h"
#include "render/sdl/headless_display.h"
#include "run/frame_driver.h"
#include "run/world_setup.h"
#include "sim/random.h"

namespace {

// Opening and closing displays, and building and ending worlds (their
// bitmaps and fonts), one thread at a time: the memory displays count the
// open ones and their common depth in plain variables, and the fonts come
// from one library. Frames run side by side.
std::mutex setUpLock;
std::condition_variable depthFree;
int32_t openDepth = 0;
int32_t openCount = 0;

std::string missingPartsText(const World& world)
{
    std::string text;
    for (const std::string& part : missingWorldParts(world))
        text += (text.empty() ? "" : "; ") + part;
    if (!text.empty())
        text += " (bitmaps are looked for as " + resourceDirectory() +
                "/bitmaps/<id>_*.bmp; set TOVRINE_RESOURCES to look elsewhere)";
    return text;
}

}  // namespace

WorldRun::~WorldRun() { end(); }

bool WorldRun::start(const OptionsRecord& record, const WorldRunSettings& settings,
                     std::string& error)
{
    end();
    std::unique_lock<std::mutex> held(setUpLock);
    const int32_t depth = record.screenDepth;
    draw_ = settings.draw;
    // A world that draws nothing has no display, and needs no bitmap.
    if (settings.draw && settings.waitForDepth)
        depthFree.wait(held, [&] { return openCount == 0 || openDepth == depth; });
    if (settings.draw &&
        !openHeadlessDisplay(display_, record.screenWidth, record.screenHeight, depth)) {
        error = "cannot open a " + std::to_string(record.screenWidth) + " x " +
                std::to_string(record.screenHeight) + " x " + std::to_string(depth) + " display" +
                (openCount > 0 && openDepth != depth
                     ? " while worlds of " + std::to_string(openDepth) +
                           " bits are open: every world of a process has one depth"
                     : "");
        return false;
    }
    if (settings.draw) {
        displayOpen_ = true;
        openDepth = depth;
        openCount += 1;
    }
    world_.liveOptions = record;
    world_.food.search = settings.search;
    seedRandom(world_.random, settings.seed);
    const int32_t setUp = setUpWorld(world_, settings.draw ? &display_ : nullptr);
    if (setUp == worldOutOfMemory)
        error = "out of memory while building the world";
    else if (setUp != worldComplete)
        error = "world set-up was interrupted";
    else if (!missingWorldParts(world_).empty())
        error = "the world is incomplete: " + missingPartsText(world_);
    if (setUp != worldComplete || !error.empty()) {
        held.unlock();
        end();
        return false;
    }
    running_ = true;
    figures_ = collectWorldFigures(world_);
    changes_ = FrameChanges{};
    watch_ = CivilizationWatch(figures_);
    return true;
}

bool WorldRun::advance(std::string& error)
{
    if (!running_) {
        error = "the world is not running";
        return false;
    }
    if (runFrame(world_) == frameOutOfMemory) {
        error = "out of memory at frame " + std::to_string(world_.frames);
        end();
        return false;
    }
    figures_ = collectWorldFigures(world_);
    changes_ = watch_.observe(figures_);
    return true;
}

void WorldRun::end()
{
    running_ = false;
    std::lock_guard<std::mutex> held(setUpLock);
    tearDownWorld(world_);
    if (displayOpen_) {
        closeHeadlessDisplay(display_);
        displayOpen_ = false;
        openCount -= 1;
        depthFree.notify_all();
    }
}

std::vector<uint8_t> WorldRun::pictureRgb(int32_t& width, int32_t& height) const
{
    width = height = 0;
    const Surface* shown = displayOpen_ && draw_ ? display_.primarySurface : nullptr;
    if (shown == nullptr || shown->image.pixels == nullptr)
        return {};
    const PixelImage& image = shown->image;
    width = image.w;
    height = image.h;
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    uint8_t* out = rgb.data();
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint32_t xrgb = loadStored(shown, x, y);
            if (image.format == PixelFormat::rgb565)
                xrgb = xrgbFrom565(xrgb);
            *out++ = static_cast<uint8_t>(xrgb >> 16);
            *out++ = static_cast<uint8_t>(xrgb >> 8);
            *out++ = static_cast<uint8_t>(xrgb);
        }
    return rgb;
}
