// The resources linked into the program: what the world, the preview, the
// about page and the system look up by number.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/art/artwork_table.h"
#include "tovrine_version.h"

namespace {

HMODULE self() { return GetModuleHandleA(nullptr); }

// Loads the bitmap as the sheets do; {0, 0} when it is missing.
SIZE loadedSize(int id)
{
    SIZE size{0, 0};
    HANDLE bitmap =
        LoadImageA(self(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    if (!bitmap)
        return size;
    BITMAP info{};
    if (GetObjectA(bitmap, sizeof info, &info))
        size = {info.bmWidth, info.bmHeight};
    DeleteObject(bitmap);
    return size;
}

COLORREF pixelOf(int id, int x, int y)
{
    HANDLE bitmap =
        LoadImageA(self(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    if (!bitmap)
        return CLR_INVALID;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF colour = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return colour;
}

TEST(Resources, EveryBitmapLoadsAtItsSize)
{
    for (const ArtworkSize& b : artworkSizes) {
        SIZE size = loadedSize(b.id);
        EXPECT_EQ(size.cx, b.width) << "bitmap " << b.id;
        EXPECT_EQ(size.cy, b.height) << "bitmap " << b.id;
    }
}

TEST(Resources, SheetsKeepBackgroundCornerAndGridColour)
{
    // The colour key is the top-left pixel and the grid is found by colour
    // along the top row and the left column, so all must survive the trip
    // through the resource compiler.
    for (const SheetLayout& s : sheetLayouts) {
        const Colour& key = s.background;
        const Colour& grid = s.grid;
        EXPECT_EQ(pixelOf(s.id, 0, 0), RGB(key.r, key.g, key.b)) << "bitmap " << s.id;
        EXPECT_EQ(pixelOf(s.id, 1, 0), RGB(grid.r, grid.g, grid.b)) << "bitmap " << s.id;
        EXPECT_EQ(pixelOf(s.id, 0, 2), RGB(grid.r, grid.g, grid.b)) << "bitmap " << s.id;
    }
}

// Pixels of exactly this colour inside the first 15 x 15 cell of a sheet.
int firstCellPixelsOf(int id, COLORREF colour)
{
    HANDLE bitmap =
        LoadImageA(self(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    if (!bitmap)
        return -1;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    int count = 0;
    for (int y = 1; y <= 15; ++y)
        for (int x = 1; x <= 15; ++x)
            if (GetPixel(dc, x, y) == colour)
                ++count;
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return count;
}

TEST(Resources, NormalAndWeakVobSheetsAreTheirOwnColours)
{
    // Same size, same grid: only the colour tells the two sheets apart.
    const COLORREF yellow = RGB(255, 255, 0);
    const COLORREF green = RGB(95, 255, 17);
    EXPECT_GT(firstCellPixelsOf(107, yellow), 50);
    EXPECT_EQ(firstCellPixelsOf(107, green), 0);
    EXPECT_GT(firstCellPixelsOf(106, green), 50);
    EXPECT_EQ(firstCellPixelsOf(106, yellow), 0);
}

TEST(Resources, DescriptionIsStringOne)
{
    char text[64] = {};
    ASSERT_GT(LoadStringA(self(), 1, text, sizeof text), 0);
#ifdef _WIN64
    EXPECT_STREQ(text, "Marrowick (64-bit)");
#else
    EXPECT_STREQ(text, "Marrowick");
#endif
}

TEST(Resources, Icon164IsThereAndIcon100IsNot)
{
    EXPECT_NE(LoadImageA(self(), MAKEINTRESOURCEA(164), IMAGE_ICON, 32, 32, 0), nullptr);
    EXPECT_NE(LoadImageA(self(), MAKEINTRESOURCEA(164), IMAGE_ICON, 16, 16, 0), nullptr);
    EXPECT_EQ(LoadIconA(self(), MAKEINTRESOURCEA(100)), nullptr);
    EXPECT_EQ(FindResourceA(self(), MAKEINTRESOURCEA(100), RT_GROUP_ICON), nullptr);
}

TEST(Resources, ConfigureDialogIsAHiddenDisabledPopUp)
{
    HRSRC found = FindResourceA(self(), MAKEINTRESOURCEA(2003), RT_DIALOG);
    ASSERT_NE(found, nullptr);
    auto* dialog = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(self(), found)));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->cdit, 1);
    EXPECT_EQ(dialog->cx, 38);
    EXPECT_EQ(dialog->cy, 9);
    EXPECT_TRUE(dialog->style & WS_POPUP);
    EXPECT_TRUE(dialog->style & WS_DISABLED);
    EXPECT_TRUE((dialog->style & WS_CAPTION) == WS_CAPTION);
    EXPECT_TRUE(dialog->style & WS_SYSMENU);
    EXPECT_TRUE(dialog->style & DS_MODALFRAME);
    EXPECT_TRUE(dialog->style & DS_SETFONT);
    EXPECT_FALSE(dialog->style & WS_VISIBLE);
}

// Whether the version block holds `key` followed by `value`, both as the
// UTF-16 text that the resource stores.
bool versionHas(const std::string& key, const std::string& value)
{
    HRSRC found = FindResourceA(self(), MAKEINTRESOURCEA(1), RT_VERSION);
    if (!found)
        return false;
    auto* data = static_cast<const char*>(LockResource(LoadResource(self(), found)));
    std::string block(data, SizeofResource(self(), found));
    auto wide = [](const std::string& s) {
        std::string w;
        for (char c : s)
            w += c, w += '\0';
        return w;
    };
    size_t at = block.find(wide(key));
    return at != std::string::npos &&
           block.find(wide(value) + std::string(2, '\0'), at) != std::string::npos;
}

TEST(Resources, VersionInformationNamesTheProduct)
{
    EXPECT_TRUE(versionHas("ProductName", "Tovrine"));
#ifdef _WIN64
    EXPECT_TRUE(versionHas("FileDescription", "Tovrine screen saver (64-bit)"));
#else
    EXPECT_TRUE(versionHas("FileDescription", "Tovrine screen saver"));
#endif
    EXPECT_TRUE(versionHas("ProductVersion", TOVRINE_VERSION_TEXT));
    EXPECT_TRUE(versionHas("FileVersion", TOVRINE_VERSION_TEXT));

    // The numbers that Windows shows in the file's properties: the fixed
    // part of the block, found by its signature.
    HRSRC found = FindResourceA(self(), MAKEINTRESOURCEA(1), RT_VERSION);
    ASSERT_NE(found, nullptr);
    auto* data = static_cast<const char*>(LockResource(LoadResource(self(), found)));
    std::string block(data, SizeofResource(self(), found));
    const DWORD signature = 0xFEEF04BD;
    size_t at = block.find(std::string(reinterpret_cast<const char*>(&signature), 4));
    ASSERT_NE(at, std::string::npos);
    ASSERT_LE(at + sizeof(VS_FIXEDFILEINFO), block.size());
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, block.data() + at, sizeof fixed);
    const DWORD high = TOVRINE_VERSION_MAJOR << 16 | TOVRINE_VERSION_MINOR;
    EXPECT_EQ(fixed.dwFileVersionMS, high);
    EXPECT_EQ(fixed.dwProductVersionMS, high);
    EXPECT_EQ(fixed.dwFileVersionLS >> 16, static_cast<DWORD>(TOVRINE_VERSION_PATCH));
}

}  // namespace
