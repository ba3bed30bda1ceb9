// tovrine-world: the world without a screen. A seed and a settings record in,
// per-frame figures, PNG frames and timings out, the same on every machine.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "tests/render/test_display.h"
#include "run/frame_driver.h"
#include "run/world_setup.h"
#include "settings/options_record.h"
#include "sim/food_search.h"
#include "sim/random.h"
#ifndef _WIN32
#include "tools/world/frame_bench.h"
#endif
#include "tools/world/runner_options.h"
#include "tools/world/world_figures.h"

namespace {

constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

int fail(const std::string& message)
{
    std::fprintf(stderr, "tovrine-world: %s\n", message.c_str());
    return exitFailure;
}

// Names that sort in frame order for any run length.
std::string framePath(const std::string& directory, int64_t frame, int64_t lastFrame)
{
    int width = static_cast<int>(std::max<size_t>(6, std::to_string(lastFrame).size()));
    char name[64];
    std::snprintf(name, sizeof name, "frame-%0*lld.png", width, static_cast<long long>(frame));
    return (std::filesystem::path(directory) / name).string();
}

bool reportMissingParts()
{
    bool missing = false;
    for (const std::string& part : missingWorldParts()) {
        std::fprintf(stderr, "tovrine-world: %s\n", part.c_str());
        missing = true;
    }
    if (missing)
        std::fprintf(stderr,
                     "tovrine-world: bitmaps are looked for as %s/bitmaps/<id>_*.bmp "
                     "(set TOVRINE_RESOURCES to look elsewhere)\n",
                     resourceDirectory().c_str());
    return missing;
}

// The figures of every frame, to stdout (--stats) and to the CSV file.
class FigureOutput {
public:
    FigureOutput(bool stats, std::FILE* csv) : stats_(stats), csv_(csv) {}

    void start()
    {
        WorldFigures figures = collectWorldFigures();
        watch_.emplace(figures);
        if (csv_ != nullptr)
            std::fprintf(csv_, "%s\n", csvHeader().c_str());
        write(0, figures, FrameChanges{});
    }
    void frame(int64_t frame)
    {
        if (!stats_ && csv_ == nullptr)
            return;
        WorldFigures figures = collectWorldFigures();
        write(frame, figures, watch_->observe(figures));
    }

private:
    void write(int64_t frame, const WorldFigures& figures, const FrameChanges& changes)
    {
        if (stats_)
            std::fputs((formatWorldFigures(frame, figures) + "\n").c_str(), stdout);
        if (csv_ != nullptr)
            std::fprintf(csv_, "%s\n",
                         formatCsvRow(frame, figures, changes, watch_->civilizations()).c_str());
    }

    bool stats_;
    std::FILE* csv_;
    std::optional<CivilizationWatch> watch_;
};

// Opened before the world is built, so that a path that cannot be written
// fails at once rather than after the run.
std::FILE* openCsv(const std::string& path, std::string& error)
{
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr)
        error = "cannot write CSV file \"" + path + "\": " + std::strerror(errno);
    return file;
}

bool closeCsv(std::FILE* file, const std::string& path, std::string& error)
{
    const bool failed = std::ferror(file) != 0;
    if (std::fclose(file) != 0 || failed) {
        error = "writing CSV file \"" + path + "\" failed";
        return false;
    }
    return true;
}

int runWorld(const RunnerOptions& options, std::FILE* csv)
{
    if (!options.pngDirectory.empty()) {
        std::error_code error;
        std::filesystem::create_directories(options.pngDirectory, error);
        if (error)
            return fail("cannot create \"" + options.pngDirectory + "\": " + error.message());
    }
    seedRandom(options.seed);
    int32_t setUp = setUpWorld();
    if (setUp == worldOutOfMemory)
        return fail("out of memory while building the world");
    if (setUp != worldComplete)
        return fail("world set-up was interrupted");
    if (reportMissingParts() || quitRequested())
        return fail("the world is incomplete");
    FigureOutput figures(options.stats, csv);
    figures.start();

#ifdef _WIN32
    // The drawing clock is the SDL backend's: timings come from the native build.
    if (options.bench)
        return fail("--bench is measured on the native build only");
    struct NoBench {
        void beginFrame() {}
        void endFrame(int64_t, int64_t) {}
        void print(int64_t) const {}
    };
    std::optional<NoBench> bench;
#else
    std::optional<FrameBench> bench;
    if (options.bench)
        bench.emplace();
#endif
    for (int64_t frame = 1; frame <= options.frames; ++frame) {
        if (bench)
            bench->beginFrame();
        if (runFrame() == frameOutOfMemory)
            return fail("out of memory at frame " + std::to_string(frame));
        if (bench)
            bench->endFrame(frame, options.frames);
        if (quitRequested())
            return fail("the run was ended at frame " + std::to_string(frame) +
                        " (a sheet could not be measured)");
        figures.frame(frame);
        if (!options.pngDirectory.empty() && frame % options.every == 0) {
            std::string path = framePath(options.pngDirectory, frame, options.frames);
            if (!saveSurfacePng(primarySurface, path.c_str()))
                return fail("cannot write " + path);
        }
    }
    if (bench)
        bench->print(options.frames);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    RunnerOptions options;
    std::string error;
    if (!parseRunnerArguments(argc, argv, options, error)) {
        std::fprintf(stderr, "tovrine-world: %s\n%s", error.c_str(), runnerUsage().c_str());
        return exitUsage;
    }
    if (options.help) {
        std::fputs(runnerUsage().c_str(), stdout);
        return 0;
    }
#ifdef _WIN32
    if (options.noDraw)
        return fail("--no-draw is a switch of the native build's display");
#endif
    OptionsRecord record;
    if (!loadRunnerRecord(options, record, error) || !checkDisplayMode(record, error))
        return fail(error);
    std::FILE* csv = nullptr;
    if (!options.csvPath.empty() && (csv = openCsv(options.csvPath, error)) == nullptr)
        return fail(error);
    liveOptions = record;
    setFoodSearch(options.walkFood ? FoodSearch::walk : FoodSearch::indexed);
    if (!openHeadlessDisplay(record.screenWidth, record.screenHeight, record.screenDepth))
        return fail("cannot open a " + std::to_string(record.screenWidth) + " x " +
                    std::to_string(record.screenHeight) + " x " +
                    std::to_string(record.screenDepth) + " display");
#ifndef _WIN32
    setDisplayDrawing(!options.noDraw);
#endif
    int result = runWorld(options, csv);
    tearDownWorld();
    closeHeadlessDisplay();
    if (csv != nullptr && !closeCsv(csv, options.csvPath, error) && result == 0)
        result = fail(error);
    return result;
}
