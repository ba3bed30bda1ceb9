#include "tools/world/output_file.h"

#include <fcntl.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

// errno after a failed stdio call, which may leave it 0 (a short write of a
// full device reports itself at the flush).
int failureCode() { return errno != 0 ? errno : EIO; }

bool writeAll(std::FILE* file, const std::string& text, int& failure)
{
    errno = 0;
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), file) != text.size())
        failure = failureCode();
    if (failure == 0 && std::fflush(file) != 0)
        failure = failureCode();
    errno = 0;
    if (std::fclose(file) != 0 && failure == 0)
        failure = failureCode();
    return failure == 0;
}

}  // namespace

std::FILE* createFile(const std::string& path, const char* mode)
{
#ifdef _WIN32
    return std::fopen(path.c_str(), mode);
#else
    // A name that is a link points at someone else's file: the link goes,
    // and the file made in its place is this process's own.
    unlink(path.c_str());
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    std::FILE* file = fd < 0 ? nullptr : fdopen(fd, mode);
    if (file == nullptr && fd >= 0) {
        const int cause = errno;
        close(fd);
        errno = cause;
    }
    return file;
#endif
}

std::string writeError(const std::string& path, int code)
{
    return "cannot write \"" + path + "\": " + std::strerror(code);
}

namespace {

// A device or a pipe under the name: renamed over, it would be gone for
// everyone (as root, /dev/full would become a plain file), so it is written
// as it is.
bool isSpecialFile(const std::string& path)
{
    std::error_code code;
    const std::filesystem::file_status status = std::filesystem::symlink_status(path, code);
    return !code && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
           !std::filesystem::is_symlink(status) && !std::filesystem::is_directory(status);
}

}  // namespace

bool writeFileWhole(const std::string& path, const std::string& text, std::string& error)
{
    if (isSpecialFile(path)) {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        int failure = file == nullptr ? failureCode() : 0;
        if (file != nullptr && writeAll(file, text, failure))
            return true;
        error = writeError(path, failure);
        return false;
    }
    const std::string partial = path + ".partial";
    std::FILE* file = createFile(partial);
    int failure = 0;
    if (file == nullptr)
        failure = failureCode();
    else if (writeAll(file, text, failure)) {
        std::error_code code;
        std::filesystem::rename(partial, path, code);
        if (!code)
            return true;
        failure = code.value();
    }
    std::remove(partial.c_str());
    error = writeError(path, failure);
    return false;
}

#ifdef _WIN32
bool overwriteFile(const std::string& path, const std::string& text, std::string& error)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    int failure = 0;
    if (file == nullptr)
        failure = failureCode();
    else if (writeAll(file, text, failure))
        return true;
    error = writeError(path, failure);
    return false;
}
#else
bool overwriteFile(const std::string& path, const std::string& text, std::string& error)
{
    // Written over the old bytes and cut to length only then: the file's
    // own blocks (and any room kept beyond its end) take the new ones, so
    // no block is given up to the full disk in between.
    const int fd = open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    int failure = fd < 0 ? errno : 0;
    for (size_t at = 0; failure == 0 && at < text.size();) {
        const ssize_t wrote =
            pwrite(fd, text.data() + at, text.size() - at, static_cast<off_t>(at));
        if (wrote < 0 && errno != EINTR)
            failure = errno;
        at += wrote > 0 ? static_cast<size_t>(wrote) : 0;
    }
    if (failure == 0 && ftruncate(fd, static_cast<off_t>(text.size())) != 0)
        failure = errno;
    if (fd >= 0 && close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure != 0)
        error = writeError(path, failure);
    return failure == 0;
}
#endif

bool readWholeFile(const std::string& path, std::string& bytes, std::string& error)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = "cannot read \"" + path + "\": " + std::strerror(errno);
        return false;
    }
    bytes.clear();
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        error = "cannot read \"" + path + "\"";
    return !failed;
}

bool finishStandardOutput(std::string& error)
{
    errno = 0;
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0)
        return true;
    error = std::string("cannot write standard output: ") + std::strerror(failureCode());
    return false;
}

bool printWhole(const std::string& text, std::string& error)
{
    errno = 0;
    const int cause = std::fputs(text.c_str(), stdout) < 0 ? failureCode() : 0;
    const bool finished = finishStandardOutput(error);
    if (cause == 0)
        return finished;
    error = std::string("cannot write standard output: ") + std::strerror(cause);
    return false;
}

PartialFile::PartialFile(const std::string& path)
    : partial_(path + ".partial"), file_(createFile(partial_))
{
    if (file_ == nullptr)
        failure_ = failureCode();
}

PartialFile::~PartialFile()
{
    if (file_ != nullptr)
        std::fclose(file_);
}

void PartialFile::line(const std::string& text)
{
    if (file_ == nullptr || failure_ != 0)
        return;
    errno = 0;
    if (std::fputs(text.c_str(), file_) < 0 || std::fputc('\n', file_) == EOF)
        failure_ = failureCode();
}

bool PartialFile::close(std::string& error)
{
    std::FILE* file = file_;
    file_ = nullptr;
    if (file != nullptr) {
        errno = 0;
        if (std::fflush(file) != 0 && failure_ == 0)
            failure_ = failureCode();
        if (std::fclose(file) != 0 && failure_ == 0)
            failure_ = failureCode();
    }
    if (failure_ == 0)
        return true;
    std::string path = partial_.substr(0, partial_.size() - 8);
    error = writeError(path, failure_);
    std::remove(partial_.c_str());
    return false;
}
