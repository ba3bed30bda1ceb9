// The Linux saver's process entry, an xscreensaver hack: the command line,
// the settings record, where the artwork is, the signals, then the run.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/record_file.h"
#include "host/saver_options.h"
#include "host/sdl/saver_host.h"
#include "host/sdl/saver_stop.h"
#include "render/sdl/resource_directory.h"
#include "settings/options_record.h"

namespace {

bool readRecordFiles(const SaverOptions& options, RecordFiles& files, std::string& error)
{
    std::string path = settingsFilePath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    std::string bytes;
    // No settings file is the usual case: the first preset then.
    if (!path.empty() && access(path.c_str(), F_OK) == 0) {
        if (!readRecordFileStart(path, bytes, error))
            return false;
        files.settingsFile = bytes;
    }
    if (!options.recordPath.empty()) {
        if (!readRecordFileStart(options.recordPath, bytes, error))
            return false;
        files.recordFile = bytes;
    }
    return true;
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
    std::string error;
    OptionsVerdict verdict = readSaverOptions(argc, argv, options, error);
    if (verdict == OptionsVerdict::unknownOption) {
        reportFailure(error);
        std::fputs(saverUsage().c_str(), stderr);
        return 1;
    }
    if (verdict == OptionsVerdict::refusedValue)
        return reportFailure(error);
    if (options.help) {
        std::fputs(saverUsage().c_str(), stdout);
        return 0;
    }
    RecordFiles files;
    OptionsRecord record;
    if (!readRecordFiles(options, files, error) ||
        !chooseSaverRecord(options, files, record, error))
        return reportFailure(error);
    liveOptions = record;
    findResources();

    SaverRun saver;
    saver.window = windowFor(options, record);
    saver.delayMicroseconds = options.delayMicroseconds;
    saver.showFps = options.showFps;
    saver.benchFrames = options.benchFrames;
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
