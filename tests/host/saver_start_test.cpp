#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "host/saver_start.h"

namespace {

#ifndef _WIN32

// The settings file as the saver finds it through XDG_CONFIG_HOME: a named
// pipe there is refused at once with a line, and -record replaces it so
// completely that it is not even looked at; only a -record file that is not
// there ends the run.
TEST(SaverStart, RecordReplacesTheSettingsFileAndOnlyAMissingRecordEndsTheRun)
{
    char folder[] = "/tmp/tovrine-saver-start-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string dir = folder;
    ASSERT_EQ(mkdir((dir + "/tovrine").c_str(), 0700), 0);
    ASSERT_EQ(mkfifo((dir + "/tovrine/options.rec").c_str(), 0600), 0);
    const std::string good = dir + "/good.rec";
    std::FILE* file = std::fopen(good.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(&presetAlgorithms[2], 1, sizeof(OptionsRecord), file);
    std::fclose(file);
    const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string keptConfig = oldConfig ? oldConfig : "";
    setenv("XDG_CONFIG_HOME", folder, 1);

    struct Case {
        std::vector<const char*> arguments;
        SaverStart start;
        std::size_t warnings;
        int32_t vobs;
    };
    const Case cases[] = {
        {{}, SaverStart::run, 1, presetAlgorithms[0].initialVobs},
        {{"-preset", "3"}, SaverStart::run, 1, presetAlgorithms[3].initialVobs},
        {{"-record", good.c_str()}, SaverStart::run, 0, presetAlgorithms[2].initialVobs},
        {{"-record", "/nonexistent/none.rec"}, SaverStart::endFailure, 0, 0},
        {{"-record", folder}, SaverStart::endFailure, 0, 0},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv = c.arguments;
        argv.insert(argv.begin(), "tovrine");
        SaverOptions options;
        OptionsRecord record = presetAlgorithms[6];
        const SaverStart start =
            prepareSaverStart(static_cast<int>(argv.size()), argv.data(), options, record);
        const std::string line = c.arguments.empty() ? "(none)" : c.arguments[0];
        EXPECT_EQ(start, c.start) << line;
        if (c.start == SaverStart::run) {
            EXPECT_EQ(options.warnings.size(), c.warnings) << line;
            EXPECT_EQ(record.initialVobs, c.vobs) << line;
        }
    }

    if (oldConfig)
        setenv("XDG_CONFIG_HOME", keptConfig.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    unlink((dir + "/tovrine/options.rec").c_str());
    unlink(good.c_str());
    rmdir((dir + "/tovrine").c_str());
    rmdir(folder);
}

#endif

}  // namespace
