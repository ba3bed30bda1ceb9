// A reader for the committed pictures, written apart from the generator's
// writer so that a fault in one does not hide in the other, and the cells
// of the gridded sheets.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "tests/art/artwork_table.h"

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Colour> pixels;  // top row first
    Colour at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Reads a 24-bit uncompressed bottom-up BMP; `error` says why when it fails.
bool readBmp(const std::string& path, Picture& picture, std::string& error);
std::vector<uint8_t> readBytes(const std::string& path);
uint32_t littleEndian(const std::vector<uint8_t>& bytes, size_t at, int count);

// What a 16-bit 5-6-5 surface keeps of a colour, read back as 8 bits a channel.
Colour as565(Colour c);

std::string bitmapPath(const std::string& fileName);  // under resources/bitmaps

// The committed bitmap; a failed read is a test failure and an empty picture.
Picture loadBitmap(const std::string& fileName);

const SheetLayout& layoutOf(const std::string& fileName);
void PrintTo(const SheetLayout& layout, std::ostream* os);  // names the sheet in test output

// One cell's pixels, cells counted from 0 in reading order.
Picture cellOf(const Picture& sheet, const SheetLayout& layout, int index);
