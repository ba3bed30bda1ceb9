// A reader for the committed pictures, written apart from the generator's
// writer so that a fault in one does not hide in the other.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Colour {
    int r = 0, g = 0, b = 0;
    bool operator==(const Colour& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Colour& o) const { return !(*this == o); }
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Colour> pixels;  // top row first
    Colour at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Reads a 24-bit uncompressed bottom-up BMP; `error` says why when it fails.
bool readBmp(const std::string& path, Picture& picture, std::string& error);
std::vector<uint8_t> readBytes(const std::string& path);

// What a 16-bit 5-6-5 surface keeps of a colour, read back as 8 bits a channel.
Colour as565(Colour c);

std::string bitmapPath(const std::string& fileName);  // under resources/bitmaps
