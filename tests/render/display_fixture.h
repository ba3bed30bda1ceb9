// Fixtures shared by the drawing tests: a headless display of a fixed size,
// opened at the depth the test is instantiated with (16 or 32), optionally
// with a private resource folder for bitmaps the test writes itself.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "tests/render/test_display.h"
#include "tests/render/test_bitmaps.h"

template <int32_t Width, int32_t Height>
class HeadlessDisplayAt : public ::testing::TestWithParam<int32_t> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(openHeadlessDisplay(testDisplay, Width, Height, GetParam()));
    }
    void TearDown() override { closeHeadlessDisplay(testDisplay); }
};

template <int32_t Width, int32_t Height>
class HeadlessDisplayWithBitmaps : public HeadlessDisplayAt<Width, Height> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.ok());
        HeadlessDisplayAt<Width, Height>::SetUp();
    }
    testbitmaps::ResourceFolder folder;
};
