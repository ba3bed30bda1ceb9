#include "settings/options_record.h"

#include <cstring>

namespace {

constexpr double currentFormatVersion = 1.2;

// Arguments in the order of the presets' table; the machine fields are the
// same for every preset.
template <std::size_t N>
constexpr OptionsRecord makePreset(const char (&name)[N], int32_t statsMode, int32_t includeLife,
                                   int32_t wrapEdges, int32_t showCloud, int32_t initialVobs,
                                   int32_t vobIQ, int32_t whirlCount, int32_t maxStrength,
                                   int32_t megaLevel, int32_t greenLevel, int32_t spawnLevel,
                                   int32_t birthSpawns, int32_t birthStrength, int32_t foodStrength,
                                   int32_t depositGap)
{
    static_assert(N <= algorithmNameSize, "preset name must leave room for its terminator");
    OptionsRecord r{};
    r.statsMode = statsMode;
    r.includeLife = includeLife;
    r.wrapEdges = wrapEdges;
    r.maxEntities = 5000;
    r.showCloud = showCloud;
    r.initialVobs = initialVobs;
    r.vobIQ = vobIQ;
    r.whirlCount = whirlCount;
    r.maxStrength = maxStrength;
    r.megaLevel = megaLevel;
    r.greenLevel = greenLevel;
    r.spawnLevel = spawnLevel;
    r.birthSpawns = birthSpawns;
    r.birthStrength = birthStrength;
    r.foodStrength = foodStrength;
    r.depositGap = depositGap;
    r.screenWidth = 800;
    r.screenHeight = 600;
    r.screenDepth = 16;
    for (std::size_t i = 0; i < N; ++i)
        r.algorithmName[i] = name[i];
    r.formatVersion = currentFormatVersion;
    return r;
}

constexpr OptionsRecord originalAlgorithm = makePreset(
    "The Original VobLife Algorithm", 1, 1, 1, 1, 10, 0, 2, 3000, 1600, 100, 10, 3, 1200, 320, 15);

}  // namespace

// clang-format off
const OptionsRecord presetAlgorithms[presetCount] = {
    originalAlgorithm,
    makePreset("The Tovrine",
               0, 0, 0, 0, 1, 0, 0, 9999999, 9999999, 200, 0, 0, 9999999, 12320, 15),
    makePreset("The Storm",
               0, 1, 1, 1, 200, 0, 20, 3000, 1600, 100, 80, 2, 200, 120, 6),
    makePreset("Vob of the Sea of Whirls",
               0, 1, 1, 0, 1, 0, 2000, 9999999, 9000000, 8000000, 0, 0, 9999999, 0, 0),
    makePreset("A Green Sign (Doreroder)",
               1, 1, 1, 0, 1, 1, 1, 3000, 2500, 500, 1000, 1, 1000, 1000, 4),
    makePreset("Tiny Brain Storm (Doreroder)",
               0, 0, 0, 0, 5, 1, 20, 300, 250, 100, 200, 1, 200, 620, 8),
    makePreset("Brain Storm (Doreroder)",
               0, 0, 0, 0, 5, 1, 20, 1500, 999, 100, 200, 1, 1400, 620, 8),
};
// clang-format on

// Constant-initialised, so it holds the default before any other file's
// start-up code can look at it.
OptionsRecord liveOptions = originalAlgorithm;

std::string algorithmNameText(const OptionsRecord& record)
{
    const char* name = record.algorithmName;
    const void* end = std::memchr(name, '\0', algorithmNameSize);
    std::size_t length = end ? static_cast<const char*>(end) - name : algorithmNameSize;
    return std::string(name, length);
}

void setAlgorithmName(OptionsRecord& record, const std::string& name)
{
    std::memset(record.algorithmName, 0, algorithmNameSize);
    std::size_t length = name.size() < algorithmNameSize - 1 ? name.size() : algorithmNameSize - 1;
    std::memcpy(record.algorithmName, name.data(), length);
}

bool hasCurrentFormatVersion(const OptionsRecord& record)
{
    const double expected = currentFormatVersion;
    return std::memcmp(&record.formatVersion, &expected, sizeof expected) == 0;
}
