#include "sim/world.h"

EntityList* vobList = nullptr;
EntityList* whirlList = nullptr;
EntityList* foodList = nullptr;
EntityList* remainsList = nullptr;

SpriteSheet* vobSheet = nullptr;
SpriteSheet* weakVobSheet = nullptr;
SpriteSheet* megaVobSheet = nullptr;
SpriteSheet* remainsSheet = nullptr;
SpriteSheet* foodSheet = nullptr;
SpriteSheet* whirlSheet = nullptr;

GlyphFont* vitalsFont = nullptr;
