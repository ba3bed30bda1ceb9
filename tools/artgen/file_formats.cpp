#include "tools/artgen/file_formats.h"

#include <algorithm>
#include <fstream>

namespace {

void put16(Bytes& out, uint32_t v)
{
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}

void put32(Bytes& out, uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void put32be(Bytes& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back((v >> shift) & 0xFF);
}

// BITMAPINFOHEADER; icons store twice the height (colour plus mask).
void putInfoHeader(Bytes& out, int32_t width, int32_t height, uint16_t bits, uint32_t imageSize)
{
    put32(out, 40);
    put32(out, static_cast<uint32_t>(width));
    put32(out, static_cast<uint32_t>(height));
    put16(out, 1);
    put16(out, bits);
    put32(out, 0);  // BI_RGB
    put32(out, imageSize);
    put32(out, 2835);  // 72 dpi
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
}

void putChunk(Bytes& out, const char* type, const Bytes& data)
{
    put32be(out, static_cast<uint32_t>(data.size()));
    Bytes body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    put32be(out, crc32(body.data(), body.size()));
}

Bytes storedZlib(const Bytes& raw)
{
    Bytes out{0x78, 0x01};
    size_t pos = 0;
    do {
        size_t len = std::min<size_t>(raw.size() - pos, 65535);
        bool last = pos + len == raw.size();
        out.push_back(last ? 1 : 0);
        put16(out, static_cast<uint32_t>(len));
        put16(out, static_cast<uint32_t>(~len & 0xFFFF));
        out.insert(out.end(), raw.begin() + pos, raw.begin() + pos + len);
        pos += len;
    } while (pos < raw.size());
    put32be(out, adler32(raw.data(), raw.size()));
    return out;
}

Bytes iconEntryData(const IconImage& icon)
{
    const Image& c = icon.colour;
    size_t maskStride = ((c.width + 31) / 32) * 4;
    Bytes out;
    putInfoHeader(out, c.width, c.height * 2, 32,
                  static_cast<uint32_t>(c.width * c.height * 4 + maskStride * c.height));
    for (int32_t y = c.height - 1; y >= 0; --y)
        for (int32_t x = 0; x < c.width; ++x) {
            Rgb p = pixelAt(c, x, y);
            out.insert(out.end(), {p.b, p.g, p.r, icon.alpha[y * c.width + x]});
        }
    for (int32_t y = c.height - 1; y >= 0; --y) {
        Bytes row(maskStride, 0);
        for (int32_t x = 0; x < c.width; ++x)
            if (icon.alpha[y * c.width + x] < 128)
                row[x / 8] |= 0x80 >> (x % 8);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

uint32_t crc32(const uint8_t* data, size_t size)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

uint32_t adler32(const uint8_t* data, size_t size)
{
    uint32_t a = 1, b = 0;
    for (size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

Bytes encodeBmp(const Image& image)
{
    size_t stride = (static_cast<size_t>(image.width) * 3 + 3) & ~static_cast<size_t>(3);
    uint32_t imageSize = static_cast<uint32_t>(stride * image.height);
    Bytes out{'B', 'M'};
    put32(out, 14 + 40 + imageSize);
    put32(out, 0);
    put32(out, 14 + 40);
    putInfoHeader(out, image.width, image.height, 24, imageSize);
    for (int32_t y = image.height - 1; y >= 0; --y) {
        size_t start = out.size();
        for (int32_t x = 0; x < image.width; ++x) {
            Rgb p = pixelAt(image, x, y);
            out.insert(out.end(), {p.b, p.g, p.r});
        }
        out.resize(start + stride, 0);
    }
    return out;
}

namespace {

// A PNG of `image`, with each pixel's opacity from `alpha` when given.
Bytes pngOf(const Image& image, const std::vector<uint8_t>* alpha)
{
    Bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    put32be(header, static_cast<uint32_t>(image.width));
    put32be(header, static_cast<uint32_t>(image.height));
    // 8-bit RGB or RGBA, no interlace
    header.insert(header.end(), {8, static_cast<uint8_t>(alpha ? 6 : 2), 0, 0, 0});
    putChunk(out, "IHDR", header);
    Bytes raw;
    raw.reserve(static_cast<size_t>(image.height) * (image.width * (alpha ? 4 : 3) + 1));
    for (int32_t y = 0; y < image.height; ++y) {
        raw.push_back(0);  // filter: none
        for (int32_t x = 0; x < image.width; ++x) {
            Rgb p = pixelAt(image, x, y);
            raw.insert(raw.end(), {p.r, p.g, p.b});
            if (alpha)
                raw.push_back((*alpha)[static_cast<size_t>(y) * image.width + x]);
        }
    }
    putChunk(out, "IDAT", storedZlib(raw));
    putChunk(out, "IEND", {});
    return out;
}

}  // namespace

Bytes encodePng(const Image& image) { return pngOf(image, nullptr); }

Bytes encodePngRgba(const IconImage& icon) { return pngOf(icon.colour, &icon.alpha); }

Bytes encodeIco(const std::vector<IconImage>& sizes)
{
    std::vector<Bytes> entries;
    for (const IconImage& icon : sizes)
        entries.push_back(iconEntryData(icon));
    Bytes out;
    put16(out, 0);
    put16(out, 1);  // icon
    put16(out, static_cast<uint32_t>(sizes.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
        const Image& c = sizes[i].colour;
        out.push_back(c.width >= 256 ? 0 : c.width);
        out.push_back(c.height >= 256 ? 0 : c.height);
        out.push_back(0);  // no palette
        out.push_back(0);
        put16(out, 1);   // planes
        put16(out, 32);  // bits per pixel
        put32(out, static_cast<uint32_t>(entries[i].size()));
        put32(out, offset);
        offset += static_cast<uint32_t>(entries[i].size());
    }
    for (const Bytes& e : entries)
        out.insert(out.end(), e.begin(), e.end());
    return out;
}

bool writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}
