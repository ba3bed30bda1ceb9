// The Linux saver's process entry, an xscreensaver hack: the command line,
// the settings record, where the artwork is, the signals, then the run.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/saver_options.h"
#include "host/saver_start.h"
#include "host/sdl/saver_host.h"
#include "host/sdl/saver_stop.h"
#include "platform/services.h"
#include "render/sdl/resource_directory.h"
#include "settings/options_record.h"

namespace {

bool isFolder(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

// Installed, the program is <prefix>/libexec/xscreensaver/tovrine and its
// bitmaps are in <prefix>/share/tovrine/bitmaps. Elsewhere (the build tree)
// $TOVRINE_RESOURCES or the source tree's resources serve.
void findResources()
{
    char exe[4096];
    ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length <= 0)
        return;
    std::string path(exe, static_cast<size_t>(length));
    std::string folder = path.substr(0, path.rfind('/')) + "/../../share/tovrine";
    if (isFolder(folder + "/bitmaps"))
        useResourceDirectory(folder);
}

// -geometry: a size of 0 keeps the world's; the offsets are measured
// against the screen by the host.
void placeOwnWindow(const WindowGeometry& geometry, WindowRequest& request)
{
    if (geometry.width > 0)
        request.windowWidth = geometry.width;
    if (geometry.height > 0)
        request.windowHeight = geometry.height;
    request.placed = geometry.placed;
    request.x = geometry.x;
    request.y = geometry.y;
    request.fromRight = geometry.fromRight;
    request.fromBottom = geometry.fromBottom;
}

WindowRequest windowFor(const SaverOptions& options, const OptionsRecord& record)
{
    WindowRequest request;
    request.depth = record.screenDepth;
    if (!options.nativeSize || options.target == SaverTarget::ownWindow) {
        request.width = record.screenWidth;
        request.height = record.screenHeight;
    }
    switch (options.target) {
    case SaverTarget::ownWindow:
        request.kind = WindowKind::framed;
        break;
    case SaverTarget::fullScreen:
        request.kind = WindowKind::fullScreen;
        break;
    case SaverTarget::root:
        request.kind = WindowKind::given;  // of id 0: found once the display is open
        break;
    case SaverTarget::givenWindow:
        request.kind = WindowKind::given;
        request.windowId = options.windowId;
        break;
    }
    return request;
}

int run(int argc, char** argv)
{
    SaverOptions options;
    OptionsRecord record;
    SaverStart start = prepareSaverStart(argc, argv, options, record);
    if (start != SaverStart::run)
        return start == SaverStart::endSuccess ? 0 : 1;
    findResources();

    SaverRun saver;
    saver.record = record;
    saver.window = windowFor(options, record);
    if (options.geometry && options.target == SaverTarget::ownWindow)
        placeOwnWindow(*options.geometry, saver.window);
    saver.displayName = options.display;
    saver.delayMicroseconds = options.delayMicroseconds;
    saver.showFps = options.showFps;
    saver.benchFrames = options.benchFrames;
    // Without -seed, each run is another world, as on Windows.
    saver.seed = options.seed ? *options.seed : clockSeed();
    // Started by hand, the adjusted settings are told on the picture too.
    if (options.target == SaverTarget::ownWindow || options.target == SaverTarget::fullScreen)
        saver.notices = options.warnings;
    return runSaver(saver);
}

}  // namespace

int main(int argc, char** argv)
{
    // First: the daemon may end a hack at any moment, even while it starts.
    catchStopSignals();
    // After the clean-up: by the signal that ended the run, if one did.
    endProcess(run(argc, argv));
}
