#include "host/record_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "settings/options_record.h"

bool readRecordFileStart(const std::string& path, std::string& bytes, std::string& error)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = "cannot open record file \"" + path + "\": " + std::strerror(errno);
        return false;
    }
    bytes.resize(optionsRecordSize + 1);
    bytes.resize(std::fread(&bytes[0], 1, bytes.size(), file));
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        error = "cannot read record file \"" + path + "\"";
    return !failed;
}
