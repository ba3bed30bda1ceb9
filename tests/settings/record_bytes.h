// A settings record as the bytes that are stored, for byte-for-byte checks.
#pragma once

#include <cstddef>
#include <vector>

inline std::vector<unsigned char> recordBytes(const void* record, std::size_t size)
{
    const unsigned char* p = static_cast<const unsigned char*>(record);
    return std::vector<unsigned char>(p, p + size);
}
