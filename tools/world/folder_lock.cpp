#include "tools/world/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>

namespace {

std::string holderOf(int fd)
{
    char text[4096];
    const ssize_t got = pread(fd, text, sizeof text - 1, 0);
    std::string holder(text, got > 0 ? static_cast<size_t>(got) : 0);
    while (!holder.empty() && holder.back() == '\n')
        holder.pop_back();
    return holder;
}

// The lock file, made now or one a sweep left. A link (or a second name of
// another file) is never opened for writing: its target is someone else's.
int openLockFile(const std::string& path, bool& created)
{
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    created = fd >= 0;
    if (fd >= 0 || errno != EEXIST)
        return fd;
    fd = open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat status {};
    if (fd >= 0 && (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_nlink != 1)) {
        close(fd);
        errno = ELOOP;
        return -1;
    }
    return fd;
}

}  // namespace

FolderLock::~FolderLock()
{
    if (fd_ < 0)
        return;
    // A finished folder's lock file is empty: no command line stays in it.
    if (named_ && ftruncate(fd_, 0) != 0) {
        // The lock ends with the descriptor all the same.
    }
    close(fd_);
}

void FolderLock::abandon()
{
    if (fd_ < 0)
        return;
    // The folder is as it was: no lock file it did not have, and nothing
    // written into one it had.
    if (created_)
        unlink(path_.c_str());
    close(fd_);
    fd_ = -1;
}

bool FolderLock::take(const std::string& directory, std::string& error)
{
    std::error_code code;
    std::filesystem::create_directories(directory, code);
    const std::string path = (std::filesystem::path(directory) / folderLockName).string();
    fd_ = code ? -1 : openLockFile(path, created_);
    path_ = path;
    if (fd_ < 0) {
        error = !code && errno == ELOOP
                    ? "\"" + path +
                          "\" is a link or not a sweep's lock file: a sweep writes into "
                          "no file it did not make; remove it or choose another folder"
                    : "cannot write into \"" + directory +
                          "\": " + (code ? code.message() : std::string(std::strerror(errno)));
        return false;
    }
    // The holder names itself once it has found the folder to be its own: a
    // moment's wait lets the refusal name it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int cause = errno;
        const std::string holder = holderOf(fd_);
        if (cause != EWOULDBLOCK || !holder.empty() ||
            std::chrono::steady_clock::now() > deadline) {
            error = "\"" + directory + "\" is in use by another sweep" +
                    (holder.empty() ? std::string("") : ", started as: " + holder) +
                    "; wait for it to end or choose another folder";
            close(fd_);
            fd_ = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void FolderLock::name(const std::string& command)
{
    const std::string line = command + "\n";
    named_ = true;
    // The name is only for a refused sweep's message: a full disk that
    // keeps it out does not stop this sweep.
    if (ftruncate(fd_, 0) != 0 || pwrite(fd_, line.data(), line.size(), 0) < 0)
        std::fprintf(stderr, "tovrine-sweep: note: cannot name this sweep in %s: %s\n",
                     path_.c_str(), std::strerror(errno));
}
