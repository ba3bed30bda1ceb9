// A world's figures for a frame: what tovrine-world prints, the sweeps
// summarise and the page charts, read from the world without changing it.
#pragma once

#include <cstdint>
#include <string>

struct World;

struct WorldFigures {
    int32_t vobs = 0;
    int32_t history = 0;
    int32_t peak = 0;
    int32_t food = 0;
    int32_t remains = 0;
    int32_t whirls = 0;
    // 64 bits: 5000 Vobs of strength up to 9999999 overflow 32.
    int64_t strengthSum = 0;
    int64_t xSum = 0;
    int64_t ySum = 0;
    // Remains ever left: every Vob that dies leaves one, so its change from
    // frame to frame is the deaths of that frame.
    int32_t remainsHistory = 0;
};

// Counts of the four lists and sums over vobList's entities; a list that
// does not exist counts as empty.
WorldFigures collectWorldFigures(const World& world);

// "frame vobs history peak food remains whirls strengthSum xSum ySum".
std::string formatWorldFigures(int64_t frame, const WorldFigures& figures);

// What happened in one frame, judged from the counters alone so that
// watching never changes the world.
struct FrameChanges {
    int64_t births = 0;  // children and the founders of a new civilization
    int64_t deaths = 0;
    bool newCivilization = false;
    bool extinction = false;
};

// Follows a run from figure to figure. Vobs only enter an empty world
// through the birth of a civilization, and the population moves only by
// births and deaths, so births are the change of population plus deaths.
class CivilizationWatch {
public:
    // The figures after set-up: its Vobs, if any, are the first civilization.
    explicit CivilizationWatch(const WorldFigures& start);
    FrameChanges observe(const WorldFigures& now);
    int64_t civilizations() const { return civilizations_; }

private:
    WorldFigures last_;
    int64_t civilizations_ = 0;
};

// The CSV columns: those of --stats, then civilizations so far, births and
// deaths in the frame, and the mean strength (empty without Vobs).
std::string csvHeader();
std::string formatCsvRow(int64_t frame, const WorldFigures& figures, const FrameChanges& changes,
                         int64_t civilizations);
