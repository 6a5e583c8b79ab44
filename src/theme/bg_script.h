// The scripted background of the play screen: dancer_bg.ini in the chosen background set
// lists image layers, where each stands, how it enters and how it moves afterwards. The
// normal list runs from the start of play; the clear list starts when the soul gauge reaches
// the clear threshold and, once it has fully entered, replaces the normal list.
#pragma once
#include <cstdint>

namespace theme {

constexpr int kBgMaxLayers = 100;
constexpr int kBgScriptLineBytes = 255;  // longer lines are cut
constexpr int kBgMaxArguments = 10;
constexpr int kBgNoAppearEnd = -1000000000;
// Script numbers are kept within this range, so that every time and position stays finite.
constexpr double kBgNumberLimit = 1000000000.0;

enum BgAppearCode : int {
  kAppearNone = 0,
  kAppearFadeIn = 2,
  kAppearBoundUpSin = 3,
  kAppearBoundUpCos = 4,
  kAppearBoundUp = 5,
  kAppearBoundDownSin = 6,
  kAppearBoundDownCos = 7,
  kAppearBoundDown = 8,
  kAppearBoundRightSin = 9,
  kAppearBoundRightCos = 10,
  kAppearBoundRight = 11,
  kAppearBoundLeftSin = 12,
  kAppearBoundLeftCos = 13,
  kAppearBoundLeft = 14,
  kAppearFadeInMoveXLoop = 15,
  kAppearFadeInMoveYLoop = 16,
  kAppearFadeInRotate = 17,
  kAppearFlameChange = 18,
};

enum BgMotionCode : int {
  kMotionNone = 0,
  kMotionNoDraw = 1,
  kMotionBlink = 2,
  kMotionRotate = 3,
  kMotionMoveXLoop = 4,
  kMotionMoveYLoop = 5,
  kMotionMoveXLoopBlink = 6,
  kMotionMoveYLoopBlink = 7,
  kMotionMoveXLoopFlameChange = 8,
  kMotionMoveYLoopFlameChange = 9,
  kMotionMoveXReflect = 10,
  kMotionMoveYReflect = 11,
  kMotionFlameChange = 12,
  kMotionBlinkWait = 13,
};

struct BgLayer {
  int image;        // TextureHandle, -1 when the image is missing
  int appear_code;  // BgAppearCode
  int motion_code;  // BgMotionCode
  int appear_end;   // ms; the entrance runs while the list time is below it
  double a[7];      // appear parameters
  double m[6];      // motion parameters
  double move_offset;
  double blink_offset;
  double x, y;
  uint8_t additive;
};

struct BgLayerList {
  BgLayer layers[kBgMaxLayers];
  int count;
  int max_appear_end;  // the largest appear end of the layers, at least 0
};

extern BgLayerList BgNormalList;
extern BgLayerList BgClearList;

// Empties both lists (all appear ends "none", all images -1).
void ClearBgScript();
// Reads folder + "/dancer_bg.ini" and loads each layer's image from folder + "/" + name.
// A missing file leaves both lists empty.
void LoadBgScript(const char* folder);
// The same with an image loader of the caller's (tests, tools). loadImage gets the full path
// and returns a handle or -1.
void LoadBgScriptWith(const char* folder, int (*loadImage)(const char* path));
// One line of a script (without its line break) into the lists; for the parser's tests.
// Returns the number of the list the line acted on (0 normal, 1 clear), or -1 when ignored.
struct BgScriptParser {
  BgLayerList* current;  // the list the last name command opened, null before the first
  bool layer_open;       // false after a layer beyond the limit was refused
};
int ParseBgScriptLine(BgScriptParser* parser, const char* line, const char* folder,
                      int (*loadImage)(const char* path));
// Computes each list's largest appear end (after the last line).
void FinishBgScript();

// One layer's sprite for a list time: what DrawBgScript hands to the sprite layer.
struct BgSprite {
  int image;
  double x, y;      // top-left, or the centre when rotated
  uint32_t colour;
  bool rotated;
  double angle;     // degrees
  int additive;
};
// Evaluates layer index of list at list time t. False when the layer draws nothing.
bool EvaluateBgLayer(const BgLayerList& list, int index, double t, BgSprite* out);

// The time bases the background follows, all from the play.
struct BgScriptClock {
  double now;                 // play clock, ms
  double play_start;          // play clock value at which play started
  int clear_threshold;        // whole gauge value that clears the course
  double gauge;               // soul gauge 0 .. 100
  double threshold_time;      // play clock when the whole gauge last rose to the threshold
  double below_threshold_time;  // ... and to the value below it
};
// The clear list's time, or false while it has none.
bool ClearListTime(const BgScriptClock& clock, double* t);
// Draws both lists for this frame.
void DrawBgScript(const BgScriptClock& clock);
// Draws one list at list time t.
void DrawBgLayerList(const BgLayerList& list, double t);

}  // namespace theme
