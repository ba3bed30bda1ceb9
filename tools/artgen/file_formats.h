// Writers for the three file formats the artwork ships in. Each returns the
// whole file as bytes, so tests can compare without touching the disk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/artgen/image.h"

using Bytes = std::vector<uint8_t>;

// 24-bit uncompressed bottom-up BMP, rows padded to four bytes.
Bytes encodeBmp(const Image& image);

// 8-bit RGB PNG with stored (uncompressed) deflate blocks.
Bytes encodePng(const Image& image);

// One icon picture: colour plus per-pixel opacity 0..255.
struct IconImage {
    Image colour;
    std::vector<uint8_t> alpha;
};
// ICO with 32-bit BGRA entries and their AND masks.
Bytes encodeIco(const std::vector<IconImage>& sizes);

// 8-bit RGBA PNG of an icon picture, stored as encodePng stores.
Bytes encodePngRgba(const IconImage& icon);

uint32_t crc32(const uint8_t* data, size_t size);
uint32_t adler32(const uint8_t* data, size_t size);

bool writeFile(const std::string& path, const Bytes& bytes);
