#include "tests/sim/sim_world.h"

#include <string>

#include "tests/render/test_display.h"
#include "render/sprite_sheet.h"
#include "run/world_art.h"
#include "settings/options_record.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/random.h"
#include "sim/vob.h"
#include "sim/world.h"
#include "tests/render/test_bitmaps.h"
#include "tests/sim/seed_helper.h"

namespace {

struct SheetShape {
    int32_t bitmapId;
    const char* name;
    int32_t cellWidth;
    int32_t cellHeight;
    int32_t columns;
    int32_t rows;
    int32_t extraWidth;  // spare pixels right of the last grid line
};

// The geometry of the program's sheets (the mega sheet is one pixel wider
// than its grid, as the real bitmap is), and two the world never uses.
const SheetShape shapes[] = {
    {106, "weak", 15, 15, 8, 3, 0},
    {107, "vob", 15, 15, 8, 3, 0},
    {110, "food", 7, 7, 5, 1, 0},
    {111, "whirl", 44, 44, 5, 4, 0},
    {112, "remains", 23, 22, 7, 6, 0},
    {113, "mega", 23, 24, 8, 3, 1},
    // Odd sheets for the rules' divisions: n - 1 and n - 3 cells are 0.
    {120, "one_cell", 7, 7, 1, 1, 0},
    {121, "three_cells", 7, 7, 3, 1, 0},
};

constexpr uint32_t gridColour = 0xF800F8;  // GDI BGR: magenta, survives 5-6-5

// Each cell interior has its own colour, with a transparent (black) pixel in
// its top-left corner; (0, 0) is black so the sheet keys on black.
uint32_t cellColour(int32_t sheetIndex, int32_t column, int32_t row)
{
    const uint32_t red = 8u * static_cast<uint32_t>(column + 1);
    const uint32_t green = 8u * static_cast<uint32_t>(row + 1);
    const uint32_t blue = 16u * static_cast<uint32_t>(sheetIndex + 1);
    return red | (green << 8) | (blue << 16);
}

uint32_t sheetPixel(const SheetShape& s, int32_t sheetIndex, int32_t x, int32_t y)
{
    if (x == 0 && y == 0)
        return 0;
    const int32_t pitchX = s.cellWidth + 1;
    const int32_t pitchY = s.cellHeight + 1;
    if (x % pitchX == 0 || y % pitchY == 0 || x >= s.columns * pitchX)
        return gridColour;
    if (x % pitchX == 1 && y % pitchY == 1)
        return 0;
    return cellColour(sheetIndex, x / pitchX, y / pitchY);
}

// The sheet as a 24-bit BMP in the test's resource folder.
void writeSheetBitmap(const testbitmaps::ResourceFolder& folder, const SheetShape& s,
                      int32_t sheetIndex)
{
    const int32_t width = s.columns * (s.cellWidth + 1) + 1 + s.extraWidth;
    const int32_t height = s.rows * (s.cellHeight + 1) + 1;
    testbitmaps::Picture sheet = testbitmaps::picture(width, height, 0);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            sheet.at(x, y) = sheetPixel(s, sheetIndex, x, y);
    ASSERT_TRUE(folder.add(std::to_string(s.bitmapId) + "_" + s.name + ".bmp", sheet));
}

// Made for each suite, and the program's resource folder while it lives.
testbitmaps::ResourceFolder* resourceFolder = nullptr;

}  // namespace

void SimWorld::SetUpTestSuite()
{
    resourceFolder = new testbitmaps::ResourceFolder;
    ASSERT_TRUE(resourceFolder->ok());
    for (int32_t i = 0; i < static_cast<int32_t>(sizeof shapes / sizeof shapes[0]); ++i)
        writeSheetBitmap(*resourceFolder, shapes[i], i);
}

void SimWorld::TearDownTestSuite()
{
    delete resourceFolder;  // puts TOVRINE_RESOURCES back
    resourceFolder = nullptr;
}

void SimWorld::SetUp()
{
    ASSERT_TRUE(openHeadlessDisplay(testDisplay, 800, 600, 16));
    world.size = WorldSize{testDisplay.width, testDisplay.height};
    // The world's sheets (the description's cells), drawn from the suite's
    // bitmaps, as set-up draws it on a display.
    world.display = &testDisplay;
    world.painter = &displayPainter;
    art = std::make_shared<WorldArt>();
    for (const SheetShape& shape : shapes)
        art->pictures.push_back(WorldArt::Picture{shape.bitmapId, new SpriteSheet(shape.bitmapId)});
    world.art = art;
    ASSERT_NE(sheetPicture(world, world.vobSheet), nullptr);
    ASSERT_NE(sheetPicture(world, world.whirlSheet), nullptr);

    world.vobList = new EntityList(world.memory);
    world.whirlList = new EntityList(world.memory);
    world.foodList = new EntityList(world.memory);
    world.remainsList = new EntityList(world.memory);
    world.liveOptions = presetAlgorithms[0];
    seedRandom(world.random, 1);
}

void SimWorld::TearDown()
{
    releaseWorld(world);
    art.reset();
    closeHeadlessDisplay(testDisplay);
}

Entity* SimWorld::addVob(int32_t x, int32_t y, int32_t strength)
{
    Entity* vob = addEntity(world, *world.vobList, world.vobSheet, directionalAnimation);
    vob->setPosition(x, y);
    vob->setStrength(strength);
    return vob;
}

Entity* SimWorld::addFood(int32_t x, int32_t y, int32_t units)
{
    Entity* food = addEntity(world, *world.foodList, world.foodSheet, cyclicAnimation);
    food->setPosition(x, y);
    food->setStrength(units);
    food->setStrengthCap(units);
    food->setFrameDelay(0);
    return food;
}

Entity* SimWorld::addWhirl()
{
    Entity* whirl = addEntity(world, *world.whirlList, world.whirlSheet, cyclicAnimation);
    whirl->setDepositPoint(whirl->x(), whirl->y());
    whirl->setFrameDelay(0);
    whirl->setSpeed(3);
    return whirl;
}

Entity* SimWorld::addFoodAround(const Entity& vob, int32_t dx, int32_t dy, int32_t units)
{
    return addFood(vob.centreX() + dx - 3, vob.centreY() + dy - 3, units);
}

Entity* SimWorld::addMovingVob(int32_t strength)
{
    Entity* vob = addVob(400, 300, strength);
    vob->setDirection(directionRight);
    vob->setSteerHold(1000);
    return vob;
}

EntityNode* SimWorld::tickFirstVob()
{
    seedQuietDraws(world.random, 8);
    return tickVob(world, world.vobList->head());
}

void SimWorld::tickAll(EntityList* list, EntityNode* (*rule)(World&, EntityNode*))
{
    for (EntityNode* node = list->head(); node != nullptr;)
        node = rule(world, node);
}

int32_t SimWorld::nodeCount(const EntityList* list) const
{
    int32_t count = 0;
    for (EntityNode* node = list->head(); node != nullptr; node = node->next)
        ++count;
    return count;
}

void SimWorld::clearLists()
{
    for (EntityList* list : {world.foodList, world.vobList, world.remainsList, world.whirlList}) {
        list->clear();
        list->resetCounts();
    }
}
