#include "host/record_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "settings/options_record.h"

namespace {

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

std::string notAFile(const std::string& name, const struct stat& status)
{
    const char* what = "something other than a file";
    if (S_ISDIR(status.st_mode))
        what = "a folder, not a file";
#ifndef _WIN32
    else if (S_ISFIFO(status.st_mode))
        what = "a named pipe, not a file";
    else if (S_ISSOCK(status.st_mode))
        what = "a socket, not a file";
    else if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode))
        what = "a device, not a file";
#endif
    return name + " is " + what;
}

#ifndef _WIN32
// Why open() found nothing: a link whose target is missing or loops is
// named as such, not taken for "no file".
RecordFileState explainMissing(const std::string& path, const std::string& name, int openError,
                               std::string& error)
{
    struct stat link;
    if (openError == ELOOP) {
        error = name + " is a symbolic link that leads round in a loop";
        return RecordFileState::refused;
    }
    if (openError == ENOENT && lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        char target[4096];
        ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
        target[length > 0 ? length : 0] = '\0';
        error = name + " is a symbolic link to " + quoted(target) + ", which does not exist";
        return RecordFileState::refused;
    }
    error = "cannot open " + name + ": " + std::strerror(openError);
    return openError == ENOENT ? RecordFileState::missing : RecordFileState::refused;
}
#endif

}  // namespace

RecordFileState readRecordFile(const std::string& path, const char* what, std::string& bytes,
                               uint64_t& size, std::string& error)
{
    const std::string name = std::string(what) + " " + quoted(path);
    bytes.clear();
    size = 0;
#ifdef _WIN32
    struct stat status;
    if (stat(path.c_str(), &status) != 0) {
        error = "cannot open " + name + ": " + std::strerror(errno);
        return errno == ENOENT ? RecordFileState::missing : RecordFileState::refused;
    }
    if (!S_ISREG(status.st_mode)) {
        error = notAFile(name, status);
        return RecordFileState::refused;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
#else
    // Without O_NONBLOCK, opening a named pipe waits for a writer forever.
    int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return explainMissing(path, name, errno, error);
    struct stat status;
    if (fstat(descriptor, &status) != 0) {
        error = "cannot read " + name + ": " + std::strerror(errno);
        close(descriptor);
        return RecordFileState::refused;
    }
    if (!S_ISREG(status.st_mode)) {
        error = notAFile(name, status);
        close(descriptor);
        return RecordFileState::refused;
    }
    std::FILE* file = fdopen(descriptor, "rb");
    if (file == nullptr)
        close(descriptor);
#endif
    if (file == nullptr) {
        error = "cannot open " + name + ": " + std::strerror(errno);
        return RecordFileState::refused;
    }
    size = static_cast<uint64_t>(status.st_size);
    bytes.resize(optionsRecordSize + 1);
    bytes.resize(std::fread(&bytes[0], 1, bytes.size(), file));
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        error = "cannot read " + name;
        return RecordFileState::refused;
    }
    // A file that changed since fstat: a short one was read whole.
    if (bytes.size() <= optionsRecordSize || size < bytes.size())
        size = bytes.size();
    return RecordFileState::read;
}

bool readRecordFileStart(const std::string& path, std::string& bytes, std::string& error)
{
    uint64_t size = 0;
    return readRecordFile(path, "record file", bytes, size, error) == RecordFileState::read;
}
