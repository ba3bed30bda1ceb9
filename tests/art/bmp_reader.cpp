#include "tests/art/bmp_reader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

uint32_t littleEndian(const std::vector<uint8_t>& b, size_t at, int count)
{
    uint32_t v = 0;
    for (int i = count - 1; i >= 0; --i)
        v = (v << 8) | b[at + i];
    return v;
}

namespace {

uint32_t le(const std::vector<uint8_t>& b, size_t at, int count)
{
    return littleEndian(b, at, count);
}

}  // namespace

std::vector<uint8_t> readBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool readBmp(const std::string& path, Picture& picture, std::string& error)
{
    std::vector<uint8_t> b = readBytes(path);
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M')
        return error = "not a BMP: " + path, false;
    if (le(b, 2, 4) != b.size())
        return error = "file size field wrong", false;
    if (le(b, 14, 4) != 40)
        return error = "not a BITMAPINFOHEADER", false;
    int32_t width = static_cast<int32_t>(le(b, 18, 4)), height = static_cast<int32_t>(le(b, 22, 4));
    if (width <= 0 || height <= 0)
        return error = "not bottom-up or empty", false;
    if (le(b, 26, 2) != 1 || le(b, 28, 2) != 24 || le(b, 30, 4) != 0)
        return error = "not 24-bit uncompressed", false;
    size_t offset = le(b, 10, 4), stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
    if (offset + stride * height != b.size())
        return error = "pixel data size wrong", false;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        size_t row = offset + stride * (height - 1 - y);
        for (int x = 0; x < width; ++x)
            picture.pixels[static_cast<size_t>(y) * width + x] = {
                b[row + x * 3 + 2], b[row + x * 3 + 1], b[row + x * 3]};
    }
    return true;
}

Colour as565(Colour c)
{
    // Bit replication, as GDI expands a 16-bit pixel when reading it.
    int r = c.r >> 3, g = c.g >> 2, b = c.b >> 3;
    return {(r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2)};
}

std::string bitmapPath(const std::string& fileName)
{
    return std::string(TOVRINE_SOURCE_DIR) + "/resources/bitmaps/" + fileName;
}

Picture loadBitmap(const std::string& fileName)
{
    Picture p;
    std::string error;
    EXPECT_TRUE(readBmp(bitmapPath(fileName), p, error)) << fileName << ": " << error;
    return p;
}

const SheetLayout& layoutOf(const std::string& fileName)
{
    for (const SheetLayout& layout : sheetLayouts)
        if (fileName == layout.file)
            return layout;
    ADD_FAILURE() << "no layout for " << fileName;
    return sheetLayouts[0];
}

void PrintTo(const SheetLayout& layout, std::ostream* os) { *os << layout.file; }

Picture cellOf(const Picture& sheet, const SheetLayout& layout, int index)
{
    Picture cell;
    cell.width = layout.cellWidth;
    cell.height = layout.cellHeight;
    int left = 1 + (index % layout.columns) * (layout.cellWidth + 1);
    int top = 1 + (index / layout.columns) * (layout.cellHeight + 1);
    for (int y = 0; y < layout.cellHeight; ++y)
        for (int x = 0; x < layout.cellWidth; ++x)
            cell.pixels.push_back(sheet.at(left + x, top + y));
    return cell;
}
