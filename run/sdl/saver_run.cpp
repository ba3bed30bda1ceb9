// The Linux saver's run: the world's set-up, its frames, the function keys
// and what is laid over the picture. The host calls these (host/sdl).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/sdl/saver_host.h"
#include "render/glyph_font.h"
#include "render/sdl/resource_directory.h"
#include "render/sdl/utf8_text.h"
#include "run/frame_driver.h"
#include "run/function_keys.h"
#include "run/world_setup.h"
#include "sim/random.h"
#include "sim/world.h"

namespace {

const char* const outOfMemory = "Error: Not enough memory for this algorithm.";
constexpr int32_t overlayLineHeight = 18;

// The one world of the saver's window, from its set-up to the end of the
// run, and the host's display it draws on.
std::unique_ptr<World> world;
Display* display = nullptr;

void drawOverlayLine(const std::string& text, int32_t line)
{
    // The host's lines are UTF-8 (file names), not the world's ANSI text.
    drawUtf8Text(display->primarySurface, text.c_str(), 4,
                 display->height - overlayLineHeight * line, overlayFontHandle(*world), textColour,
                 opaqueBackground);
}

}  // namespace

bool buildSaverWorld(Display& shownOn, const OptionsRecord& record, uint32_t seed,
                     std::string& error)
{
    display = &shownOn;
    world = std::make_unique<World>();
    world->liveOptions = record;
    seedRandom(world->random, seed);
    int32_t result = setUpWorld(*world, display);
    if (result == worldOutOfMemory) {
        error = outOfMemory;
        return false;
    }
    // Checked first: a sheet that cannot be measured also stops set-up.
    std::vector<std::string> missing = missingWorldParts(*world);
    if (!missing.empty()) {
        for (const std::string& part : missing)
            error += part + "\n";
        error += "Error: Couldn't load sprites. (bitmaps are looked for in " + resourceDirectory() +
                 "/bitmaps)";
        return false;
    }
    // Interrupted: the user or the daemon ended the run while it loaded.
    return result == worldComplete;
}

bool runSaverFrame(const SaverOverlay& overlay, std::string& error)
{
    if (runFrame(*world) == frameOutOfMemory) {
        error = outOfMemory;
        return false;
    }
    // Bottom left, clear of the cloud and the countdown: the rate on the
    // last line, the notices above it.
    int32_t line = 1;
    if (!overlay.fps.empty())
        drawOverlayLine(overlay.fps, line++);
    for (auto notice = overlay.notices.rbegin(); notice != overlay.notices.rend(); ++notice)
        drawOverlayLine(*notice, line++);
    return true;
}

bool pressSaverKey(const std::string& name)
{
    FunctionKey key;
    if (!functionKeyNamed(name, key))
        return false;
    if (world != nullptr)
        pressFunctionKey(*world, key);
    return true;
}

void endSaverRun()
{
    world.reset();
    display = nullptr;
}
