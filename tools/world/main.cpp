// tovrine-world: the world without a screen. A seed and a settings record in,
// per-frame figures, PNG frames and timings out, the same on every machine.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#ifdef _WIN32
#include "render/win32/hidden_display.h"
#else
#include "render/sdl/headless_display.h"
#endif
#include "run/frame_driver.h"
#include "run/stop_condition.h"
#include "run/world_setup.h"
#include "settings/options_record.h"
#include "sim/food_search.h"
#include "sim/random.h"
#include "sim/world.h"
#ifndef _WIN32
#include "tools/world/frame_bench.h"
#endif
#include "tools/world/output_file.h"
#include "tools/world/runner_options.h"
#include "run/world_figures.h"

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

// In memory natively; on Windows a hidden DirectDraw display.
bool openRunnerDisplay(Display& display, const OptionsRecord& record)
{
#ifdef _WIN32
    return openHiddenDisplay(display, record.screenWidth, record.screenHeight, record.screenDepth);
#else
    return openHeadlessDisplay(display, record.screenWidth, record.screenHeight,
                               record.screenDepth);
#endif
}

void closeRunnerDisplay(Display& display)
{
#ifdef _WIN32
    closeHiddenDisplay(display);
#else
    closeHeadlessDisplay(display);
#endif
}

bool reportMissingParts(const World& world)
{
    bool missing = false;
    for (const std::string& part : missingWorldParts(world)) {
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

// The CSV file. A file is written under a temporary name and renamed when
// the run is complete, so a run stopped midway never leaves a cut-off file
// under the name asked for; standard output ("-") and devices are written
// as they are.
class CsvOutput {
public:
    // Opened before the world is built, so that a path that cannot be
    // written fails at once rather than after the run.
    bool open(const std::string& path, std::string& error)
    {
        path_ = path;
        if (path == "-") {
            file_ = stdout;
            return true;
        }
        namespace fs = std::filesystem;
        std::error_code code;
        const fs::file_status status = fs::status(path, code);
        if (fs::exists(status) && !fs::is_regular_file(status)) {
            if (fs::is_directory(status)) {
                error = "cannot write CSV file \"" + path + "\": it is a directory";
                return false;
            }
            file_ = std::fopen(path.c_str(), "w");
        } else {
            const fs::path parent = fs::path(path).parent_path();
            if (!parent.empty() && !fs::is_directory(parent, code) &&
                !fs::create_directories(parent, code) && code) {
                error = "cannot write CSV file \"" + path +
                        "\": cannot create its folder: " + code.message();
                return false;
            }
            partial_ = path + ".partial";
            file_ = createFile(partial_, "w");
        }
        if (file_ == nullptr)
            error = "cannot write CSV file \"" + path + "\": " + std::strerror(errno);
        return file_ != nullptr;
    }
    std::FILE* file() const { return file_; }
    void noteWrite(int result)
    {
        if (result < 0 && failure_ == 0)
            failure_ = errno != 0 ? errno : EIO;
    }
    // Flushes, and renames a complete file to its name; a failed run's
    // partial file is removed.
    bool close(bool complete, std::string& error)
    {
        if (file_ == nullptr)
            return true;
        if (std::fflush(file_) != 0 && failure_ == 0)
            failure_ = errno;
        if (file_ != stdout && std::fclose(file_) != 0 && failure_ == 0)
            failure_ = errno;
        file_ = nullptr;
        if (failure_ == 0 && complete && !partial_.empty()) {
            // std::filesystem replaces an older file on Windows too.
            std::error_code code;
            std::filesystem::rename(partial_, path_, code);
            if (code)
                failure_ = code.value();
        }
        if (!partial_.empty() && (failure_ != 0 || !complete))
            std::remove(partial_.c_str());
        if (failure_ == 0)
            return true;
        error = "writing CSV file \"" + path_ + "\" failed: " + std::strerror(failure_);
        return false;
    }

private:
    std::string path_;
    std::string partial_;  // empty: written in place
    std::FILE* file_ = nullptr;
    int failure_ = 0;
};

// The figures of every frame, to stdout (--stats) and to the CSV file, and
// whether they meet --until.
class FigureOutput {
public:
    FigureOutput(const World& world, bool stats, CsvOutput* csv, const StopCondition& until)
        : world_(world), stats_(stats), csv_(csv), until_(until)
    {
    }

    // True when the world as built already meets --until.
    bool start()
    {
        WorldFigures figures = collectWorldFigures(world_);
        watch_.emplace(figures);
        if (csv_ != nullptr)
            csv_->noteWrite(std::fprintf(csv_->file(), "%s\n", csvHeader().c_str()));
        write(0, figures, FrameChanges{});
        return stopConditionMet(until_, 0, figures);
    }
    // True when this frame meets --until.
    bool frame(int64_t frame)
    {
        if (!stats_ && csv_ == nullptr && until_.kind == StopKind::never)
            return false;
        WorldFigures figures = collectWorldFigures(world_);
        write(frame, figures, watch_->observe(figures));
        return stopConditionMet(until_, frame, figures);
    }

    // The first failed write of --stats, or 0.
    int statsFailure() const { return statsFailure_; }

private:
    void write(int64_t frame, const WorldFigures& figures, const FrameChanges& changes)
    {
        errno = 0;
        if (stats_ && std::fputs((formatWorldFigures(frame, figures) + "\n").c_str(), stdout) < 0 &&
            statsFailure_ == 0)
            statsFailure_ = errno != 0 ? errno : EIO;
        if (csv_ != nullptr)
            csv_->noteWrite(std::fprintf(
                csv_->file(), "%s\n",
                formatCsvRow(frame, figures, changes, watch_->civilizations()).c_str()));
    }

    const World& world_;
    bool stats_;
    CsvOutput* csv_;
    StopCondition until_;
    std::optional<CivilizationWatch> watch_;
    int statsFailure_ = 0;
};

// On `display`, or without one for --no-draw.
int runWorld(World& world, Display* display, const RunnerOptions& options, CsvOutput* csv,
             int& statsFailure)
{
    if (!options.pngDirectory.empty()) {
        std::error_code error;
        std::filesystem::create_directories(options.pngDirectory, error);
        if (error)
            return fail("cannot create \"" + options.pngDirectory + "\": " + error.message());
    }
    seedRandom(world.random, options.seed);
    int32_t setUp = setUpWorld(world, display);
    if (setUp == worldOutOfMemory)
        return fail("out of memory while building the world");
    if (setUp != worldComplete)
        return fail("world set-up was interrupted");
    if (reportMissingParts(world))
        return fail("the world is incomplete");
    FigureOutput figures(world, options.stats, csv, options.until);
    int64_t stoppedAt = figures.start() ? 0 : -1;

#ifdef _WIN32
    // The drawing clock is the SDL backend's: timings come from the native build.
    if (options.bench)
        return fail("--bench is measured on the native build only");
    struct NoBench {
        void beginFrame() {}
        void endFrame(const World&, int64_t, int64_t) {}
        void print(const World&, int64_t) const {}
    };
    std::optional<NoBench> bench;
#else
    std::optional<FrameBench> bench;
    if (options.bench)
        bench.emplace();
#endif
    for (int64_t frame = 1; frame <= options.frames && stoppedAt < 0; ++frame) {
        if (bench)
            bench->beginFrame();
        if (runFrame(world) == frameOutOfMemory)
            return fail("out of memory at frame " + std::to_string(frame));
        if (bench)
            bench->endFrame(world, frame, options.frames);
        if (figures.frame(frame))
            stoppedAt = frame;
        if (!options.pngDirectory.empty() && frame % options.every == 0) {
            // Renamed once whole, so a stopped run leaves no half picture.
            std::string path = framePath(options.pngDirectory, frame, options.frames);
            const std::string partial = path + ".partial";
            errno = 0;
            if (!saveSurfacePng(display->primarySurface, partial.c_str()) ||
                std::rename(partial.c_str(), path.c_str()) != 0) {
                const int cause = errno;
                std::remove(partial.c_str());
                return fail(
                    "cannot write " + path +
                    (cause != 0 ? std::string(": ") + std::strerror(cause) : std::string()));
            }
        }
    }
    statsFailure = figures.statsFailure();
    if (bench)
        bench->print(world, stoppedAt < 0 ? options.frames : stoppedAt);
    if (stoppedAt >= 0)
        std::fprintf(stderr, "tovrine-world: stopped at frame %lld: %s\n",
                     static_cast<long long>(stoppedAt), stopConditionText(options.until).c_str());
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
        return finishStandardOutput(error) ? 0 : fail(error);
    }
    OptionsRecord record;
    if (!loadRunnerRecord(options, record, error) || !checkDisplayMode(record, error))
        return fail(error);
    CsvOutput csvFile;
    CsvOutput* csv = nullptr;
    if (!options.csvPath.empty()) {
        if (!csvFile.open(options.csvPath, error))
            return fail(error);
        csv = &csvFile;
    }
    World world;
    world.liveOptions = record;
    world.food.search = options.walkFood ? FoodSearch::walk : FoodSearch::indexed;
    // --no-draw: a world without a display, which needs no bitmap.
    Display display;
    if (!options.noDraw && !openRunnerDisplay(display, record))
        return fail("cannot open a " + std::to_string(record.screenWidth) + " x " +
                    std::to_string(record.screenHeight) + " x " +
                    std::to_string(record.screenDepth) + " display");
    int statsFailure = 0;
    int result = runWorld(world, options.noDraw ? nullptr : &display, options, csv, statsFailure);
    tearDownWorld(world);
    closeRunnerDisplay(display);
    if (csv != nullptr && !csv->close(result == 0, error) && result == 0)
        result = fail(error);
    // Figures that never reached their reader are a failure, not a run.
    if (result == 0 && statsFailure != 0)
        result = fail(std::string("cannot write standard output: ") + std::strerror(statsFailure));
    if (result == 0 && !finishStandardOutput(error))
        result = fail(error);
    return result;
}
