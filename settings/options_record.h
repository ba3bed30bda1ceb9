#pragma once
// The settings record: the rules of the world, the display options and the
// full-screen mode. It is stored byte for byte in the registry, so its layout
// is a file format: 128 bytes, little-endian, no padding.

#include <cstddef>
#include <cstdint>
#include <string>

constexpr int algorithmNameSize = 44;

struct OptionsRecord {
    int32_t statsMode;  // vital numbers: 0 never, 1 always, 2 near death
    int32_t includeLife;
    int32_t wrapEdges;
    int32_t maxEntities;
    int32_t showCloud;
    int32_t initialVobs;
    int32_t vobIQ;
    int32_t whirlCount;
    int32_t maxStrength;
    int32_t megaLevel;
    int32_t greenLevel;
    int32_t spawnLevel;
    int32_t birthSpawns;
    int32_t birthStrength;
    int32_t foodStrength;
    int32_t depositGap;
    int32_t screenWidth;
    int32_t screenHeight;
    int32_t screenDepth;
    // Usually NUL-terminated, but a stored record may not be: read it with
    // algorithmNameText().
    char algorithmName[algorithmNameSize];
    double formatVersion;  // always 1.2; compared bit for bit, never as a number
};

constexpr std::size_t optionsRecordSize = 128;

static_assert(sizeof(OptionsRecord) == optionsRecordSize, "stored record is 128 bytes");
static_assert(offsetof(OptionsRecord, statsMode) == 0, "layout");
static_assert(offsetof(OptionsRecord, includeLife) == 4, "layout");
static_assert(offsetof(OptionsRecord, wrapEdges) == 8, "layout");
static_assert(offsetof(OptionsRecord, maxEntities) == 12, "layout");
static_assert(offsetof(OptionsRecord, showCloud) == 16, "layout");
static_assert(offsetof(OptionsRecord, initialVobs) == 20, "layout");
static_assert(offsetof(OptionsRecord, vobIQ) == 24, "layout");
static_assert(offsetof(OptionsRecord, whirlCount) == 28, "layout");
static_assert(offsetof(OptionsRecord, maxStrength) == 32, "layout");
static_assert(offsetof(OptionsRecord, megaLevel) == 36, "layout");
static_assert(offsetof(OptionsRecord, greenLevel) == 40, "layout");
static_assert(offsetof(OptionsRecord, spawnLevel) == 44, "layout");
static_assert(offsetof(OptionsRecord, birthSpawns) == 48, "layout");
static_assert(offsetof(OptionsRecord, birthStrength) == 52, "layout");
static_assert(offsetof(OptionsRecord, foodStrength) == 56, "layout");
static_assert(offsetof(OptionsRecord, depositGap) == 60, "layout");
static_assert(offsetof(OptionsRecord, screenWidth) == 64, "layout");
static_assert(offsetof(OptionsRecord, screenHeight) == 68, "layout");
static_assert(offsetof(OptionsRecord, screenDepth) == 72, "layout");
static_assert(offsetof(OptionsRecord, algorithmName) == 76, "layout");
static_assert(offsetof(OptionsRecord, formatVersion) == 120, "layout");
#if defined(__BYTE_ORDER__) && defined(__ORDER_LITTLE_ENDIAN__)
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the stored record is little-endian");
#endif

constexpr int presetCount = 7;

// The seven built-in algorithms in slot order; slot 0 is also the default.
extern const OptionsRecord presetAlgorithms[presetCount];

// The configuration sheet's record: its pages edit it and store it as
// "Options". A running world reads its own copy (World::liveOptions in
// sim/world.h). Starts as presetAlgorithms[0].
extern OptionsRecord liveOptions;

// The name up to its terminator, never more than the field's 44 bytes.
std::string algorithmNameText(const OptionsRecord& record);

// Stores at most 43 characters and zeroes the rest, so the field always ends
// with a terminator and leaks no old bytes.
void setAlgorithmName(OptionsRecord& record, const std::string& name);

// True when formatVersion holds exactly the bits of the double 1.2.
bool hasCurrentFormatVersion(const OptionsRecord& record);
