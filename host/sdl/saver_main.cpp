// The Linux saver's process entry, an xscreensaver hack: the command line,
// the settings record, where the artwork is, the signals, then the run.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/saver_options.h"
#include "host/saver_start.h"
#include "host/sdl/saver_host.h"
#include "host/x11/x11_window.h"
#include "render/sdl/resource_directory.h"
#include "settings/options_record.h"

namespace {

constexpr int exitFailure = 1;

int fail(const std::string& message)
{
    std::fprintf(stderr, "tovrine: %s\n", message.c_str());
    return exitFailure;
}

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

void catchStopSignals()
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = stopSaver;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a signal cuts the frame clock's sleep short.
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
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
        request.kind = WindowKind::given;
        request.windowId = rootTargetWindow();
        break;
    case SaverTarget::givenWindow:
        request.kind = WindowKind::given;
        request.windowId = options.windowId;
        break;
    }
    return request;
}

}  // namespace

int main(int argc, char** argv)
{
    // First: the daemon may end a hack at any moment, even while it starts.
    catchStopSignals();
    SaverOptions options;
    OptionsRecord record;
    SaverStart start = prepareSaverStart(argc, argv, options, record);
    if (start != SaverStart::run)
        return start == SaverStart::endSuccess ? 0 : exitFailure;
    liveOptions = record;
    findResources();

    SaverRun run;
    run.window = windowFor(options, record);
    if (run.window.kind == WindowKind::given && run.window.windowId == 0)
        return fail("cannot open the display");
    run.delayMicroseconds = options.delayMicroseconds;
    run.showFps = options.showFps;
    run.benchFrames = options.benchFrames;
    return runSaver(run);
}
