// The objects the world's rules share, built by world set-up and released at
// tear-down. Null until set-up has made them.
#pragma once

class EntityList;
class GlyphFont;
class SpriteSheet;

extern EntityList* vobList;
extern EntityList* whirlList;
extern EntityList* foodList;
extern EntityList* remainsList;

extern SpriteSheet* vobSheet;
extern SpriteSheet* weakVobSheet;
extern SpriteSheet* megaVobSheet;
extern SpriteSheet* remainsSheet;
extern SpriteSheet* foodSheet;
extern SpriteSheet* whirlSheet;

extern GlyphFont* vitalsFont;  // the numbers above the Vobs
