// One sweep at a time in a folder. The lock is the kernel's (flock on
// DIR/.lock), so it ends with its process however that ends; the file names
// the holder's command line while it runs, for the message of the refused one.
#pragma once

#include <string>

class FolderLock {
public:
    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Creates the folder when it is missing and takes its lock, or says at
    // once who holds it. A lock file that is a link is refused. False with
    // `error` set.
    bool take(const std::string& directory, std::string& error);

    // Writes the command line into the lock file, once the folder is found
    // to be the sweep's to write.
    void name(const std::string& command);

    // Lets go of a folder the sweep did not take after all (one that holds
    // something else), removing the lock file if this sweep made it.
    void abandon();

private:
    int fd_ = -1;
    bool created_ = false;
    bool named_ = false;
    std::string path_;
};

// The lock file's name inside a sweep's folder.
constexpr char folderLockName[] = ".lock";
