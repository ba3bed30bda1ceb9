// What the frames show: checks that catch frames in the wrong order, faces
// turned the wrong way, features that are not see-through, and the like.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "tests/art/bmp_reader.h"

namespace {

struct Ink {
    int count = 0;
    double sumX = 0, sumY = 0, r = 0, g = 0, b = 0;
    int top = 1 << 30, bottom = -1, left = 1 << 30, right = -1;
    double centreY() const { return sumY / count; }
    int height() const { return bottom - top + 1; }
    int width() const { return right - left + 1; }
};

Ink inkOf(const Picture& cell, Colour background)
{
    Ink ink;
    for (int y = 0; y < cell.height; ++y)
        for (int x = 0; x < cell.width; ++x) {
            Colour c = cell.at(x, y);
            if (c == background)
                continue;
            ++ink.count;
            ink.sumX += x, ink.sumY += y, ink.r += c.r, ink.g += c.g, ink.b += c.b;
            ink.top = std::min(ink.top, y), ink.bottom = std::max(ink.bottom, y);
            ink.left = std::min(ink.left, x), ink.right = std::max(ink.right, x);
        }
    return ink;
}

// Marks in `reached` every pixel of `mask` joined to `start` through
// pixels of `mask` (four neighbours).
void floodFrom(const std::vector<bool>& mask, int width, size_t start, std::vector<bool>& reached)
{
    std::vector<size_t> stack{start};
    while (!stack.empty()) {
        size_t i = stack.back();
        stack.pop_back();
        if (reached[i] || !mask[i])
            continue;
        reached[i] = true;
        size_t x = i % width;
        if (x > 0)
            stack.push_back(i - 1);
        if (x + 1 < static_cast<size_t>(width))
            stack.push_back(i + 1);
        if (i >= static_cast<size_t>(width))
            stack.push_back(i - width);
        if (i + width < mask.size())
            stack.push_back(i + width);
    }
}

// Background pixels cut off from the cell's border: eyes and mouths.
std::vector<bool> enclosedHoles(const Picture& cell, Colour background)
{
    std::vector<bool> isBackground(cell.pixels.size()), outside(cell.pixels.size());
    for (size_t i = 0; i < isBackground.size(); ++i)
        isBackground[i] = cell.pixels[i] == background;
    for (int y = 0; y < cell.height; ++y)
        for (int x = 0; x < cell.width; ++x)
            if (x == 0 || y == 0 || x == cell.width - 1 || y == cell.height - 1)
                floodFrom(isBackground, cell.width, static_cast<size_t>(y) * cell.width + x,
                          outside);
    std::vector<bool> holes(cell.pixels.size());
    for (size_t i = 0; i < holes.size(); ++i)
        holes[i] = isBackground[i] && !outside[i];
    return holes;
}

int countComponents(const std::vector<bool>& mask, int width)
{
    std::vector<bool> seen(mask.size());
    int components = 0;
    for (size_t start = 0; start < mask.size(); ++start)
        if (mask[start] && !seen[start])
            ++components, floodFrom(mask, width, start, seen);
    return components;
}

// ---- Vobs ----------------------------------------------------------------

// The three Vob sheets: ordinary, weak and mega.
const SheetLayout kVobSheets[] = {sheetLayouts[0], sheetLayouts[1], sheetLayouts[2]};

// Nearest of the eight directions (1 right, 2 up, 3 left, 4 down, 5 up-right,
// 6 up-left, 7 down-left, 8 down-right) to a screen vector, y down.
int nearestDirection(double dx, double dy)
{
    const int byOctant[8] = {1, 5, 2, 6, 3, 7, 4, 8};  // anticlockwise from right
    double angle = std::atan2(-dy, dx);
    int octant = static_cast<int>(std::lround(angle / (M_PI / 4)));
    return byOctant[(octant % 8 + 8) % 8];
}

class VobFaces : public ::testing::TestWithParam<SheetLayout> {};

TEST_P(VobFaces, EveryFrameHasSeeThroughEyes)
{
    const SheetLayout& s = GetParam();
    Picture sheet = loadBitmap(s.file);
    for (int i = 0; i < 24; ++i) {
        Picture cell = cellOf(sheet, s, i);
        EXPECT_GE(countComponents(enclosedHoles(cell, s.background), cell.width), 2)
            << "frame " << i << " lacks transparent eyes";
    }
}

TEST_P(VobFaces, FeaturesTurnTowardsTheColumnsDirection)
{
    // Comparing opposite columns cancels where eyes and mouth sit on an
    // untouched face: what is left points the way the Vob looks.
    const SheetLayout& s = GetParam();
    Picture sheet = loadBitmap(s.file);
    const int pairs[4][2] = {{1, 3}, {2, 4}, {5, 7}, {6, 8}};
    for (int row = 0; row < 3; ++row) {
        auto featureCentre = [&](int direction, double& x, double& y) {
            Picture cell = cellOf(sheet, s, row * 8 + direction - 1);
            std::vector<bool> holes = enclosedHoles(cell, s.background);
            double n = 0;
            x = y = 0;
            for (size_t i = 0; i < holes.size(); ++i)
                if (holes[i])
                    x += i % cell.width, y += i / cell.width, n += 1;
            x /= n, y /= n;
        };
        for (const auto& pair : pairs) {
            double ax, ay, bx, by;
            featureCentre(pair[0], ax, ay);
            featureCentre(pair[1], bx, by);
            EXPECT_EQ(nearestDirection(ax - bx, ay - by), pair[0])
                << s.file << " row " << row << ": column of direction " << pair[0] << " or "
                << pair[1];
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sheets, VobFaces, ::testing::ValuesIn(kVobSheets), [](const auto& info) {
    return std::string(info.param.file).substr(0, 3);
});

TEST(VobColours, OrdinaryAndWeakVobsAreSingleColoured)
{
    const struct {
        const char* file;
        Colour body;
    } sheets[] = {{"107_vob.bmp", {255, 255, 0}}, {"106_weak_vob.bmp", {95, 255, 17}}};
    for (const auto& s : sheets) {
        Picture sheet = loadBitmap(s.file);
        for (int i = 0; i < 24; ++i) {
            Picture cell = cellOf(sheet, layoutOf(s.file), i);
            for (const Colour& c : cell.pixels)
                ASSERT_TRUE((c == s.body || c == Colour{0, 0, 0})) << s.file << " frame " << i;
        }
    }
}

TEST(VobColours, MegaVobStaysVisibleAtSixteenBits)
{
    // Its background is not black, so a 5-6-5 display keys on what it keeps
    // of (4, 8, 7); only the faint rim may fall into that key, not the face.
    Picture sheet = loadBitmap("113_mega_vob.bmp");
    Colour key = as565({4, 8, 7});
    for (int i = 0; i < 24; ++i) {
        Picture cell = cellOf(sheet, layoutOf("113_mega_vob.bmp"), i);
        int visible = 0;
        for (const Colour& c : cell.pixels)
            visible += as565(c) != key;
        EXPECT_GT(visible, 250) << "frame " << i;
    }
}

// ---- Food ----------------------------------------------------------------

TEST(Food, FiveBlueDotsOfFixedSizesLargestFirst)
{
    Picture sheet = loadBitmap("110_food.bmp");
    const int expected[5] = {37, 26, 14, 8, 1};
    for (int i = 0; i < 5; ++i) {
        Picture cell = cellOf(sheet, layoutOf("110_food.bmp"), i);
        EXPECT_EQ(inkOf(cell, {0, 0, 0}).count, expected[i]) << "dot " << i;
        for (const Colour& c : cell.pixels) {
            if (c == Colour{0, 0, 0})
                continue;
            EXPECT_TRUE(c.b > c.r && c.b > c.g) << "dot " << i << " is not blue";
            EXPECT_NE(as565(c), Colour{}) << "dot " << i << " would turn transparent at 16 bits";
        }
    }
}

// ---- Cloud ---------------------------------------------------------------

TEST(Cloud, DarkBlueBehindTheWholeTextArea)
{
    Picture cloud = loadBitmap("116_cloud.bmp");
    ASSERT_EQ(cloud.at(0, 0), Colour{});
    // The figures are written from x 15 to about 85 and y 15 to about 58 on
    // screen; the cloud is drawn at (0, 5).
    int holes = 0;
    for (int y = 10; y <= 53; ++y)
        for (int x = 15; x <= 84; ++x) {
            Colour c = cloud.at(x, y);
            if (as565(c) == Colour{})
                ++holes;
            EXPECT_TRUE(c.b > c.r && c.b > c.g && c.b < 140) << x << "," << y;
        }
    EXPECT_EQ(holes, 0) << "pixels behind the text would be transparent at 16 bits";
}

// ---- Remains -------------------------------------------------------------

class Remains : public ::testing::Test {
protected:
    Ink frame(int index)
    {
        return inkOf(cellOf(sheet_, layoutOf("112_remains.bmp"), index), {0, 0, 0});
    }
    Picture sheet_ = loadBitmap("112_remains.bmp");
};

TEST_F(Remains, FirstRowTurnsFromGreenToRed)
{
    Ink first = frame(0), last = frame(6);
    EXPECT_GT(first.g / first.count, 1.5 * first.r / first.count);
    EXPECT_GT(last.r / last.count, 1.5 * last.g / last.count);
}

TEST_F(Remains, SecondRowMeltsIntoAPuddle)
{
    Ink first = frame(7), last = frame(13);
    EXPECT_LT(last.height() * 2, first.height());
    EXPECT_GT(last.width(), first.width());
    EXPECT_GT(last.r / last.count, last.g / last.count);
}

TEST_F(Remains, GravestoneRisesThenCrumbles)
{
    // The stone is the grey in the picture; grass stays where it is.
    auto stoneTop = [&](int index) {
        Picture cell = cellOf(sheet_, layoutOf("112_remains.bmp"), index);
        for (int y = 0; y < cell.height; ++y)
            for (int x = 0; x < cell.width; ++x) {
                Colour c = cell.at(x, y);
                if (c.r > 90 && std::abs(c.r - c.g) < 16 && c.b >= c.g && c.b - c.g < 30)
                    return y;
            }
        return cell.height;
    };
    for (int i = 14; i < 20; ++i)
        EXPECT_LE(stoneTop(i + 1), stoneTop(i)) << "frame " << i + 1 << " sinks";
    EXPECT_LT(stoneTop(20) + 8, stoneTop(14));
    for (int i = 21; i < 28; ++i)
        EXPECT_EQ(stoneTop(i), stoneTop(20)) << "standing stone moves in frame " << i;
    EXPECT_LT(frame(34).count, frame(28).count);
    EXPECT_GT(stoneTop(33), stoneTop(28) + 5);
}

TEST_F(Remains, HaloRisesAndEndsAsADot)
{
    EXPECT_LT(frame(39).centreY(), frame(35).centreY());
    EXPECT_LE(frame(41).count, 2);
    EXPECT_GE(frame(41).count, 1);
}

// ---- Whirl ---------------------------------------------------------------

class Whirl : public ::testing::Test {
protected:
    Picture cell(int index) { return cellOf(sheet_, layoutOf("111_whirl.bmp"), index); }
    // Where the six-fold pattern stands: the phase of its sixth angular
    // harmonic, weighted by brightness.
    double phase(int index)
    {
        Picture c = cell(index);
        std::complex<double> sum;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                Colour p = c.at(x, y);
                double angle = std::atan2(y + 0.5 - 22.0, x + 0.5 - 22.0);
                sum += double(p.r + p.g + p.b) * std::polar(1.0, 6 * angle);
            }
        return std::arg(sum);
    }
    double step(int from, int to) { return std::remainder(phase(to) - phase(from), 2 * M_PI); }
    Picture sheet_ = loadBitmap("111_whirl.bmp");
};

TEST_F(Whirl, FullPosesTurnOneWayInSmallSteps)
{
    // Steps must keep one sign, and stay well under half a period of the
    // pattern, or the eye sees it stand still or turn backwards.
    const int pairs[][2] = {{0, 1},   {1, 2},   {2, 3},   {3, 4}, {15, 16},
                            {16, 17}, {17, 18}, {18, 19}, {19, 0}};
    double first = step(0, 1);
    for (const auto& p : pairs) {
        double s = step(p[0], p[1]);
        EXPECT_GT(s * first, 0) << p[0] << " to " << p[1] << " turns the other way";
        EXPECT_GT(std::fabs(s), 0.4) << p[0] << " to " << p[1] << " barely moves";
        EXPECT_LT(std::fabs(s), 0.7 * M_PI) << p[0] << " to " << p[1] << " jumps too far";
    }
}

TEST_F(Whirl, ShrinksToASpeckAndGrowsBack)
{
    auto ink = [&](int i) { return inkOf(cell(i), {0, 0, 0}).count; };
    for (int i = 5; i < 9; ++i)
        EXPECT_LT(ink(i + 1), ink(i)) << "frame " << i + 1;
    for (int i = 10; i < 14; ++i)
        EXPECT_GT(ink(i + 1), ink(i)) << "frame " << i + 1;
    EXPECT_LT(ink(9), 40);
    EXPECT_LT(ink(5), ink(4));
    EXPECT_GT(ink(15), ink(14));
}

TEST_F(Whirl, CoreIsNearWhiteAndTheRestBlueOrLavender)
{
    Picture c = cell(0);
    Colour core = c.at(22, 22);
    EXPECT_GT(core.r + core.g + core.b, 3 * 220);
    for (const Colour& p : c.pixels) {
        if (p == Colour{})
            continue;
        EXPECT_TRUE(p.b >= p.r && p.b >= p.g) << p.r << "," << p.g << "," << p.b;
    }
}

// ---- Icon ----------------------------------------------------------------

TEST(Icon, HoldsSixteenAndThirtyTwoPixelFacesWithAlpha)
{
    std::vector<uint8_t> ico =
        readBytes(std::string(TOVRINE_SOURCE_DIR) + "/resources/tovrine.ico");
    ASSERT_GE(ico.size(), 6u);
    auto le = [&](size_t at, int n) { return littleEndian(ico, at, n); };
    ASSERT_EQ(le(0, 2), 0u);
    ASSERT_EQ(le(2, 2), 1u);
    bool has16 = false, has32 = false;
    for (uint32_t i = 0; i < le(4, 2); ++i) {
        size_t entry = 6 + 16 * i;
        uint32_t size = ico[entry], bytes = le(entry + 8, 4), offset = le(entry + 12, 4);
        ASSERT_LE(offset + bytes, ico.size());
        EXPECT_EQ(le(entry + 6, 2), 32u);
        EXPECT_EQ(le(offset + 8, 4), 2 * size) << "colour and mask heights";
        EXPECT_EQ(bytes, 40 + size * size * 4 + ((size + 31) / 32 * 4) * size);
        // Opaque face in the middle, clear corners.
        size_t pixels = offset + 40;
        auto alpha = [&](uint32_t x, uint32_t y) {
            return ico[pixels + ((size - 1 - y) * size + x) * 4 + 3];
        };
        EXPECT_EQ(alpha(size / 2, size - 3), 255) << size;
        EXPECT_EQ(alpha(0, 0), 0) << size;
        has16 |= size == 16;
        has32 |= size == 32;
    }
    EXPECT_TRUE(has16);
    EXPECT_TRUE(has32);
}

}  // namespace
