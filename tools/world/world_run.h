// One world of the workbench: built from a record and a seed on a headless
// display of its own in the record's mode (none when it draws nothing), advanced a frame at a time,
// its figures read after each. The sweep's runs in its own process and the Python module run their
// worlds through it, with the figures tovrine-world prints; worlds share nothing, so several may
// run in threads of one process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/display.h"
#include "run/world_figures.h"
#include "settings/options_record.h"
#include "sim/food_search.h"
#include "sim/world.h"

struct WorldRunSettings {
    uint32_t seed = 1;
    bool draw = true;  // false: the same world without a display, pixels or bitmaps
    // The displays of one process share a depth: a world of another waits
    // for those open to close (the sweep's threads) rather than failing.
    bool waitForDepth = false;
    FoodSearch search = FoodSearch::indexed;
};

class WorldRun {
public:
    WorldRun() = default;
    ~WorldRun();
    WorldRun(const WorldRun&) = delete;
    WorldRun& operator=(const WorldRun&) = delete;

    // Builds the world of `record` (whose display mode the caller has
    // checked). False with `error` set when memory ran out, set-up was
    // interrupted, the display could not be opened (a drawn world's depth
    // must be that of the process's other displays) or a bitmap is missing;
    // the run is then over.
    bool start(const OptionsRecord& record, const WorldRunSettings& settings, std::string& error);

    // Runs one frame and reads its figures. False with `error` set when the
    // world ran out of memory: it is over.
    bool advance(std::string& error);

    // Tears the world down and closes its display; safe to call again.
    void end();

    bool running() const { return running_; }
    int64_t frame() const { return world_.frames; }
    const WorldFigures& figures() const { return figures_; }
    const FrameChanges& changes() const { return changes_; }
    int64_t civilizations() const { return watch_.civilizations(); }
    const World& world() const { return world_; }

    // The picture on show as rows of 8-bit red, green and blue, as the
    // runner's PNG files hold it; empty when nothing is drawn.
    std::vector<uint8_t> pictureRgb(int32_t& width, int32_t& height) const;

private:
    World world_;
    Display display_;
    bool running_ = false;
    bool displayOpen_ = false;
    bool draw_ = true;
    WorldFigures figures_;
    FrameChanges changes_;
    CivilizationWatch watch_{WorldFigures{}};
};
