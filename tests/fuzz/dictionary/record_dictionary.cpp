// The record fuzzer's dictionary: every field's range ends, a step beyond
// them and 0, as the four little-endian bytes the record stores, from the
// fields' own table, so that libFuzzer's byte mutations too write whole
// values where the rules change. Printed on standard output.
#include <cstdint>
#include <cstdio>
#include <limits>
#include <set>

#include "settings/record_fields.h"

int main()
{
    std::set<uint32_t> values = {0, 1, static_cast<uint32_t>(std::numeric_limits<int32_t>::min()),
                                 static_cast<uint32_t>(std::numeric_limits<int32_t>::max())};
    for (const RecordField& field : recordFields())
        for (int64_t value : {int64_t{field.low}, int64_t{field.high}, int64_t{field.low} - 1,
                              int64_t{field.high} + 1})
            values.insert(static_cast<uint32_t>(value));
    for (uint32_t value : values)
        std::printf("\"\\x%02X\\x%02X\\x%02X\\x%02X\"\n", value & 0xFF, (value >> 8) & 0xFF,
                    (value >> 16) & 0xFF, value >> 24);
    return std::ferror(stdout) != 0 || std::fflush(stdout) != 0;
}
