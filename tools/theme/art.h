// The look of the default theme: palette and the drawing of recurring motifs (notes, the
// mascot, course emblems, digits, panels), shared by every picture.
#pragma once
#include <string>

#include "canvas.h"

namespace themegen {

namespace pal {
inline const Color kInk = Rgb(0x2B1D1A);       // outlines
inline const Color kDon = Rgb(0xE8432E);       // drum-face notes
inline const Color kKat = Rgb(0x2E9CD6);       // rim notes
inline const Color kRoll = Rgb(0xF7C31C);      // rolls
inline const Color kBalloon = Rgb(0xF58A1F);   // balloon notes
inline const Color kCream = Rgb(0xFFF4DC);
inline const Color kWhite = Rgb(0xFFFFFF);
inline const Color kGold = Rgb(0xFFC933);
inline const Color kTeal = Rgb(0x2FA39A);
inline const Color kBody = Rgb(0xFFD9A3);      // mascot
inline const Color kBand = Rgb(0xE23B2E);      // mascot headband
}  // namespace pal

enum CourseId { kEasy, kNormal, kHard, kOni, kEdit };
extern const char* const kCourseNames[5];    // "easy" ...
extern const char* const kCourseTitles[5];   // "EASY" ...
extern const char* const kCourseKanji[5];
Color CourseColor(int course);

// A round note centred at (cx, cy) with radius r: dark outline, white rim, coloured face.
void DrawNote(Image& img, float cx, float cy, float r, Color face);
// A balloon shape (body centred at cx, cy) with a knot and a string towards (sx, sy).
void DrawBalloonShape(Image& img, float cx, float cy, float rx, float ry, Color c, float sx, float sy);

// The mascot: a round drummer with a headband.
struct Pose {
  float armL = 30, armR = 30;  // arm angles in degrees from straight down, outward positive
  int eyes = 0;                // 0 open, 1 happy arcs, 2 sad, 3 closed lines, 4 star-struck
  int mouth = 0;               // 0 smile, 1 open laugh, 2 frown, 3 "o"
  float squash = 0;            // >0 squashed, <0 stretched
  bool sweat = false;
  bool sticks = true;
  Color band = Rgb(0xE23B2E);
  Color body = Rgb(0xFFD9A3);
};
void DrawMascot(Image& img, float cx, float cy, float size, const Pose& pose);

// A course emblem of radius r: shape and colour differ per course, with its kanji.
void DrawCourseEmblem(Image& img, int course, float cx, float cy, float r, bool glow = false);

// A digit or short label as a picture: filled with a vertical gradient and outlined.
Image LabelImage(int w, int h, const std::string& text, Font font, int size, Color top, Color bottom,
                 Color outline, int outlineWidth, float dy = 0);
// Text with a gradient fill drawn into an image.
void GradientText(Image& img, const std::string& text, Font font, int size, float cx, float cy, Color top,
                  Color bottom, Color outline, int outlineWidth, int align = 0);

// A rounded panel with outline and a soft top highlight.
void Panel(Image& img, float x0, float y0, float x1, float y1, float radius, Color fill, Color outline,
           float outlineWidth);
// A sparkle star.
void Sparkle(Image& img, float cx, float cy, float r, Color c);
// Seamless horizontal cloud.
void Cloud(Image& img, float cx, float cy, float s, Color c, int wrapWidth = 0);

// Pictures of each screen.
void DrawPlayPictures();
void DrawStagePictures();
void DrawSelectPictures();
void DrawResultPictures();
// The program's icon, kodoban.png in the game folder.
void DrawIcon();

}  // namespace themegen

namespace themegen {
// Sunburst rays from (cx, cy): `count` light stripes over the whole picture.
void Rays(Image& img, float cx, float cy, int count, Color c, float turn = 0);
}  // namespace themegen
