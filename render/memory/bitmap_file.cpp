// Windows bitmap files (.bmp) read into surfaces: uncompressed, 1, 4, 8, 16
// (5-5-5), 24 or 32 bits a pixel, or 16 and 32 with colour masks (as
// painting programs write them with alpha), bottom-up or top-down, with the
// short OS/2 header or a Windows one. The program's own bitmaps are 24-bit;
// the others are read because a bitmap is a file a person may replace.
// Run-length compressed files are not read.
#include <cstring>

#include "render/memory/memory_surface.h"

namespace {

// Sides past this are no picture of ours, and keep the sizes below well
// inside 32 bits.
constexpr int32_t largestSide = 16384;

uint32_t readLittle(const uint8_t* at, int bytes)
{
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | at[i];
    return value;
}

struct BitmapLayout {
    int32_t width = 0;
    int32_t height = 0;
    bool topDown = false;
    int32_t bitsPerPixel = 0;
    size_t pixelOffset = 0;
    size_t rowBytes = 0;
    uint32_t palette[256] = {};  // 0x00RRGGBB
    uint32_t masks[3] = {};      // red, green, blue of BI_BITFIELDS; 0 without
};

constexpr uint32_t uncompressed = 0;
constexpr uint32_t bitFields = 3;

bool readLayout(const uint8_t* bytes, size_t size, BitmapLayout& layout)
{
    if (size < 26 || bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    layout.pixelOffset = readLittle(bytes + 10, 4);
    const uint32_t headerSize = readLittle(bytes + 14, 4);
    const bool core = headerSize == 12;
    if (!core && (headerSize < 40 || size < 14 + size_t{40}))
        return false;
    int64_t height;
    uint32_t compression = 0, coloursUsed = 0;
    if (core) {
        layout.width = static_cast<int32_t>(readLittle(bytes + 18, 2));
        height = static_cast<int16_t>(readLittle(bytes + 20, 2));
        layout.bitsPerPixel = static_cast<int32_t>(readLittle(bytes + 24, 2));
    } else {
        layout.width = static_cast<int32_t>(readLittle(bytes + 18, 4));
        height = static_cast<int32_t>(readLittle(bytes + 22, 4));
        layout.bitsPerPixel = static_cast<int32_t>(readLittle(bytes + 28, 2));
        compression = readLittle(bytes + 30, 4);
        coloursUsed = readLittle(bytes + 46, 4);
    }
    layout.topDown = height < 0;
    layout.height = static_cast<int32_t>(height < 0 ? -height : height);
    if (layout.width <= 0 || layout.height <= 0 || layout.width > largestSide ||
        layout.height > largestSide)
        return false;
    const int32_t bits = layout.bitsPerPixel;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    if (compression == bitFields && (bits == 16 || bits == 32)) {
        // After a 40-byte header, or inside a longer one at the same place.
        if (size < 14 + size_t{52})
            return false;
        for (int i = 0; i < 3; ++i)
            layout.masks[i] = readLittle(bytes + 54 + 4 * i, 4);
        if (layout.masks[0] == 0 || layout.masks[1] == 0 || layout.masks[2] == 0)
            return false;
    } else if (compression != uncompressed) {
        return false;
    }
    layout.rowBytes = (static_cast<size_t>(layout.width) * bits + 31) / 32 * 4;
    if (layout.pixelOffset > size ||
        (size - layout.pixelOffset) / layout.rowBytes < static_cast<size_t>(layout.height))
        return false;
    if (bits <= 8) {
        const size_t entries =
            coloursUsed != 0 && coloursUsed < (1u << bits) ? coloursUsed : (1u << bits);
        const size_t entrySize = core ? 3 : 4;
        const size_t paletteAt = 14 + headerSize;
        if (paletteAt + entries * entrySize > layout.pixelOffset)
            return false;
        for (size_t i = 0; i < entries; ++i)
            layout.palette[i] = readLittle(bytes + paletteAt + i * entrySize, 3);
    }
    return true;
}

// The field of `mask` in `value`, scaled to 8 bits.
uint32_t maskedField(uint32_t value, uint32_t mask)
{
    int shift = 0;
    while ((mask >> shift & 1) == 0)
        ++shift;
    const uint32_t largest = mask >> shift;
    return static_cast<uint32_t>(
        (static_cast<uint64_t>((value & mask) >> shift) * 255 + largest / 2) / largest);
}

// The colour of pixel x of a row as 0x00RRGGBB.
uint32_t pixelOf(const BitmapLayout& layout, const uint8_t* row, int32_t x)
{
    if (layout.masks[0] != 0) {
        const uint32_t p =
            layout.bitsPerPixel == 16 ? readLittle(row + x * 2, 2) : readLittle(row + x * 4, 4);
        return maskedField(p, layout.masks[0]) << 16 | maskedField(p, layout.masks[1]) << 8 |
               maskedField(p, layout.masks[2]);
    }
    switch (layout.bitsPerPixel) {
    case 1:
        return layout.palette[(row[x / 8] >> (7 - x % 8)) & 1];
    case 4:
        return layout.palette[(row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF];
    case 8:
        return layout.palette[row[x]];
    case 16: {
        // 5-5-5, each field widened by repeating its top bits.
        const uint32_t p = readLittle(row + x * 2, 2);
        auto wide = [](uint32_t field) { return field << 3 | field >> 2; };
        return wide((p >> 10) & 0x1F) << 16 | wide((p >> 5) & 0x1F) << 8 | wide(p & 0x1F);
    }
    case 24:
        return readLittle(row + x * 3, 3);
    default:
        return readLittle(row + x * 4, 3);
    }
}

}  // namespace

Surface* surfaceFromBitmapFile(const uint8_t* bytes, size_t size)
{
    BitmapLayout layout;
    if (!bytes || !readLayout(bytes, size, layout))
        return nullptr;
    Surface* surface = createSurface(layout.width, layout.height);
    if (!surface)
        return nullptr;
    for (int32_t y = 0; y < layout.height; ++y) {
        const int32_t fileRow = layout.topDown ? y : layout.height - 1 - y;
        const uint8_t* row = bytes + layout.pixelOffset + fileRow * layout.rowBytes;
        for (int32_t x = 0; x < layout.width; ++x) {
            const uint32_t rgb = pixelOf(layout, row, x);
            const uint32_t gdi = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
            storeStored(surface, x, y, storedFromGdi(surface, gdi));
        }
    }
    return surface;
}
