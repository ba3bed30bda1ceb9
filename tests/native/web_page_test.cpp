// The web page's parts that need no browser: its settings fields and the
// bitmap files its memory surfaces read.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/web/page_fields.h"
#include "render/memory/memory_surface.h"
#include "tests/render/test_display.h"

namespace {

TEST(WebPageFields, ReadTypedTextAsTheConfigurationPagesDo)
{
    struct Case {
        const char* name;
        const char* text;
        int32_t OptionsRecord::*member;
        int32_t stored;
    };
    const Case cases[] = {
        {"initialVobs", "123456", &OptionsRecord::initialVobs,
         99999},  // the five-digit box's largest
        {"whirlCount", "  42 whirls", &OptionsRecord::whirlCount, 42},
        {"birthStrength", "-5", &OptionsRecord::birthStrength, 0},  // no sign: not a number
        {"maxEntities", "99999999999", &OptionsRecord::maxEntities, 9999999},
        {"depositGap", "", &OptionsRecord::depositGap, 0},
        {"statsMode", "2", &OptionsRecord::statsMode, 2},
        {"statsMode", "7", &OptionsRecord::statsMode, 0},  // no such button: "Never"
        {"wrapEdges", "0", &OptionsRecord::wrapEdges, 0},
        {"vobIQ", "true", &OptionsRecord::vobIQ, 1},
    };
    for (const Case& c : cases) {
        OptionsRecord record = presetAlgorithms[0];
        ASSERT_TRUE(setPageField(record, c.name, c.text)) << c.name;
        EXPECT_EQ(c.stored, record.*c.member) << c.name << " \"" << c.text << "\"";
    }
    OptionsRecord record = presetAlgorithms[0];
    ASSERT_TRUE(setPageField(record, "displayMode", "1024 x 768 x 32"));
    EXPECT_EQ(1024, record.screenWidth);
    EXPECT_EQ(768, record.screenHeight);
    EXPECT_EQ(32, record.screenDepth);
    EXPECT_FALSE(setPageField(record, "screenWidth", "640"));
    EXPECT_EQ(1024, record.screenWidth);
}

void put(std::vector<uint8_t>& bytes, size_t at, uint32_t value, int count)
{
    for (int i = 0; i < count; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A Windows bitmap file of `bits` per pixel with the given rows (file
// order), palette and pixel bytes.
std::vector<uint8_t> bitmapFile(int32_t width, int32_t height, int32_t bits,
                                const std::vector<uint32_t>& palette,
                                const std::vector<uint8_t>& pixels)
{
    const size_t pixelsAt = 54 + palette.size() * 4;
    std::vector<uint8_t> bytes(pixelsAt + pixels.size());
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(bytes, 2, static_cast<uint32_t>(bytes.size()), 4);
    put(bytes, 10, static_cast<uint32_t>(pixelsAt), 4);
    put(bytes, 14, 40, 4);
    put(bytes, 18, static_cast<uint32_t>(width), 4);
    put(bytes, 22, static_cast<uint32_t>(height), 4);
    put(bytes, 26, 1, 2);
    put(bytes, 28, static_cast<uint32_t>(bits), 2);
    put(bytes, 46, static_cast<uint32_t>(palette.size()), 4);
    for (size_t i = 0; i < palette.size(); ++i)
        put(bytes, 54 + i * 4, palette[i], 4);
    std::memcpy(bytes.data() + pixelsAt, pixels.data(), pixels.size());
    return bytes;
}

// GDI colours (0x00BBGGRR) of a surface's pixels, rows top first.
std::vector<uint32_t> coloursOf(Surface* surface)
{
    std::vector<uint32_t> colours;
    beginPixelAccess(surface);
    for (int32_t y = 0; y < surfaceHeight(surface); ++y)
        for (int32_t x = 0; x < surfaceWidth(surface); ++x)
            colours.push_back(readPixel(surface, x, y));
    endPixelAccess(surface);
    return colours;
}

TEST(WebBitmapFiles, ReadRowsPaddedBottomUpOrTopDownWithOrWithoutAPalette)
{
    ASSERT_TRUE(openHeadlessDisplay(testDisplay, 64, 64, 32));
    // 24 bits, 3 wide: rows padded to 12 bytes, the file's last row on top.
    const std::vector<uint8_t> rows24 = {
        0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0, 0, 0,  // red green blue
        0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90, 0, 0, 0};
    Surface* wide = surfaceFromBitmapFile(bitmapFile(3, 2, 24, {}, rows24).data(),
                                          bitmapFile(3, 2, 24, {}, rows24).size());
    ASSERT_NE(nullptr, wide);
    EXPECT_EQ((std::vector<uint32_t>{0x102030, 0x405060, 0x708090, 0x0000FF, 0x00FF00, 0xFF0000}),
              coloursOf(wide));
    releaseSurface(wide);
    // 8 bits with a palette, top-down (negative height).
    const std::vector<uint8_t> file8 =
        bitmapFile(2, -2, 8, {0x000000, 0x00FF0000, 0x000000FF}, {1, 2, 0, 0, 2, 1, 0, 0});
    Surface* paletted = surfaceFromBitmapFile(file8.data(), file8.size());
    ASSERT_NE(nullptr, paletted);
    EXPECT_EQ((std::vector<uint32_t>{0x0000FF, 0xFF0000, 0xFF0000, 0x0000FF}), coloursOf(paletted));
    releaseSurface(paletted);
    // 32 bits with colour masks (5-6-5 in the low bits here), which follow
    // the header where a palette would.
    std::vector<uint8_t> masked =
        bitmapFile(2, 1, 32, {0xF800, 0x07E0, 0x001F}, {0x1F, 0, 0, 0, 0x00, 0xF8, 0, 0});
    put(masked, 30, 3, 4);
    Surface* fields = surfaceFromBitmapFile(masked.data(), masked.size());
    ASSERT_NE(nullptr, fields);
    EXPECT_EQ((std::vector<uint32_t>{0xFF0000, 0x0000FF}), coloursOf(fields));
    releaseSurface(fields);
    // A file cut short, or compressed, is no picture.
    std::vector<uint8_t> cut = bitmapFile(3, 2, 24, {}, rows24);
    cut.resize(cut.size() - 1);
    EXPECT_EQ(nullptr, surfaceFromBitmapFile(cut.data(), cut.size()));
    std::vector<uint8_t> compressed = bitmapFile(3, 2, 24, {}, rows24);
    put(compressed, 30, 1, 4);
    EXPECT_EQ(nullptr, surfaceFromBitmapFile(compressed.data(), compressed.size()));
    closeHeadlessDisplay(testDisplay);
}

}  // namespace
