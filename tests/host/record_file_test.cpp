#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "host/record_file.h"

namespace {

#ifndef _WIN32

// Every kind of thing a settings file name may lead to: only a regular file
// is read, the rest is refused at once (a pipe without a writer would
// otherwise block for ever), each with what it is and a file's real size.
TEST(RecordFile, ReadsOnlyRegularFilesAndSaysWhatAnythingElseIs)
{
    char folder[] = "/tmp/tovrine-record-file-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string dir = folder;
    auto write = [&](const char* name, std::size_t size) {
        std::FILE* file = std::fopen((dir + "/" + name).c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::string bytes(size, 'r');
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    };
    write("whole.rec", 128);
    write("long.rec", 200);
    write("huge.rec", 0);
    ASSERT_EQ(truncate((dir + "/huge.rec").c_str(), 1073741824), 0);  // sparse: no disk used
    ASSERT_EQ(mkfifo((dir + "/pipe.rec").c_str(), 0600), 0);
    ASSERT_EQ(mkdir((dir + "/folder.rec").c_str(), 0700), 0);
    ASSERT_EQ(symlink("gone.rec", (dir + "/dangling.rec").c_str()), 0);
    ASSERT_EQ(symlink("loop.rec", (dir + "/loop.rec").c_str()), 0);
    ASSERT_EQ(symlink("whole.rec", (dir + "/link.rec").c_str()), 0);

    struct Case {
        std::string path;
        RecordFileState state;
        uint64_t size;
        std::size_t bytes;
        const char* message;
    };
    const Case cases[] = {
        {dir + "/whole.rec", RecordFileState::read, 128, 128, ""},
        {dir + "/link.rec", RecordFileState::read, 128, 128, ""},
        {dir + "/long.rec", RecordFileState::read, 200, 129, ""},
        {dir + "/huge.rec", RecordFileState::read, 1073741824, 129, ""},
        {"/dev/zero", RecordFileState::refused, 0, 0, "is a device, not a file"},
        {dir + "/pipe.rec", RecordFileState::refused, 0, 0, "is a named pipe, not a file"},
        {dir + "/folder.rec", RecordFileState::refused, 0, 0, "is a folder, not a file"},
        {dir + "/dangling.rec", RecordFileState::refused, 0, 0,
         "is a symbolic link to \"gone.rec\", which does not exist"},
        {dir + "/loop.rec", RecordFileState::refused, 0, 0, "leads round in a loop"},
        {dir + "/none.rec", RecordFileState::missing, 0, 0, "No such file"},
    };
    for (const Case& c : cases) {
        std::string bytes = "old";
        uint64_t size = 7;
        std::string error;
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(readRecordFile(c.path, "settings file", bytes, size, error), c.state) << c.path;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1)) << c.path;
        EXPECT_EQ(size, c.size) << c.path;
        EXPECT_EQ(bytes.size(), c.bytes) << c.path;
        if (c.state != RecordFileState::read) {
            EXPECT_NE(error.find("settings file \"" + c.path + "\""), std::string::npos) << error;
            EXPECT_NE(error.find(c.message), std::string::npos) << error;
        }
    }
    for (const char* name :
         {"whole.rec", "long.rec", "huge.rec", "pipe.rec", "dangling.rec", "loop.rec", "link.rec"})
        unlink((dir + "/" + name).c_str());
    rmdir((dir + "/folder.rec").c_str());
    rmdir(folder);
}

#endif

}  // namespace
