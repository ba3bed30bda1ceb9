// The Linux saver's command line and the settings it starts from: its
// settings file and the record file that -record names, as chooseSaverRecord
// receives their bytes. An input is a byte saying which files exist (bit 0
// the settings file, bit 1 the record file), each existing file as a length
// byte and that many bytes, then the arguments separated by NUL bytes. A
// bad argument ends with its message; any accepted command line gives a
// record the saver can draw, whatever the files hold.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
    for (std::optional<StoredRecord>* file : {&files.settingsFile, &files.recordFile}) {
        if (present & (file == &files.settingsFile ? 1 : 2)) {
            StoredRecord stored;
            stored.bytes = input.bytes(input.byte());
            stored.size = stored.bytes.size();
            *file = stored;
        }
    }
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
    for (const std::string& warning : options.warnings)
        requireMessage(warning);
    std::vector<std::string> warnings;
    const OptionsRecord record = chooseSaverRecord(options, files, warnings);
    if (record.screenDepth != 16 && record.screenDepth != 32)
        __builtin_trap();
    if (!options.nativeSize && (record.screenWidth < 1 || record.screenHeight < 1))
        __builtin_trap();
    return 0;
}
