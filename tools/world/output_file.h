// Files the workbench writes, every write checked: a failure names the file
// and the cause ("No space left on device"), never passes for success.
#pragma once

#include <cstdio>
#include <string>

// PATH made anew for writing by this process: whatever had the name (a
// partial file left by a killed run, a link) is unlinked first, never
// followed or emptied. `mode` is fopen's ("w" for text on Windows). Null
// with errno set.
std::FILE* createFile(const std::string& path, const char* mode = "wb");

// "cannot write \"PATH\": CAUSE" for the errno value `code`.
std::string writeError(const std::string& path, int code);

// Writes `text` as PATH.partial, flushed and closed, then renames it to PATH,
// so that PATH is never cut off. The partial file is removed on failure.
bool writeFileWhole(const std::string& path, const std::string& text, std::string& error);

// Replaces PATH's bytes in place: the last resort on a full disk, where a
// second copy beside the first has no room but the first's blocks (and room
// kept beyond its end) do. A link is not followed.
bool overwriteFile(const std::string& path, const std::string& text, std::string& error);

// The bytes of a whole file; false with `error` set.
bool readWholeFile(const std::string& path, std::string& bytes, std::string& error);

// Standard output flushed and its earlier writes checked (a pipe closed, a
// full disk, /dev/full): false with `error` set.
bool finishStandardOutput(std::string& error);

// `text` on standard output, then finished: a text longer than stdio's
// buffer fails in the write itself, whose cause the flush no longer knows.
bool printWhole(const std::string& text, std::string& error);

// A file written line by line under NAME.partial and renamed by the caller;
// the first failure's errno is kept, so that a full disk is said as such.
class PartialFile {
public:
    explicit PartialFile(const std::string& path);
    ~PartialFile();
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    void line(const std::string& text);
    // Closes; false with `error` naming the file and the cause, the partial
    // file removed.
    bool close(std::string& error);
    const std::string& partialPath() const { return partial_; }

private:
    std::string partial_;
    std::FILE* file_;
    int failure_ = 0;
};
