#include "tools/world/world_run.h"

#include <atomic>

#include "render/memory/memory_surface.h"
#include "render/sdl/headless_display.h"
#include "run/frame_driver.h"
#include "run/world_setup.h"
#include "sim/random.h"

namespace {

// The headless display is still one per process: a second world would draw
// on the first one's surfaces and load its sheets in the other's format.
std::atomic<bool> displayTaken{false};

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
    if (displayTaken.exchange(true)) {
        error = "another world of this process holds the display: end it first";
        return false;
    }
    displayOpen_ = true;
    if (!openHeadlessDisplay(record.screenWidth, record.screenHeight, record.screenDepth)) {
        error = "cannot open a " + std::to_string(record.screenWidth) + " x " +
                std::to_string(record.screenHeight) + " x " + std::to_string(record.screenDepth) +
                " display";
        end();
        return false;
    }
    draw_ = settings.draw;
    setDisplayDrawing(draw_);
    world_.liveOptions = record;
    world_.food.search = settings.search;
    seedRandom(world_.random, settings.seed);
    const int32_t setUp = setUpWorld(world_);
    if (setUp == worldOutOfMemory)
        error = "out of memory while building the world";
    else if (setUp != worldComplete)
        error = "world set-up was interrupted";
    else if (quitRequested() || !missingWorldParts(world_).empty())
        error = "the world is incomplete: " + missingPartsText(world_);
    if (setUp != worldComplete || !error.empty()) {
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
    if (quitRequested()) {
        error = "the run was ended at frame " + std::to_string(world_.frames) +
                " (a sheet could not be measured)";
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
    tearDownWorld(world_);
    if (displayOpen_) {
        closeHeadlessDisplay();
        displayOpen_ = false;
        displayTaken = false;
    }
}

std::vector<uint8_t> WorldRun::pictureRgb(int32_t& width, int32_t& height) const
{
    width = height = 0;
    const Surface* shown = displayOpen_ && draw_ ? primarySurface : nullptr;
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
