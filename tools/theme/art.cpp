#include "art.h"

#include <cmath>

namespace themegen {

const char* const kCourseNames[5] = {"easy", "normal", "hard", "oni", "edit"};
const char* const kCourseTitles[5] = {"EASY", "NORMAL", "HARD", "ONI", "EDIT"};
const char* const kCourseKanji[5] = {"楽", "普", "難", "鬼", "裏"};

Color CourseColor(int course) {
  static const uint32_t c[5] = {0xFF6B3D, 0x6DB33F, 0x2F7A6A, 0xD6247F, 0x7E44D8};
  return Rgb(c[course < 0 || course > 4 ? 0 : course]);
}

namespace {
constexpr float kDeg = 0.017453292f;

// Distance to an arc of radius r (angles in degrees, 0 = right, 90 = down) with thickness t.
float SdArc(float x, float y, float cx, float cy, float r, float t, float a0, float a1) {
  float ang = std::atan2(y - cy, x - cx) / kDeg;
  auto inRange = [&](float a) {
    while (a < a0) a += 360;
    return a <= a1;
  };
  if (inRange(ang)) return std::fabs(Len(x - cx, y - cy) - r) - t;
  float ex0 = cx + std::cos(a0 * kDeg) * r, ey0 = cy + std::sin(a0 * kDeg) * r;
  float ex1 = cx + std::cos(a1 * kDeg) * r, ey1 = cy + std::sin(a1 * kDeg) * r;
  return std::min(Len(x - ex0, y - ey0), Len(x - ex1, y - ey1)) - t;
}
}  // namespace

void DrawNote(Image& img, float cx, float cy, float r, Color face) {
  float ow = std::max(2.0f, r * 0.09f);
  FillSdfColor(img, [&](float x, float y) { return SdCircle(x, y, cx, cy, r + ow); }, pal::kInk, cx - r - ow,
               cy - r - ow, cx + r + ow, cy + r + ow);
  FillSdfColor(img, [&](float x, float y) { return SdCircle(x, y, cx, cy, r); }, pal::kWhite, cx - r, cy - r,
               cx + r, cy + r);
  float fr = r * 0.76f;
  FillSdfColor(img, [&](float x, float y) { return SdCircle(x, y, cx, cy, fr + ow * 0.6f); }, Darker(face, 0.45f),
               cx - r, cy - r, cx + r, cy + r);
  FillSdf(img, [&](float x, float y) { return SdCircle(x, y, cx, cy, fr); },
          RadialGrad{Lighter(face, 0.35f), Darker(face, 0.12f), cx - fr * 0.35f, cy - fr * 0.4f, fr * 1.5f},
          cx - r, cy - r, cx + r, cy + r);
  // A glossy highlight.
  FillSdfColor(img, [&](float x, float y) { return SdEllipse(x, y, cx - fr * 0.3f, cy - fr * 0.45f, fr * 0.42f, fr * 0.22f); },
               WithAlpha(pal::kWhite, 0.45f), cx - r, cy - r, cx + r, cy + r);
}

void DrawBalloonShape(Image& img, float cx, float cy, float rx, float ry, Color c, float sx, float sy) {
  float ow = std::max(2.0f, rx * 0.08f);
  // String first, behind the balloon.
  float kx = cx, ky = cy + ry;
  FillSdfColor(img, [&](float x, float y) { return SdSegment(x, y, kx, ky, (kx + sx) / 2, ky + (sy - ky) * 0.6f + 4, 1.2f); },
               pal::kInk);
  FillSdfColor(img, [&](float x, float y) { return SdSegment(x, y, (kx + sx) / 2, ky + (sy - ky) * 0.6f + 4, sx, sy, 1.2f); },
               pal::kInk);
  auto body = [&](float x, float y) {
    float e = SdEllipse(x, y, cx, cy, rx, ry);
    std::vector<Pt> knot = {{kx - rx * 0.16f, ky + ry * 0.14f}, {kx + rx * 0.16f, ky + ry * 0.14f}, {kx, ky - 2}};
    return std::min(e, SdPolygon(x, y, knot));
  };
  OutlinedSdf(img, body, RadialGrad{Lighter(c, 0.45f), Darker(c, 0.15f), cx - rx * 0.3f, cy - ry * 0.35f, rx * 1.6f},
              pal::kInk, ow);
  FillSdfColor(img, [&](float x, float y) { return SdEllipse(x, y, cx - rx * 0.38f, cy - ry * 0.4f, rx * 0.18f, ry * 0.28f); },
               WithAlpha(pal::kWhite, 0.7f));
}

void DrawMascot(Image& img, float cx, float cy, float size, const Pose& p) {
  float R = size * 0.36f;
  float rx = R * (1 + p.squash * 0.18f), ry = R * (1 - p.squash * 0.18f);
  float by = cy + size * 0.06f + (R - ry);  // the body rests on its feet
  float ow = std::max(2.0f, size * 0.025f);
  Color ink = pal::kInk;
  auto bodySd = [&](float x, float y) { return SdEllipse(x, y, cx, by, rx, ry); };
  // Feet.
  for (int s = -1; s <= 1; s += 2)
    OutlinedSdf(img, [&](float x, float y) { return SdEllipse(x, y, cx + s * rx * 0.42f, by + ry * 0.93f, R * 0.24f, R * 0.13f); },
                [&](float, float) { return Darker(p.body, 0.15f); }, ink, ow);
  // Arms with sticks (behind the body at the shoulder, in front beyond it).
  for (int s = -1; s <= 1; s += 2) {
    float ang = (s < 0 ? p.armL : p.armR) * kDeg;
    float sx = cx + s * rx * 0.78f, sy = by + ry * 0.1f;
    float dx = s * std::sin(ang), dy = std::cos(ang);
    float hx = sx + dx * R * 0.55f, hy = sy + dy * R * 0.55f;
    if (p.sticks) {
      float tx = hx + (dx * 0.3f + s * 0.55f) * R * 0.75f, ty = hy + (dy * 0.3f - 0.75f) * R * 0.75f;
      OutlinedSdf(img, [&](float x, float y) { return SdSegment(x, y, hx, hy, tx, ty, R * 0.065f); },
                  [&](float, float) { return Rgb(0xE9C48A); }, ink, ow * 0.8f);
      OutlinedSdf(img, [&](float x, float y) { return SdCircle(x, y, tx, ty, R * 0.1f); },
                  [&](float, float) { return Rgb(0xF2D7A8); }, ink, ow * 0.8f);
    }
    OutlinedSdf(img, [&](float x, float y) { return SdSegment(x, y, sx, sy, hx, hy, R * 0.13f); },
                [&](float, float) { return p.body; }, ink, ow);
  }
  // Ears.
  for (int s = -1; s <= 1; s += 2) {
    float ex = cx + s * rx * 0.58f, ey = by - ry * 0.82f;
    OutlinedSdf(img, [&](float x, float y) { return SdCircle(x, y, ex, ey, R * 0.27f); },
                [&](float, float) { return p.body; }, ink, ow);
    FillSdfColor(img, [&](float x, float y) { return SdCircle(x, y, ex, ey + R * 0.03f, R * 0.14f); }, Rgb(0xF59A8C));
  }
  // Body.
  OutlinedSdf(img, bodySd, RadialGrad{Lighter(p.body, 0.4f), Darker(p.body, 0.08f), cx - rx * 0.3f, by - ry * 0.4f, R * 1.6f},
              ink, ow);
  // Belly patch.
  FillSdfColor(img, [&](float x, float y) { return std::max(SdEllipse(x, y, cx, by + ry * 0.45f, rx * 0.55f, ry * 0.42f), bodySd(x, y) + ow * 0.3f); },
               WithAlpha(pal::kCream, 0.85f));
  // Headband, clipped to the body, with its knot tails on the right.
  float hb0 = by - ry * 0.6f, hb1 = by - ry * 0.4f;
  for (int k = 0; k < 2; ++k) {
    float tx0 = cx + rx * 0.88f, ty0 = (hb0 + hb1) / 2;
    float a = (k ? 20.0f : -25.0f) * kDeg;
    float tx1 = tx0 + std::cos(a) * R * 0.42f, ty1 = ty0 + std::sin(a) * R * 0.42f + R * 0.05f;
    OutlinedSdf(img, [&](float x, float y) { return SdSegment(x, y, tx0, ty0, tx1, ty1, R * 0.07f); },
                [&](float, float) { return p.band; }, ink, ow * 0.8f);
  }
  FillSdf(img, [&](float x, float y) { return std::max(bodySd(x, y), std::max(hb0 - y, y - hb1)); },
          VGrad{Lighter(p.band, 0.2f), Darker(p.band, 0.15f), hb0, hb1});
  FillSdfColor(img, [&](float x, float y) { return std::max(bodySd(x, y), std::fabs(y - hb1) - ow * 0.4f); }, ink);
  FillSdfColor(img, [&](float x, float y) { return std::max(bodySd(x, y), std::fabs(y - hb0) - ow * 0.4f); }, ink);
  // Cheeks.
  for (int s = -1; s <= 1; s += 2)
    FillSdfColor(img, [&](float x, float y) { return SdEllipse(x, y, cx + s * rx * 0.55f, by + ry * 0.12f, R * 0.14f, R * 0.09f); },
                 WithAlpha(Rgb(0xFF7F7F), 0.7f));
  // Eyes.
  for (int s = -1; s <= 1; s += 2) {
    float ex = cx + s * rx * 0.3f, ey = by - ry * 0.1f;
    switch (p.eyes) {
      case 0:
        FillSdfColor(img, [&](float x, float y) { return SdEllipse(x, y, ex, ey, R * 0.085f, R * 0.125f); }, ink);
        FillSdfColor(img, [&](float x, float y) { return SdCircle(x, y, ex - R * 0.025f, ey - R * 0.05f, R * 0.035f); }, pal::kWhite);
        break;
      case 1:
        FillSdfColor(img, [&](float x, float y) { return SdArc(x, y, ex, ey + R * 0.06f, R * 0.1f, R * 0.03f, 200, 340); }, ink);
        break;
      case 2:
        FillSdfColor(img, [&](float x, float y) { return SdSegment(x, y, ex - R * 0.09f, ey + s * R * 0.0f - R * 0.04f * s, ex + R * 0.09f, ey + R * 0.04f * s, R * 0.03f); }, ink);
        FillSdfColor(img, [&](float x, float y) { return SdCircle(x, y, ex, ey + R * 0.07f, R * 0.045f); }, ink);
        break;
      case 3:
        FillSdfColor(img, [&](float x, float y) { return SdSegment(x, y, ex - R * 0.09f, ey, ex + R * 0.09f, ey, R * 0.03f); }, ink);
        break;
      default: {
        auto st = StarPoints(ex, ey, R * 0.14f, R * 0.06f, 5);
        FillSdfColor(img, [&](float x, float y) { return SdPolygon(x, y, st); }, pal::kGold);
        FillSdfColor(img, [&](float x, float y) { return std::fabs(SdPolygon(x, y, st)) - 0.6f; }, ink);
      }
    }
  }
  // Mouth.
  float mx = cx, my = by + ry * 0.22f;
  switch (p.mouth) {
    case 0:
      FillSdfColor(img, [&](float x, float y) { return SdArc(x, y, mx, my - R * 0.06f, R * 0.11f, R * 0.028f, 20, 160); }, ink);
      break;
    case 1:
      FillSdfColor(img, [&](float x, float y) { return std::max(SdCircle(x, y, mx, my - R * 0.04f, R * 0.15f), my - R * 0.04f - y) - 0.0f; },
                   ink);
      FillSdfColor(img, [&](float x, float y) { return std::max(SdCircle(x, y, mx, my + R * 0.04f, R * 0.08f), SdCircle(x, y, mx, my - R * 0.04f, R * 0.12f)); },
                   Rgb(0xF0625A));
      break;
    case 2:
      FillSdfColor(img, [&](float x, float y) { return SdArc(x, y, mx, my + R * 0.1f, R * 0.1f, R * 0.028f, 200, 340); }, ink);
      break;
    default:
      OutlinedSdf(img, [&](float x, float y) { return SdEllipse(x, y, mx, my, R * 0.06f, R * 0.08f); },
                  [&](float, float) { return Rgb(0xB33A36); }, ink, ow * 0.7f);
  }
  if (p.sweat) {
    float sx = cx + rx * 0.75f, sy = by - ry * 0.55f;
    auto drop = [&](float x, float y) {
      std::vector<Pt> tip = {{sx - R * 0.08f, sy}, {sx + R * 0.08f, sy}, {sx, sy - R * 0.2f}};
      return std::min(SdCircle(x, y, sx, sy, R * 0.08f), SdPolygon(x, y, tip));
    };
    OutlinedSdf(img, drop, [&](float, float) { return Rgb(0x9ED8F5); }, ink, ow * 0.6f);
  }
}

void DrawCourseEmblem(Image& img, int course, float cx, float cy, float r, bool glow) {
  Color c = CourseColor(course);
  if (glow) Glow(img, cx, cy, r * 1.6f, WithAlpha(Lighter(c, 0.6f), 0.9f));
  float ow = std::max(2.0f, r * 0.1f);
  std::vector<Pt> poly;
  auto shape = [&](float x, float y) -> float {
    switch (course) {
      case kEasy: {  // a five-petal flower
        float d = SdCircle(x, y, cx, cy, r * 0.55f);
        for (int k = 0; k < 5; ++k) {
          float a = (k / 5.0f) * 6.2831853f - 1.5707963f;
          d = std::min(d, SdCircle(x, y, cx + std::cos(a) * r * 0.5f, cy + std::sin(a) * r * 0.5f, r * 0.42f));
        }
        return d;
      }
      case kNormal: {  // a rounded diamond
        float ux = (x - cx) * 0.7071f + (y - cy) * 0.7071f, uy = -(x - cx) * 0.7071f + (y - cy) * 0.7071f;
        return SdRoundRect(ux, uy, -r * 0.68f, -r * 0.68f, r * 0.68f, r * 0.68f, r * 0.2f);
      }
      case kHard:
        return SdPolygon(x, y, poly) - r * 0.06f;
      case kOni: {  // a spiky burst with two horns
        float d = SdPolygon(x, y, poly) - r * 0.04f;
        std::vector<Pt> h1 = {{cx - r * 0.55f, cy - r * 0.5f}, {cx - r * 0.2f, cy - r * 0.7f}, {cx - r * 0.62f, cy - r * 1.05f}};
        std::vector<Pt> h2 = {{cx + r * 0.55f, cy - r * 0.5f}, {cx + r * 0.2f, cy - r * 0.7f}, {cx + r * 0.62f, cy - r * 1.05f}};
        return std::min(d, std::min(SdPolygon(x, y, h1), SdPolygon(x, y, h2)));
      }
      default:
        return SdPolygon(x, y, poly) - r * 0.08f;
    }
  };
  if (course == kHard) poly = RegularPolygon(cx, cy, r * 0.88f, 6, 1.0f / 12);
  if (course == kOni) poly = StarPoints(cx, cy + r * 0.08f, r * 0.92f, r * 0.66f, 10);
  if (course == kEdit) poly = StarPoints(cx, cy + r * 0.06f, r * 0.98f, r * 0.5f, 5);
  float b = r * 1.2f;
  OutlinedSdf(img, shape, RadialGrad{Lighter(c, 0.35f), Darker(c, 0.2f), cx - r * 0.3f, cy - r * 0.4f, r * 1.8f}, pal::kInk,
              ow, cx - b, cy - b, cx + b, cy + b);
  // Inner white line.
  FillSdfColor(img, [&](float x, float y) { return std::fabs(shape(x, y) + r * 0.14f) - std::max(0.6f, r * 0.035f); },
               WithAlpha(pal::kWhite, 0.8f), cx - b, cy - b, cx + b, cy + b);
  int fs = int(r * (course == kEdit ? 0.7f : 0.9f));
  Text(img, kCourseKanji[course], Font::Japanese, std::max(8, fs), cx, cy + r * 0.04f, pal::kWhite, pal::kInk,
       std::max(1, int(r * 0.08f)));
}

void GradientText(Image& img, const std::string& text, Font font, int size, float cx, float cy, Color top,
                  Color bottom, Color outline, int outlineWidth, int align) {
  Image fill(img.w, img.h);
  if (outlineWidth > 0) Text(img, text, font, size, cx, cy, outline, outline, outlineWidth, align);
  Text(fill, text, font, size, cx, cy, pal::kWhite, Color{}, 0, align);
  int tw, th;
  TextSize(text, font, size, &tw, &th);
  float y0 = cy - th * 0.3f, y1 = cy + th * 0.35f;
  for (int y = 0; y < img.h; ++y)
    for (int x = 0; x < img.w; ++x) {
      float a = fill.at(x, y)[3];
      if (a <= 0) continue;
      float t = std::clamp((y + 0.5f - y0) / (y1 - y0), 0.0f, 1.0f);
      img.blend(x, y, Mix(top, bottom, t), a);
    }
}

Image LabelImage(int w, int h, const std::string& text, Font font, int size, Color top, Color bottom, Color outline,
                 int outlineWidth, float dy) {
  Image img(w, h);
  GradientText(img, text, font, size, w / 2.0f, h / 2.0f + dy, top, bottom, outline, outlineWidth);
  return img;
}

void Panel(Image& img, float x0, float y0, float x1, float y1, float radius, Color fill, Color outline, float ow) {
  auto sd = [&](float x, float y) { return SdRoundRect(x, y, x0, y0, x1, y1, radius); };
  OutlinedSdf(img, sd, VGrad{Lighter(fill, 0.18f), Darker(fill, 0.1f), y0, y1}, outline, ow, x0, y0, x1, y1);
  FillSdfColor(img, [&](float x, float y) { return std::max(sd(x, y) + 3, y - (y0 + (y1 - y0) * 0.35f)); },
               WithAlpha(pal::kWhite, 0.12f), x0, y0, x1, y1);
}

void Sparkle(Image& img, float cx, float cy, float r, Color c) {
  Glow(img, cx, cy, r, WithAlpha(c, 0.5f));
  auto st = StarPoints(cx, cy, r, r * 0.22f, 4);
  FillSdfColor(img, [&](float x, float y) { return SdPolygon(x, y, st); }, c, cx - r, cy - r, cx + r, cy + r);
  FillSdfColor(img, [&](float x, float y) { return SdCircle(x, y, cx, cy, r * 0.18f); }, pal::kWhite);
}

void Cloud(Image& img, float cx, float cy, float s, Color c, int wrap) {
  auto one = [&](float ox) {
    auto sd = [&](float x, float y) {
      float d = SdEllipse(x, y, cx + ox, cy + s * 0.15f, s * 1.1f, s * 0.38f);
      d = std::min(d, SdCircle(x, y, cx + ox - s * 0.45f, cy, s * 0.42f));
      d = std::min(d, SdCircle(x, y, cx + ox + s * 0.1f, cy - s * 0.2f, s * 0.55f));
      d = std::min(d, SdCircle(x, y, cx + ox + s * 0.6f, cy + s * 0.02f, s * 0.38f));
      return std::max(d, y - (cy + s * 0.45f));
    };
    FillSdf(img, sd, VGrad{c, Darker(c, 0.12f), cy - s * 0.7f, cy + s * 0.5f}, cx + ox - s * 1.4f, cy - s * 0.9f,
            cx + ox + s * 1.4f, cy + s * 0.6f);
  };
  one(0);
  if (wrap) {
    one(float(wrap));
    one(float(-wrap));
  }
}

}  // namespace themegen

namespace themegen {
void Rays(Image& img, float cx, float cy, int count, Color c, float turn) {
  for (int y = 0; y < img.h; ++y)
    for (int x = 0; x < img.w; ++x) {
      float a = std::atan2(y + 0.5f - cy, x + 0.5f - cx) / 6.2831853f + turn;
      float s = a * count;
      float f = s - std::floor(s);
      // Anti-aliased stripe covering half of each period.
      float r = Len(x + 0.5f - cx, y + 0.5f - cy);
      float px = std::max(1.0f, r * 6.2831853f / count);  // pixels per period at this radius
      float d = (std::fabs(f - 0.25f) - 0.25f) * px;       // signed distance in pixels
      float cov = std::clamp(0.5f - d, 0.0f, 1.0f);
      if (cov > 0) img.blend(x, y, c, cov);
    }
}
}  // namespace themegen
