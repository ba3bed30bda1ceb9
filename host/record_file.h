// Settings records kept in files: the Linux saver's settings file and
// -record, and the workbench's --record.
#pragma once

#include <string>

// The first bytes of the file at `path`, at most one more than a record:
// enough to refuse a longer file, and a device or pipe is never read to the
// end. False with a message when it cannot be opened or read.
bool readRecordFileStart(const std::string& path, std::string& bytes, std::string& error);
