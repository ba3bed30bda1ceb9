// The world takes its cell geometry from the sheets' pixels, by scanning the
// grid: these tests read the committed bitmaps the same way.
#include <gtest/gtest.h>

#include <string>

#include "tests/art/bmp_reader.h"

namespace {

struct ExpectedSheet {
    const char* file;
    int width, height;
    Colour background, grid;
    int cellWidth, cellHeight, columns, rows;
};

const ExpectedSheet kSheets[] = {
    {"107_vob.bmp", 129, 49, {0, 0, 0}, {49, 202, 2}, 15, 15, 8, 3},
    {"106_weak_vob.bmp", 129, 49, {0, 0, 0}, {49, 202, 2}, 15, 15, 8, 3},
    {"113_mega_vob.bmp", 194, 76, {4, 8, 7}, {0, 224, 238}, 23, 24, 8, 3},
    {"112_remains.bmp", 169, 139, {0, 0, 0}, {238, 28, 0}, 23, 22, 7, 6},
    {"110_food.bmp", 41, 9, {0, 0, 0}, {189, 147, 3}, 7, 7, 5, 1},
    {"111_whirl.bmp", 226, 181, {0, 0, 0}, {239, 8, 0}, 44, 44, 5, 4},
};

void PrintTo(const ExpectedSheet& s, std::ostream* os) { *os << s.file; }

struct Cells {
    int cellWidth, cellHeight, columns, rows;
};

// The entity's measuring rule: grid colour from (0, 2), scan row 2 from x 1;
// grid colour from (1, 0), scan column 1 from y 1; columns and rows from the
// sheet size. `read` is how a pixel comes back from the surface.
template <typename Read>
Cells measure(const Picture& p, Read read) {
    Cells c{};
    Colour widthGrid = read(p.at(0, 2));
    int x = 1;
    while (x < p.width && read(p.at(x, 2)) != widthGrid) ++x;
    c.cellWidth = x - 1;
    Colour heightGrid = read(p.at(1, 0));
    int y = 1;
    while (y < p.height && read(p.at(1, y)) != heightGrid) ++y;
    c.cellHeight = y - 1;
    c.columns = (p.width - 1) / (c.cellWidth + 1);
    c.rows = (p.height - 1) / (c.cellHeight + 1);
    return c;
}

int gridWidth(const ExpectedSheet& s) { return s.columns * (s.cellWidth + 1) + 1; }

bool onGridLine(const ExpectedSheet& s, int x, int y) {
    return x < gridWidth(s) && (x % (s.cellWidth + 1) == 0 || y % (s.cellHeight + 1) == 0);
}

class SheetGeometry : public ::testing::TestWithParam<ExpectedSheet> {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(readBmp(bitmapPath(GetParam().file), sheet_, error)) << error;
    }
    Picture sheet_;
};

TEST_P(SheetGeometry, SizeBackgroundAndGridColour) {
    const ExpectedSheet& s = GetParam();
    EXPECT_EQ(sheet_.width, s.width);
    EXPECT_EQ(sheet_.height, s.height);
    EXPECT_EQ(sheet_.at(0, 0), s.background);
    EXPECT_EQ(sheet_.at(1, 0), s.grid);
    EXPECT_EQ(sheet_.at(0, 1), s.grid);
}

TEST_P(SheetGeometry, GridLinesAreOneColourExceptTheCorner) {
    const ExpectedSheet& s = GetParam();
    int wrong = 0;
    for (int y = 0; y < sheet_.height; ++y)
        for (int x = 0; x < sheet_.width; ++x)
            if (onGridLine(s, x, y) && !(x == 0 && y == 0) && sheet_.at(x, y) != s.grid) ++wrong;
    EXPECT_EQ(wrong, 0) << "grid pixels not in the grid colour";
}

TEST_P(SheetGeometry, SpareColumnsRightOfTheGridAreBackground) {
    // 113 is one pixel wider than its grid; that column must stay see-through.
    const ExpectedSheet& s = GetParam();
    for (int y = 0; y < sheet_.height; ++y)
        for (int x = gridWidth(s); x < sheet_.width; ++x) EXPECT_EQ(sheet_.at(x, y), s.background) << x << "," << y;
}

TEST_P(SheetGeometry, MeasuringRuleReadsTheTableGeometry) {
    const ExpectedSheet& s = GetParam();
    Cells c = measure(sheet_, [](Colour c) { return c; });
    EXPECT_EQ(c.cellWidth, s.cellWidth);
    EXPECT_EQ(c.cellHeight, s.cellHeight);
    EXPECT_EQ(c.columns, s.columns);
    EXPECT_EQ(c.rows, s.rows);
}

TEST_P(SheetGeometry, MeasuringRuleStillWorksOnASixteenBitSurface) {
    // A 5-6-5 surface merges near colours: art close to the grid colour in
    // the scanned row or column would stop the scan early.
    const ExpectedSheet& s = GetParam();
    Cells c = measure(sheet_, as565);
    EXPECT_EQ(c.cellWidth, s.cellWidth);
    EXPECT_EQ(c.cellHeight, s.cellHeight);
    EXPECT_NE(as565(s.grid), as565(s.background)) << "the grid would turn transparent";
}

TEST_P(SheetGeometry, EveryCellHoldsSomeArt) {
    const ExpectedSheet& s = GetParam();
    for (int row = 0; row < s.rows; ++row)
        for (int column = 0; column < s.columns; ++column) {
            int ink = 0;
            for (int y = 0; y < s.cellHeight; ++y)
                for (int x = 0; x < s.cellWidth; ++x)
                    if (sheet_.at(1 + column * (s.cellWidth + 1) + x, 1 + row * (s.cellHeight + 1) + y) != s.background)
                        ++ink;
            EXPECT_GT(ink, 0) << "empty cell " << column << "," << row;
        }
}

INSTANTIATE_TEST_SUITE_P(WorldSheets, SheetGeometry, ::testing::ValuesIn(kSheets),
                         [](const auto& info) {
                             std::string name = info.param.file;
                             name = name.substr(0, name.find('.'));
                             for (char& ch : name)
                                 if (ch == '_') ch = 'x';
                             return name;
                         });

struct ExpectedPicture {
    const char* file;
    int width, height;
};

TEST(Pictures, HaveTheirFixedSizes) {
    const ExpectedPicture pictures[] = {
        {"116_cloud.bmp", 87, 66},          {"163_preview.bmp", 215, 141},
        {"125_background.bmp", 350, 371},   {"108_animal.bmp", 19, 14},
        {"142_red_dot.bmp", 7, 6},          {"143_yellow_ring.bmp", 12, 18},
        {"145_small_banner.bmp", 58, 37},   {"146_green_figure.bmp", 16, 12},
        {"155_line_banner.bmp", 66, 7},     {"154_branching_figure.bmp", 38, 39},
        {"144_speech_bubble.bmp", 40, 25},  {"166_version_tag.bmp", 38, 14},
    };
    for (const ExpectedPicture& expected : pictures) {
        Picture p;
        std::string error;
        ASSERT_TRUE(readBmp(bitmapPath(expected.file), p, error)) << expected.file << ": " << error;
        EXPECT_EQ(p.width, expected.width) << expected.file;
        EXPECT_EQ(p.height, expected.height) << expected.file;
    }
}

}  // namespace
