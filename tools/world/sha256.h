// SHA-256 of a file or of bytes in memory, so that a sweep's folder can say
// exactly which programs and records made it.
#pragma once

#include <string>

// The digest as 64 lower-case hexadecimal digits.
std::string sha256Hex(const std::string& bytes);

// Of a whole file; false with `error` set when it cannot be read.
bool sha256OfFile(const std::string& path, std::string& digest, std::string& error);
