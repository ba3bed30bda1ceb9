// The Linux saver's command line and the settings it starts from: its
// settings file and the record file that -record names, as chooseSaverRecord
// receives their bytes. An input is a byte saying which files exist (bit 0
// the settings file, bit 1 the record file), each existing file as a length
// byte and that many bytes, then the arguments separated by NUL bytes. A
// bad argument or a refused record ends with its message; an accepted one
// is a record the saver can draw.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "host/saver_options.h"
#include "settings/options_record.h"
#include "tests/fuzz/fuzz_arguments.h"

namespace {

class InputReader {
public:
    InputReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::string bytes(size_t count)
    {
        count = std::min(count, size_ - at_);
        std::string taken(reinterpret_cast<const char*>(data_ + at_), count);
        at_ += count;
        return taken;
    }
    const uint8_t* rest() const { return data_ + at_; }
    size_t restSize() const { return size_ - at_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

void requireMessage(const std::string& error)
{
    if (error.empty())
        __builtin_trap();  // a refusal without its message
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    InputReader input(data, size);
    const uint8_t present = input.byte();
    RecordFiles files;
    if (present & 1)
        files.settingsFile = input.bytes(input.byte());
    if (present & 2)
        files.recordFile = input.bytes(input.byte());
    const FuzzArguments arguments("tovrine", input.rest(), input.restSize());

    // The first two arguments as XDG_CONFIG_HOME and HOME.
    const std::string path = settingsFilePath(arguments.argc() > 1 ? arguments.argv()[1] : nullptr,
                                              arguments.argc() > 2 ? arguments.argv()[2] : nullptr);
    const std::string fileName = "/tovrine/options.rec";
    if (!path.empty() && path.compare(path.size() - std::min(path.size(), fileName.size()),
                                      std::string::npos, fileName) != 0)
        __builtin_trap();

    SaverOptions options;
    std::string error;
    if (readSaverOptions(arguments.argc(), arguments.argv(), options, error) !=
        OptionsVerdict::accepted) {
        requireMessage(error);
        return 0;
    }
    if (options.target == SaverTarget::givenWindow && options.windowId == 0)
        __builtin_trap();
    if (options.help)
        return 0;
    OptionsRecord record;
    if (!chooseSaverRecord(options, files, record, error)) {
        requireMessage(error);
        return 0;
    }
    if (record.screenDepth != 16 && record.screenDepth != 32)
        __builtin_trap();
    return 0;
}
