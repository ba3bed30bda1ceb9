// The one record of everything that lives in the world: Vobs, whirls, food
// deposits and remains differ only in their sheet, their animation mode and
// which counters their rule reads.
#pragma once

#include <cstdint>

#include "sim/sheet.h"

// Animation modes: cyclic plays the cells in reading order; directional shows
// the direction as the column and animates movement down the rows.
constexpr int32_t cyclicAnimation = 0;
constexpr int32_t directionalAnimation = 1;

// Directions; in a directional sheet the cell column equals the direction.
constexpr int32_t directionStill = 0;
constexpr int32_t directionRight = 1;
constexpr int32_t directionUp = 2;
constexpr int32_t directionLeft = 3;
constexpr int32_t directionDown = 4;
constexpr int32_t directionUpRight = 5;
constexpr int32_t directionUpLeft = 6;
constexpr int32_t directionDownLeft = 7;
constexpr int32_t directionDownRight = 8;

// Width or height for draw meaning "the cell's own size".
constexpr int32_t fullCellSize = -999;

// The world's size in pixels: entities are born at its centre and move
// within it. The display's size when the world was set up.
struct WorldSize {
    int32_t width = 0;
    int32_t height = 0;
};

class Entity {
public:
    // On one of the world's sheets, whose cells it takes. Starts at the
    // centre of the world. A world's entities are made in its memory
    // (makeInWorld, sim/world_memory.h).
    Entity(const Sheet* sheet, int32_t animMode, WorldSize world);
    Entity(const Entity&) = delete;
    Entity& operator=(const Entity&) = delete;

    // Takes `sheet` and its cells; position, direction, column and row stay
    // as they were.
    void adoptSheet(const Sheet* sheet);
    // Back to the creation values, centred in the world.
    void reset(WorldSize world);

    void setPosition(int32_t x, int32_t y);
    void setDirection(int32_t direction);  // 1..8, anything else is still
    void setFrame(int32_t column);         // column as given, row 0
    void setSpeed(int32_t speed) { speed_ = speed; }
    void setAlive(int32_t alive) { alive_ = alive; }
    void setStrength(int32_t strength) { strength_ = strength; }
    void setStrengthCap(int32_t cap) { strengthCap_ = cap; }
    void setFrameDelay(int32_t delay) { frameDelay_ = delay; }
    void setLife(int32_t life) { life_ = life; }
    void setSteerHold(int32_t hold) { steerHold_ = hold; }
    void setDepositPoint(int32_t x, int32_t y);
    // Clamped to strengthCap when the cap is not 0; no lower bound.
    void addStrength(int32_t amount);
    void addLife(int32_t amount);
    // The hold before this call, counting it down by one when it runs.
    int32_t takeSteerHold();

    // One step in the current direction, stopping at or wrapping round the
    // world's edges (wrapEdges of the live record; defined in
    // entity_motion.cpp with the two below).
    void move(WorldSize world, int32_t wrapEdges);
    // One animation step.
    void advanceFrame();
    // Where the current cell lies in the sheet (inside the grid lines, one
    // pixel wide, which are skipped), and where it goes: at (x, y),
    // fullCellSize keeping the cell's own size. Every drawn frame of every
    // entity asks: kept inline.
    CellRect cellSource() const
    {
        const int32_t left = (cellWidth_ + 1) * (column_ - 1) + 1;
        const int32_t top = (cellHeight_ + 1) * row_ + 1;
        return CellRect{left, top, left + cellWidth_, top + cellHeight_};
    }
    CellRect cellTarget(int32_t width, int32_t height) const
    {
        return CellRect{x_, y_, x_ + (width == fullCellSize ? cellWidth_ : width),
                        y_ + (height == fullCellSize ? cellHeight_ : height)};
    }

    const Sheet* sheet() const { return sheet_; }
    int32_t sheetShared() const { return sheetShared_; }
    int32_t animMode() const { return animMode_; }
    int32_t columns() const { return columns_; }
    int32_t rows() const { return rows_; }
    int32_t column() const { return column_; }
    int32_t row() const { return row_; }
    int32_t prevX() const { return prevX_; }
    int32_t prevY() const { return prevY_; }
    int32_t frameTick() const { return frameTick_; }
    int32_t frameDelay() const { return frameDelay_; }
    int32_t alive() const { return alive_; }
    int32_t x() const { return x_; }
    int32_t y() const { return y_; }
    int32_t cellWidth() const { return cellWidth_; }
    int32_t cellHeight() const { return cellHeight_; }
    int32_t direction() const { return direction_; }
    int32_t speed() const { return speed_; }
    int32_t strength() const { return strength_; }
    int32_t strengthCap() const { return strengthCap_; }
    int32_t life() const { return life_; }
    int32_t steerHold() const { return steerHold_; }
    int32_t depositX() const { return depositX_; }
    int32_t depositY() const { return depositY_; }

    // The point the contact and steering rules compare.
    int32_t centreX() const { return x_ + cellWidth_ / 2; }
    int32_t centreY() const { return y_ + cellHeight_ / 2; }

private:
    const Sheet* sheet_ = nullptr;
    int32_t sheetShared_ = 1;
    int32_t animMode_ = 0;
    int32_t columns_ = 0;
    int32_t rows_ = 0;
    int32_t column_ = 1;
    int32_t row_ = 0;
    int32_t prevX_ = 0;
    int32_t prevY_ = 0;
    int32_t frameTick_ = 0;
    int32_t frameDelay_ = 3;
    int32_t alive_ = 1;
    int32_t x_ = 0;
    int32_t y_ = 0;
    int32_t cellWidth_ = 0;
    int32_t cellHeight_ = 0;
    int32_t direction_ = 0;
    int32_t speed_ = 1;
    int32_t strength_ = 1;
    int32_t strengthCap_ = 0;
    int32_t life_ = 0;
    int32_t steerHold_ = 0;
    int32_t depositX_ = 0;
    int32_t depositY_ = 0;
};
