// A command line from a fuzzer's input: arguments separated by NUL bytes,
// after the program's name, as main receives them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class FuzzArguments {
public:
    FuzzArguments(const char* program, const uint8_t* data, size_t size)
    {
        texts_.push_back(program);
        std::string current;
        for (size_t i = 0; i < size && texts_.size() < mostArguments; ++i) {
            if (data[i] == 0) {
                texts_.push_back(current);
                current.clear();
            } else {
                current += static_cast<char>(data[i]);
            }
        }
        if (!current.empty() && texts_.size() < mostArguments)
            texts_.push_back(current);
        for (const std::string& text : texts_)
            argv_.push_back(text.c_str());
        argv_.push_back(nullptr);
    }

    int argc() const { return static_cast<int>(texts_.size()); }
    const char* const* argv() const { return argv_.data(); }

private:
    static constexpr size_t mostArguments = 64;
    std::vector<std::string> texts_;
    std::vector<const char*> argv_;
};
