// The world takes its cell geometry from the sheets' pixels, by scanning the
// grid: these tests read the committed bitmaps the same way.
#include <gtest/gtest.h>

#include <string>

#include "tests/art/bmp_reader.h"

namespace {

struct Cells {
    int cellWidth, cellHeight, columns, rows;
};

// The entity's measuring rule: grid colour from (0, 2), scan row 2 from x 1;
// grid colour from (1, 0), scan column 1 from y 1; columns and rows from the
// sheet size. `read` is how a pixel comes back from the surface.
template <typename Read>
Cells measure(const Picture& p, Read read)
{
    Cells c{};
    Colour widthGrid = read(p.at(0, 2));
    int x = 1;
    while (x < p.width && read(p.at(x, 2)) != widthGrid)
        ++x;
    c.cellWidth = x - 1;
    Colour heightGrid = read(p.at(1, 0));
    int y = 1;
    while (y < p.height && read(p.at(1, y)) != heightGrid)
        ++y;
    c.cellHeight = y - 1;
    c.columns = (p.width - 1) / (c.cellWidth + 1);
    c.rows = (p.height - 1) / (c.cellHeight + 1);
    return c;
}

int gridWidth(const SheetLayout& s) { return s.columns * (s.cellWidth + 1) + 1; }

bool onGridLine(const SheetLayout& s, int x, int y)
{
    return x < gridWidth(s) && (x % (s.cellWidth + 1) == 0 || y % (s.cellHeight + 1) == 0);
}

class SheetGeometry : public ::testing::TestWithParam<SheetLayout> {
protected:
    void SetUp() override
    {
        sheet_ = loadBitmap(GetParam().file);
        ASSERT_FALSE(HasFailure());
    }
    Picture sheet_;
};

TEST_P(SheetGeometry, BackgroundAndGridColour)
{
    const SheetLayout& s = GetParam();
    EXPECT_EQ(sheet_.at(0, 0), s.background);
    EXPECT_EQ(sheet_.at(1, 0), s.grid);
    EXPECT_EQ(sheet_.at(0, 1), s.grid);
}

TEST_P(SheetGeometry, GridLinesAreOneColourExceptTheCorner)
{
    const SheetLayout& s = GetParam();
    int wrong = 0;
    for (int y = 0; y < sheet_.height; ++y)
        for (int x = 0; x < sheet_.width; ++x)
            if (onGridLine(s, x, y) && !(x == 0 && y == 0) && sheet_.at(x, y) != s.grid)
                ++wrong;
    EXPECT_EQ(wrong, 0) << "grid pixels not in the grid colour";
}

TEST_P(SheetGeometry, SpareColumnsRightOfTheGridAreBackground)
{
    // 113 is one pixel wider than its grid; that column must stay see-through.
    const SheetLayout& s = GetParam();
    for (int y = 0; y < sheet_.height; ++y)
        for (int x = gridWidth(s); x < sheet_.width; ++x)
            EXPECT_EQ(sheet_.at(x, y), s.background) << x << "," << y;
}

TEST_P(SheetGeometry, MeasuringRuleReadsTheTableGeometryAtBothDepths)
{
    const SheetLayout& s = GetParam();
    Cells c = measure(sheet_, [](Colour c) { return c; });
    EXPECT_EQ(c.cellWidth, s.cellWidth);
    EXPECT_EQ(c.cellHeight, s.cellHeight);
    EXPECT_EQ(c.columns, s.columns);
    EXPECT_EQ(c.rows, s.rows);
    // A 5-6-5 surface merges near colours: art close to the grid colour in
    // the scanned row or column would stop the scan early.
    Cells at16 = measure(sheet_, as565);
    EXPECT_EQ(at16.cellWidth, s.cellWidth) << "at 16 bits";
    EXPECT_EQ(at16.cellHeight, s.cellHeight) << "at 16 bits";
    EXPECT_NE(as565(s.grid), as565(s.background)) << "the grid would turn transparent";
}

TEST_P(SheetGeometry, EveryCellHoldsSomeArt)
{
    const SheetLayout& s = GetParam();
    for (int row = 0; row < s.rows; ++row)
        for (int column = 0; column < s.columns; ++column) {
            int ink = 0;
            for (const Colour& c : cellOf(sheet_, s, row * s.columns + column).pixels)
                ink += c != s.background;
            EXPECT_GT(ink, 0) << "empty cell " << column << "," << row;
        }
}

INSTANTIATE_TEST_SUITE_P(WorldSheets, SheetGeometry, ::testing::ValuesIn(sheetLayouts),
                         [](const auto& info) {
                             std::string name = info.param.file;
                             name = name.substr(0, name.find('.'));
                             for (char& ch : name)
                                 if (ch == '_')
                                     ch = 'x';
                             return name;
                         });

TEST(Pictures, HaveTheirFixedSizes)
{
    for (const ArtworkSize& expected : artworkSizes) {
        Picture p = loadBitmap(expected.file);
        EXPECT_EQ(p.width, expected.width) << expected.file;
        EXPECT_EQ(p.height, expected.height) << expected.file;
    }
}

}  // namespace
