// Building the world at the start of a run: the sheets, lists and fonts, the
// first civilization and the whirls, with progress on the visible surface.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Display;
struct Font;
struct World;

// The world's overlayFont's handle for the device-context messages; null without it.
Font* overlayFontHandle(const World& world);

// Results of setUpWorld.
constexpr int32_t worldComplete = 0;
constexpr int32_t worldInterrupted = 1;
// Memory ran out while the world was built. The world is already torn down
// (its memory given back) when this comes back; the caller ends the run (the
// saver closes, the runner exits non-zero) instead of trying set-up again on
// the next tick, which would only run out again.
constexpr int32_t worldOutOfMemory = 2;

// The most founding Vobs and whirls the configuration pages can store (their
// boxes take five digits). A stored record is user-writable, so a larger
// count is taken as this: set-up and rebirths stay bounded in memory and time.
constexpr int32_t largestStoredCount = 99999;
// The live record's initialVobs and whirlCount so bounded; set-up and the
// rebirth of a civilization count with them.
int32_t foundingVobCount(const World& world);
int32_t whirlsToBuild(const World& world);

// Bitmap ids of the world's sheets.
constexpr int32_t cloudBitmap = 116;
constexpr int32_t vobBitmap = 107;
constexpr int32_t weakVobBitmap = 106;
constexpr int32_t megaVobBitmap = 113;
constexpr int32_t remainsBitmap = 112;
constexpr int32_t foodBitmap = 110;
constexpr int32_t whirlBitmap = 111;

// Builds `world` from its liveOptions and random seed, which the caller has
// set, to draw on `display` (the host's; it must outlive the world): its
// size is the display's, its art is loaded for it, its run state starts
// afresh. With a null display the world only simulates: its size is the
// record's screen size, and it loads no bitmap and draws nothing. Called by the run's
// device set-up after clearing both display surfaces. worldInterrupted when
// the user stopped it; what was built so far stays for tearDownWorld.
// worldOutOfMemory as above.
int32_t setUpWorld(World& world, Display* display);

// A host that builds many worlds on one display (the record fuzzer) loads
// their art once: loadWorldArt loads only the art into `art` (its pictures
// and fonts, in the open display's format; a missing one stays empty, as
// in set-up); std::bad_alloc when memory runs out. setUpWorldBorrowingArt
// is setUpWorld with that art shared with `world` instead of loaded anew;
// a world never changes it.
void loadWorldArt(World& art);
int32_t setUpWorldBorrowingArt(World& world, Display* display, const World& art);

// Frees the food index and the lists and lets go of the art (the last world
// holding it frees its pictures in creation order, then its fonts). Safe to
// call again or before set-up.
void tearDownWorld(World& world);

// What set-up could not load: one line per sheet without a bitmap or font
// that could not be built; empty when the world is whole, and for a world
// without a display, which needs neither.
std::vector<std::string> missingWorldParts(const World& world);

// The direct poll of long loops: Escape held, a mouse button (of the first
// three) down, or the mouse moved right or down by more than 5 since the last
// read. A device that cannot be read counts as no input.
bool userInterrupted();
// userInterrupted for a world with a display; a world without one has
// nobody watching it, and its set-up and rebirths poll nothing.
bool userStopped(const World& world);

// One Vob of a new civilization at the screen centre: strength greenLevel
// plus a draw up to birthStrength, and the sheet that strength calls for.
void addFoundingVob(World& world);
