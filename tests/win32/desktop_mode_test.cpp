// The desktop's display mode and the reset of the store. The suites whose
// names contain "InVirtualDesktop" are run by scripts/wine-tests.sh inside a
// Wine virtual desktop whose size and depth it passes in TOVRINE_DESKTOP
// ("WxHxD"); elsewhere they compare with what the system reports.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "settings/settings_store.h"
#include "tests/win32/saver_key.h"

namespace {

struct DisplayMode {
    int width, height, depth;
};

DisplayMode expectedDesktopMode()
{
    DisplayMode mode{};
    const char* given = std::getenv("TOVRINE_DESKTOP");
    if (given && std::sscanf(given, "%dx%dx%d", &mode.width, &mode.height, &mode.depth) == 3)
        return mode;
    mode.width = GetSystemMetrics(SM_CXSCREEN);
    mode.height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    mode.depth = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return mode;
}

// Keeps liveOptions and the registry as they were for the tests that follow.
class WithStartupState : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = liveOptions;
        removeSaverKey();
    }
    void TearDown() override
    {
        liveOptions = saved;
        removeSaverKey();
    }
    OptionsRecord saved;
};

using DesktopModeInVirtualDesktop = WithStartupState;
using StoreResetInVirtualDesktop = WithStartupState;

}  // namespace

TEST_F(DesktopModeInVirtualDesktop, TakesWidthHeightAndDepthAndNothingElse)
{
    const DisplayMode desktop = expectedDesktopMode();
    // Start from values the desktop cannot have, so a call that does nothing fails.
    liveOptions = presetAlgorithms[2];
    liveOptions.screenWidth = 1;
    liveOptions.screenHeight = 2;
    liveOptions.screenDepth = 3;
    OptionsRecord expected = liveOptions;
    expected.screenWidth = desktop.width;
    expected.screenHeight = desktop.height;
    expected.screenDepth = desktop.depth;

    takeDesktopDisplayMode();

    EXPECT_EQ(liveOptions.screenWidth, desktop.width);
    EXPECT_EQ(liveOptions.screenHeight, desktop.height);
    EXPECT_EQ(liveOptions.screenDepth, desktop.depth);
    EXPECT_EQ(recordBytes(&liveOptions, 128), recordBytes(&expected, 128));
}

TEST_F(StoreResetInVirtualDesktop, WritesThePresetsAndTheDesktopsModeIntoOptions)
{
    const DisplayMode desktop = expectedDesktopMode();
    // A foreign "Options" and a changed live record, as when the configuration
    // opens on an old store.
    ASSERT_TRUE(writeRawValue("Options", std::vector<unsigned char>(20, 0x7F)));
    liveOptions = presetAlgorithms[6];
    liveOptions.maxEntities = 12;

    resetStoreToPresets();

    for (int slot = 0; slot < presetCount; ++slot) {
        const std::string name = "alg" + std::to_string(slot);
        RawValue stored = readRawValue(name.c_str());
        EXPECT_EQ(stored.type, static_cast<DWORD>(REG_BINARY)) << name;
        EXPECT_EQ(stored.bytes, recordBytes(&presetAlgorithms[slot], 128)) << name;
    }

    OptionsRecord expected = presetAlgorithms[0];
    expected.screenWidth = desktop.width;
    expected.screenHeight = desktop.height;
    expected.screenDepth = desktop.depth;
    RawValue options = readRawValue("Options");
    EXPECT_EQ(options.type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(options.bytes, recordBytes(&expected, 128));
    EXPECT_EQ(recordBytes(&liveOptions, 128), recordBytes(&expected, 128));
    EXPECT_TRUE(readRawValue("alg7").bytes.empty()) << "a reset writes seven slots only";
}
