// Where the about page's pictures sit on its background, in the
// background's pixels: the page places them in dialog units of an 8-point
// "MS Sans Serif" dialog, 1.5 pixels across and 1.625 down per unit.
#pragma once

#include <cstdint>
#include <string>

struct AboutPicture {
    const char* fileName;
    int32_t width, height;
    int32_t dluX, dluY;  // the control's place on the page
};

constexpr AboutPicture kAnimal{"108_animal.bmp", 19, 14, 121, 53};
constexpr AboutPicture kRedDot{"142_red_dot.bmp", 7, 6, 67, 82};
constexpr AboutPicture kYellowRing{"143_yellow_ring.bmp", 12, 18, 190, 107};
constexpr AboutPicture kSmallBanner{"145_small_banner.bmp", 58, 37, 172, 1};
constexpr AboutPicture kGreenFigure{"146_green_figure.bmp", 16, 12, 70, 120};
constexpr AboutPicture kLineBanner{"155_line_banner.bmp", 66, 7, 74, 19};
constexpr AboutPicture kBranchingFigure{"154_branching_figure.bmp", 38, 39, 146, 32};
constexpr AboutPicture kSpeechBubble{"144_speech_bubble.bmp", 40, 25, 9, 10};
constexpr AboutPicture kVersionTag{"166_version_tag.bmp", 38, 14, 185, 151};

inline int32_t pictureLeft(const AboutPicture& p) { return p.dluX * 3 / 2; }
inline int32_t pictureTop(const AboutPicture& p) { return p.dluY * 13 / 8; }

// The page is 212 x 162 units, so only part of the 350 x 371 background is
// ever seen, and how much depends on the dialog font: 318 x 263 pixels with
// Windows' own "MS Sans Serif", 318 x 243 with Wine's (12 pixels high, not
// 13). Nothing that must be read goes near the bottom.
constexpr int32_t kAboutVisibleWidth = 318;
constexpr int32_t kAboutVisibleHeight = 243;

// The two credit lines, under the title and above the face.
constexpr int32_t kCreditsTop = 40;

// The face on the background, which several pictures sit on.
constexpr double kFaceX = 160, kFaceY = 150, kFaceR = 84;
