// Settings records kept in files: the Linux saver's settings file and
// -record, and the workbench's --record.
#pragma once

#include <cstdint>
#include <string>

enum class RecordFileState {
    read,     // `bytes` and `size` hold what is there
    missing,  // nothing at all by that name (not even a link)
    refused,  // something that is not a readable regular file; `error` says what
};

// The first bytes of the regular file at `path`, at most one more than a
// record (enough to refuse a longer file), and its real size. Anything but a
// regular file (a pipe, a device, a folder, a link that leads nowhere) is
// refused at once, never opened for reading or waited on. Messages call the
// file `what` ("record file", "settings file").
RecordFileState readRecordFile(const std::string& path, const char* what, std::string& bytes,
                               uint64_t& size, std::string& error);

// The same, where a missing file is an error too.
bool readRecordFileStart(const std::string& path, std::string& bytes, std::string& error);
