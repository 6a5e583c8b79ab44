// dancer_bg.ini: the parser, and the per-frame evaluation of every entrance and motion.
#include "theme/bg_script.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "graphics/sprite.h"
#include "graphics/texture.h"
#include "theme/text_file.h"
#include "theme/theme_math.h"

namespace theme {

BgLayerList BgNormalList;
BgLayerList BgClearList;

namespace {

void ClearBgLayer(BgLayer* layer) {
  std::memset(layer, 0, sizeof *layer);
  layer->image = -1;
  layer->appear_end = kBgNoAppearEnd;
}

void ClearBgLayerList(BgLayerList* list) {
  for (BgLayer& layer : list->layers) ClearBgLayer(&layer);
  list->count = 0;
  list->max_appear_end = 0;
}

// What a command does to its layer.
enum class BgEffect {
  kNewClear, kNewNormal, kAdd, kPoint, kAppear, kMoveOffset, kBlinkOffset, kNoDraw, kMotion,
};

struct BgCommand {
  const char* name;
  BgEffect effect;
  int code;          // appear or motion code
  int end_arg;       // appear: the argument that gives the appear end
  int period_args[2];  // arguments whose whole part 0 becomes 1 (-1: none)
  int alpha_args[2];   // arguments clamped to 0 .. 255 (-1: none)
};

// Recognition order: longer names before the names they contain.
const BgCommand kBgCommands[] = {
    {"#CLEAR_BG_NAME", BgEffect::kNewClear, 0, -1, {-1, -1}, {-1, -1}},
    {"#BG_NAME", BgEffect::kNewNormal, 0, -1, {-1, -1}, {-1, -1}},
    {"#ADD", BgEffect::kAdd, 0, -1, {-1, -1}, {-1, -1}},
    {"#POINT", BgEffect::kPoint, 0, -1, {-1, -1}, {-1, -1}},
    {"#APPEAR_FLAME_CHANGE", BgEffect::kAppear, kAppearFlameChange, 1, {1, -1}, {-1, -1}},
    {"#APPEAR_FADE_IN_MOVE_X_LOOP", BgEffect::kAppear, kAppearFadeInMoveXLoop, 1, {4, -1},
     {-1, -1}},
    {"#APPEAR_FADE_IN_MOVE_Y_LOOP", BgEffect::kAppear, kAppearFadeInMoveYLoop, 1, {4, -1},
     {-1, -1}},
    {"#APPEAR_FADE_IN_ROTATE", BgEffect::kAppear, kAppearFadeInRotate, 1, {2, -1}, {-1, -1}},
    {"#APPEAR_FADE_IN", BgEffect::kAppear, kAppearFadeIn, 1, {-1, -1}, {-1, -1}},
    {"#APPEAR_BOUND_UP_SIN", BgEffect::kAppear, kAppearBoundUpSin, 3, {-1, -1}, {-1, -1}},
    {"#APPEAR_BOUND_UP_COS", BgEffect::kAppear, kAppearBoundUpCos, 3, {-1, -1}, {-1, -1}},
    {"#APPEAR_BOUND_UP", BgEffect::kAppear, kAppearBoundUp, 3, {-1, -1}, {-1, -1}},
    {"#APPEAR_BOUND_DOWN_SIN", BgEffect::kAppear, kAppearBoundDownSin, 3, {-1, -1}, {-1, -1}},
    {"#APPEAR_BOUND_DOWN_COS", BgEffect::kAppear, kAppearBoundDownCos, 3, {-1, -1}, {-1, -1}},
    {"#APPEAR_BOUND_DOWN", BgEffect::kAppear, kAppearBoundDown, 3, {-1, -1}, {-1, -1}},
    {"#APPEAR_BOUND_RIGHT_SIN", BgEffect::kAppear, kAppearBoundRightSin, 3, {-1, -1},
     {-1, -1}},
    {"#APPEAR_BOUND_RIGHT_COS", BgEffect::kAppear, kAppearBoundRightCos, 3, {-1, -1},
     {-1, -1}},
    {"#APPEAR_BOUND_RIGHT", BgEffect::kAppear, kAppearBoundRight, 3, {-1, -1}, {-1, -1}},
    {"#APPEAR_BOUND_LEFT_SIN", BgEffect::kAppear, kAppearBoundLeftSin, 3, {-1, -1}, {-1, -1}},
    {"#APPEAR_BOUND_LEFT_COS", BgEffect::kAppear, kAppearBoundLeftCos, 3, {-1, -1}, {-1, -1}},
    {"#APPEAR_BOUND_LEFT", BgEffect::kAppear, kAppearBoundLeft, 3, {-1, -1}, {-1, -1}},
    {"#OFFSET", BgEffect::kMoveOffset, 0, -1, {-1, -1}, {-1, -1}},
    {"#MOVE_OFFSET", BgEffect::kMoveOffset, 0, -1, {-1, -1}, {-1, -1}},
    {"#COLOR_OFFSET", BgEffect::kBlinkOffset, 0, -1, {-1, -1}, {-1, -1}},
    {"#NO_DRAW", BgEffect::kNoDraw, kMotionNoDraw, -1, {-1, -1}, {-1, -1}},
    {"#FLAME_CHANGE", BgEffect::kMotion, kMotionFlameChange, -1, {1, -1}, {-1, -1}},
    // A blink of blink time 0 simply waits; a period of 0 would divide by zero.
    {"#BLINK_WAIT", BgEffect::kMotion, kMotionBlinkWait, -1, {-1, -1}, {0, 1}},
    {"#BLINK", BgEffect::kMotion, kMotionBlink, -1, {2, -1}, {0, 1}},
    {"#ROTATE", BgEffect::kMotion, kMotionRotate, -1, {0, -1}, {-1, -1}},
    {"#MOVE_X_LOOP_BLINK", BgEffect::kMotion, kMotionMoveXLoopBlink, -1, {2, 5}, {3, 4}},
    {"#MOVE_Y_LOOP_BLINK", BgEffect::kMotion, kMotionMoveYLoopBlink, -1, {2, 5}, {3, 4}},
    {"#MOVE_X_LOOP_FLAME_CHANGE", BgEffect::kMotion, kMotionMoveXLoopFlameChange, -1, {2, 4},
     {-1, -1}},
    {"#MOVE_Y_LOOP_FLAME_CHANGE", BgEffect::kMotion, kMotionMoveYLoopFlameChange, -1, {2, 4},
     {-1, -1}},
    {"#MOVE_X_LOOP", BgEffect::kMotion, kMotionMoveXLoop, -1, {2, -1}, {-1, -1}},
    {"#MOVE_Y_LOOP", BgEffect::kMotion, kMotionMoveYLoop, -1, {2, -1}, {-1, -1}},
    {"#MOVE_X_REFLECT", BgEffect::kMotion, kMotionMoveXReflect, -1, {1, -1}, {-1, -1}},
    {"#MOVE_Y_REFLECT", BgEffect::kMotion, kMotionMoveYReflect, -1, {1, -1}, {-1, -1}},
};

bool CommandNeedsArguments(BgEffect e) {
  return e != BgEffect::kAdd && e != BgEffect::kNoDraw;
}

double LimitScriptNumber(double v) {
  if (std::isnan(v)) return 0.0;
  if (v > kBgNumberLimit) return kBgNumberLimit;
  if (v < -kBgNumberLimit) return -kBgNumberLimit;
  return v;
}

// The numbers of an argument text: each starts at a digit or '-' and runs to the next ',';
// other characters between numbers are skipped. Returns how many were read.
int ParseBgArguments(const char* text, double* out) {
  for (int i = 0; i < kBgMaxArguments; ++i) out[i] = 0.0;
  int n = 0;
  const char* p = text;
  while (*p != '\0' && n < kBgMaxArguments) {
    if ((*p >= '0' && *p <= '9') || *p == '-') {
      out[n++] = LimitScriptNumber(std::strtod(p, nullptr));
      while (*p != '\0' && *p != ',') ++p;
      if (*p == ',') ++p;
    } else {
      ++p;
    }
  }
  return n;
}

}  // namespace

void ClearBgScript() {
  ClearBgLayerList(&BgNormalList);
  ClearBgLayerList(&BgClearList);
}

int ParseBgScriptLine(BgScriptParser* parser, const char* line, const char* folder,
                      int (*loadImage)(const char* path)) {
  char text[kBgScriptLineBytes + 1];
  std::snprintf(text, sizeof text, "%s", line);
  if (char* comment = std::strstr(text, "//")) *comment = '\0';
  if (text[0] != '#') return -1;

  const BgCommand* cmd = nullptr;
  for (const BgCommand& c : kBgCommands) {
    if (std::strstr(text, c.name) != nullptr) {
      cmd = &c;
      break;
    }
  }
  if (cmd == nullptr) return -1;

  // Arguments: from the first '(' to the next ')'.
  char args[kBgScriptLineBytes + 1] = "";
  bool hasArgs = false;
  if (char* open = std::strchr(text, '(')) {
    if (char* close = std::strchr(open + 1, ')')) {
      size_t len = static_cast<size_t>(close - (open + 1));
      std::memcpy(args, open + 1, len);
      args[len] = '\0';
      hasArgs = true;
    }
  }
  if (CommandNeedsArguments(cmd->effect) && !hasArgs) return -1;

  if (cmd->effect == BgEffect::kNewClear || cmd->effect == BgEffect::kNewNormal) {
    BgLayerList* list = cmd->effect == BgEffect::kNewClear ? &BgClearList : &BgNormalList;
    parser->current = list;
    if (list->count >= kBgMaxLayers) {
      // A layer beyond the limit is refused, and so are the commands meant for it.
      parser->layer_open = false;
      return -1;
    }
    BgLayer* layer = &list->layers[list->count++];
    ClearBgLayer(layer);
    char path[kThemePathBytes];
    int n = std::snprintf(path, sizeof path, "%s/%s", folder, args);
    layer->image = (n > 0 && n < static_cast<int>(sizeof path) && loadImage != nullptr)
                       ? loadImage(path)
                       : -1;
    parser->layer_open = true;
    return list == &BgClearList ? 1 : 0;
  }

  // Every other command applies to the last layer of the current list.
  if (parser->current == nullptr || !parser->layer_open || parser->current->count == 0)
    return -1;
  BgLayer* layer = &parser->current->layers[parser->current->count - 1];

  double v[kBgMaxArguments];
  ParseBgArguments(args, v);
  for (int k : cmd->period_args)
    if (k >= 0 && std::trunc(v[k]) == 0.0) v[k] = 1.0;
  for (int k : cmd->alpha_args) {
    if (k < 0) continue;
    if (v[k] < 0.0) v[k] = 0.0;
    if (v[k] > 255.0) v[k] = 255.0;
  }

  switch (cmd->effect) {
    case BgEffect::kAdd: layer->additive = 1; break;
    case BgEffect::kPoint:
      layer->x = v[0];
      layer->y = v[1];
      break;
    case BgEffect::kAppear:
      layer->appear_code = cmd->code;
      for (int i = 0; i < 7; ++i) layer->a[i] = v[i];
      layer->appear_end = static_cast<int>(v[cmd->end_arg]);
      break;
    case BgEffect::kMoveOffset: layer->move_offset = v[0]; break;
    case BgEffect::kBlinkOffset: layer->blink_offset = v[0]; break;
    case BgEffect::kNoDraw: layer->motion_code = kMotionNoDraw; break;
    case BgEffect::kMotion:
      layer->motion_code = cmd->code;
      for (int i = 0; i < 6; ++i) layer->m[i] = v[i];
      break;
    case BgEffect::kNewClear:
    case BgEffect::kNewNormal: break;
  }
  return parser->current == &BgClearList ? 1 : 0;
}

void FinishBgScript() {
  for (BgLayerList* list : {&BgNormalList, &BgClearList}) {
    list->max_appear_end = 0;
    for (int i = 0; i < list->count; ++i)
      if (list->layers[i].appear_end > list->max_appear_end)
        list->max_appear_end = list->layers[i].appear_end;
  }
}

void LoadBgScriptWith(const char* folder, int (*loadImage)(const char* path)) {
  ClearBgScript();
  char path[kThemePathBytes];
  int n = std::snprintf(path, sizeof path, "%s/dancer_bg.ini", folder);
  if (n <= 0 || n >= static_cast<int>(sizeof path)) return;
  TextLineReader reader;
  if (!reader.Open(path)) return;
  BgScriptParser parser{nullptr, false};
  char line[kBgScriptLineBytes + 1];
  while (reader.ReadLine(line, sizeof line)) ParseBgScriptLine(&parser, line, folder, loadImage);
  reader.Close();
  FinishBgScript();
}

namespace {
int LoadBgImage(const char* path) { return graphics::LoadTexture(path); }
}  // namespace

void LoadBgScript(const char* folder) { LoadBgScriptWith(folder, LoadBgImage); }

// ---------------------------------------------------------------------------------------
// Evaluation. Every position and alpha is a function of the list time alone.

namespace {

// ⌊t⌋ mod P(p), with the remainder of truncated operands; 0 for a period below 1.
double ModPeriod(double t, double p) {
  int64_t period = Whole(p);
  if (period == 0) return 0.0;
  return static_cast<double>(Whole(t) % period);
}

// S(t, p): one sine cycle every p ms.
double Sinusoid(double t, double p) {
  if (p == 0.0) return 0.0;
  return std::sin(360.0 * kDegrees * (ModPeriod(t, p) - 180.0) / p);
}

// Frame k of a frame-changing layer: the layer k places after index, when there is one.
bool FrameLayer(const BgLayerList& list, int index, double t, double period, double frames,
                int* image) {
  if (period == 0.0) return false;
  double k = std::floor(ModPeriod(t, period) / period * frames);
  if (!(k >= 0.0) || k >= static_cast<double>(list.count - index)) return false;
  *image = list.layers[index + static_cast<int>(k)].image;
  return true;
}

double Sweep(double from, double to, double t, double period) {
  if (period == 0.0) return from;
  return from + (to - from) * ModPeriod(t, period) / period;
}

double Reflect(double distance, double t, double period) {
  if (period == 0.0) return 0.0;
  double r = ModPeriod(t, period);
  if (r < period / 2.0) return 2.0 * distance * r / period;
  return 2.0 * distance * (1.0 - r / period);
}

double BlinkAlpha(double low, double high, double t, double period) {
  return low + (high - low) / 2.0 + (high - low) / 2.0 * Sinusoid(t, period);
}

// The bounce's offset from the rest position along its direction of travel.
double BounceOffset(const BgLayer& l, double t, int curve) {
  const double* a = l.a;
  double d = a[4] - a[5] + a[6];
  if (t < a[0]) return d;
  auto progress = [t](double start, double end) {
    return end == start ? 1.0 : (t - start) / (end - start);
  };
  // curve 0 plain, 1 sine, 2 cosine
  auto ease_out = [curve](double f) {  // the first and third phases
    if (curve == 1) return std::sin(90.0 * kDegrees * f);
    if (curve == 2) return 1.0 - std::cos(90.0 * kDegrees * f);
    return f;
  };
  auto ease_back = [curve](double f) {  // the second phase
    if (curve == 1) return 1.0 - std::cos(90.0 * kDegrees * f);
    if (curve == 2) return std::sin(90.0 * kDegrees * f);
    return f;
  };
  if (t < a[1]) return d - a[4] * ease_out(progress(a[0], a[1]));
  if (t < a[2]) return -a[5] + a[6] + a[5] * ease_back(progress(a[1], a[2]));
  if (t < a[3]) return a[6] - a[6] * ease_out(progress(a[2], a[3]));
  return 0.0;
}

bool EvaluateAppear(const BgLayerList& list, int index, double t, BgSprite* s) {
  const BgLayer& l = list.layers[index];
  const double* a = l.a;
  switch (l.appear_code) {
    case kAppearFadeIn:
    case kAppearFadeInMoveXLoop:
    case kAppearFadeInMoveYLoop:
    case kAppearFadeInRotate: {
      if (t < a[0]) return false;
      s->colour = AlphaColour(a[1] == a[0] ? 255.0 : 255.0 * (t - a[0]) / (a[1] - a[0]));
      if (l.appear_code == kAppearFadeInMoveXLoop) s->x = l.x + Sweep(a[2], a[3], t, a[4]);
      if (l.appear_code == kAppearFadeInMoveYLoop) s->y = l.y + Sweep(a[2], a[3], t, a[4]);
      if (l.appear_code == kAppearFadeInRotate) {
        s->rotated = true;
        s->angle = a[2] == 0.0 ? 0.0 : 360.0 * ModPeriod(t, a[2]) / a[2];
      }
      return true;
    }
    case kAppearFlameChange:
      return FrameLayer(list, index, t, a[1], a[0], &s->image);
    default:
      break;
  }
  if (l.appear_code >= kAppearBoundUpSin && l.appear_code <= kAppearBoundLeft) {
    int variant = l.appear_code - kAppearBoundUpSin;  // direction × 3 + curve
    int direction = variant / 3;                      // 0 up, 1 down, 2 right, 3 left
    int curve = (variant % 3 + 1) % 3;                // sin 1, cos 2, plain 0
    double g = BounceOffset(l, t, curve);
    switch (direction) {
      case 0: s->y = l.y + g; break;
      case 1: s->y = l.y - g; break;
      case 2: s->x = l.x - g; break;
      default: s->x = l.x + g; break;
    }
    return true;
  }
  return false;  // an unknown code draws nothing
}

bool EvaluateMotion(const BgLayerList& list, int index, double t, BgSprite* s) {
  const BgLayer& l = list.layers[index];
  const double* m = l.m;
  double tm = t + l.move_offset;   // movements
  double tb = t + l.blink_offset;  // blinking
  switch (l.motion_code) {
    case kMotionNone: return true;
    case kMotionNoDraw: return false;
    case kMotionBlink:
      s->colour = AlphaColour(BlinkAlpha(m[0], m[1], tb, m[2]));
      return true;
    case kMotionRotate:
      s->rotated = true;
      s->angle = m[0] == 0.0 ? 0.0 : 360.0 * ModPeriod(t, m[0]) / m[0];
      return true;
    case kMotionMoveXLoop: s->x = l.x + Sweep(m[0], m[1], tm, m[2]); return true;
    case kMotionMoveYLoop: s->y = l.y + Sweep(m[0], m[1], tm, m[2]); return true;
    case kMotionMoveXLoopBlink:
    case kMotionMoveYLoopBlink:
      if (l.motion_code == kMotionMoveXLoopBlink) s->x = l.x + Sweep(m[0], m[1], tm, m[2]);
      else s->y = l.y + Sweep(m[0], m[1], tm, m[2]);
      s->colour = AlphaColour(BlinkAlpha(m[3], m[4], tb, m[5]));
      return true;
    case kMotionMoveXLoopFlameChange:
    case kMotionMoveYLoopFlameChange:
      if (l.motion_code == kMotionMoveXLoopFlameChange) s->x = l.x + Sweep(m[0], m[1], tm, m[2]);
      else s->y = l.y + Sweep(m[0], m[1], tm, m[2]);
      return FrameLayer(list, index, t, m[4], m[3], &s->image);
    case kMotionMoveXReflect: s->x = l.x + Reflect(m[0], tm, m[1]); return true;
    case kMotionMoveYReflect: s->y = l.y + Reflect(m[0], tm, m[1]); return true;
    case kMotionFlameChange: return FrameLayer(list, index, t, m[1], m[0], &s->image);
    case kMotionBlinkWait: {
      double cycle = ModPeriod(tb, m[2] + m[3]);
      double alpha = m[0];
      if (cycle < m[2] && m[2] != 0.0)
        alpha = m[0] + (m[1] - m[0]) / 2.0 +
                (m[1] - m[0]) / 2.0 * std::sin(360.0 * kDegrees * (cycle - 180.0) / m[2]);
      s->colour = AlphaColour(alpha);
      return true;
    }
    default: return false;
  }
}

}  // namespace

bool EvaluateBgLayer(const BgLayerList& list, int index, double t, BgSprite* out) {
  if (index < 0 || index >= list.count) return false;
  const BgLayer& l = list.layers[index];
  out->image = l.image;
  out->x = l.x;
  out->y = l.y;
  out->colour = kWhite;
  out->rotated = false;
  out->angle = 0.0;
  out->additive = l.additive ? 1 : 0;
  bool draw = t < static_cast<double>(l.appear_end) ? EvaluateAppear(list, index, t, out)
                                                     : EvaluateMotion(list, index, t, out);
  return draw && std::isfinite(out->x) && std::isfinite(out->y) && std::isfinite(out->angle);
}

void DrawBgLayerList(const BgLayerList& list, double t) {
  BgSprite s;
  for (int i = 0; i < list.count; ++i) {
    if (!EvaluateBgLayer(list, i, t, &s)) continue;
    if (s.rotated)
      graphics::DrawSpriteRotScaledBlend(s.image, s.colour, s.x, s.y, 1.0, 1.0, s.angle,
                                         s.additive);
    else
      graphics::DrawSpriteColorBlend(s.image, s.colour, s.x, s.y, s.additive);
  }
}

bool ClearListTime(const BgScriptClock& c, double* t) {
  if (c.gauge < static_cast<double>(c.clear_threshold)) return false;
  // Fell to the value below after the last rise to the threshold: not cleared now.
  if (c.clear_threshold > 0 && c.below_threshold_time > c.threshold_time) return false;
  *t = c.now - c.threshold_time;
  return true;
}

void DrawBgScript(const BgScriptClock& clock) {
  double clearT = 0.0;
  bool cleared = ClearListTime(clock, &clearT);
  if (!(cleared && clearT >= static_cast<double>(BgClearList.max_appear_end)))
    DrawBgLayerList(BgNormalList, clock.now - clock.play_start);
  if (cleared && clearT >= 0.0) DrawBgLayerList(BgClearList, clearT);
}

}  // namespace theme
