// Pictures of the play screen. Sizes follow the default layout: the lane runs from x 110
// to 640 centred on y 168 (notes on y 156, captions on y 207), the drum sits left of it.
#include <cmath>
#include <cstdio>

#include "art.h"
#include "gen.h"

namespace themegen {

namespace {

constexpr float kPi = 3.14159265f;
constexpr int kLaneW = 530;   // 110 .. 640
constexpr int kFieldH = 100;  // sfield_bg, centred on scroll_field_y
constexpr int kNoteH = 76;    // the note strip, centred on note_y
constexpr float kSmallR = 24, kBigR = 35;

std::string Numbered(const std::string& base, int n) { return base + "_" + std::to_string(n) + ".png"; }

void DigitSet(const std::string& base, int w, int h, int size, Color top, Color bottom, Color outline, int ow,
              Font font = Font::SansBold) {
  for (int d = 0; d <= 9; ++d)
    SavePicture(LabelImage(w, h, std::to_string(d), font, size, top, bottom, outline, ow), Numbered(base, d));
}

// ---- notes ----
void Notes() {
  const int s = 60, b = 84;
  // Small notes: frame 1 at rest, 2 and 3 lifted for the bounce.
  const float lift[3] = {0, 3, 6};
  for (int f = 0; f < 3; ++f) {
    Image d(s, s), k(s, s), r(s, s), g(s, s);
    DrawNote(d, s / 2.0f, s / 2.0f - lift[f], kSmallR, pal::kDon);
    DrawNote(k, s / 2.0f, s / 2.0f - lift[f], kSmallR, pal::kKat);
    DrawNote(r, s / 2.0f, s / 2.0f - lift[f], kSmallR, pal::kRoll);
    DrawNote(g, s / 2.0f, s / 2.0f - lift[f], kSmallR, pal::kBalloon);
    SavePicture(d, Numbered("Play/Notes/don", f + 1));
    SavePicture(k, Numbered("Play/Notes/kat", f + 1));
    SavePicture(r, Numbered("Play/Notes/roll", f + 1));
    SavePicture(g, Numbered("Play/Notes/geki", f + 1));
  }
  // Big notes: 4 at rest, 5 lifted.
  for (int f = 0; f < 2; ++f) {
    Image d(b, b), k(b, b), r(b, b);
    DrawNote(d, b / 2.0f, b / 2.0f - f * 5, kBigR, pal::kDon);
    DrawNote(k, b / 2.0f, b / 2.0f - f * 5, kBigR, pal::kKat);
    DrawNote(r, b / 2.0f, b / 2.0f - f * 5, kBigR, pal::kRoll);
    SavePicture(d, Numbered("Play/Notes/don", 4 + f));
    SavePicture(k, Numbered("Play/Notes/kat", 4 + f));
    SavePicture(r, Numbered("Play/Notes/roll", 6 + f));
  }
  // Roll bodies: every column alike, since the body is the first column stretched.
  auto body = [](int h, float r) {
    Image img(8, h);
    float c = h / 2.0f, ow = std::max(2.0f, r * 0.09f), half = r * 0.8f;
    for (int y = 0; y < h; ++y) {
      float dy = std::fabs(y + 0.5f - c);
      Color col;
      float a = 1;
      if (dy < half - 3) col = Mix(Lighter(pal::kRoll, 0.25f), Darker(pal::kRoll, 0.1f), (y + 0.5f - (c - half)) / (2 * half));
      else if (dy < half) col = pal::kWhite;
      else if (dy < half + ow) col = pal::kInk;
      else { col = pal::kInk; a = std::max(0.0f, 1 - (dy - half - ow)); }
      for (int x = 0; x < 8; ++x) img.blend(x, y, col, a);
    }
    return img;
  };
  SavePicture(body(s, kSmallR), "Play/Notes/roll_4.png");
  SavePicture(body(b, kBigR), "Play/Notes/roll_8.png");
  // Roll ends: the band continues to the centre, then closes in a round cap.
  auto end = [](int size, float r) {
    Image img(size, size);
    float c = size / 2.0f, half = r * 0.8f, ow = std::max(2.0f, r * 0.09f);
    auto sd = [&](float x, float y) {
      float band = std::max(std::fabs(y - c) - half, -x);
      float cap = SdCircle(x, y, c, c, half);
      return std::min(std::max(band, x - c), cap);
    };
    OutlinedSdf(img, [&](float x, float y) { return sd(x, y) + 0; },
                [&](float, float) { return pal::kWhite; }, pal::kInk, ow);
    FillSdf(img, [&](float x, float y) {
      return std::min(std::max(std::fabs(y - c) - (half - 3), x - c), SdCircle(x, y, c, c, half - 3));
    },
            VGrad{Lighter(pal::kRoll, 0.25f), Darker(pal::kRoll, 0.1f), c - half, c + half});
    return img;
  };
  SavePicture(end(s, kSmallR), "Play/Notes/roll_5.png");
  SavePicture(end(b, kBigR), "Play/Notes/roll_9.png");
  // The balloon joined to the right of a balloon note: string towards the note.
  {
    Image img(46, s);
    DrawBalloonShape(img, 26, 24, 16, 19, Rgb(0xF2554B), 2, 38);
    SavePicture(img, "Play/Notes/geki_4.png");
  }
  // Caption row.
  struct Cap { const char* file; const char* text; int w; };
  const Cap caps[] = {{"don_m_1", "ドン", 44}, {"don_m_2", "コ", 30}, {"don_m_3", "ド", 30}, {"kat_m_1", "カッ", 44},
                      {"kat_m_2", "カ", 30},   {"don_m_4", "ドン!", 56}, {"kat_m_3", "カッ!", 56},
                      {"roll_m_1", "連打", 48}, {"roll_m_2", "連打!", 60}, {"geki_m", "ふうせん", 72}};
  for (const Cap& c : caps)
    SavePicture(LabelImage(c.w, 22, c.text, Font::Japanese, 15, pal::kWhite, Rgb(0xFFF0C8), pal::kInk, 2),
                std::string("Play/Notes/") + c.file + ".png");
  {
    Image img(24, 22);
    FillSdfColor(img, [](float x, float y) { return SdRoundRect(x, y, -2, 9, 26, 13, 2) - 1.5f; }, pal::kInk);
    FillSdfColor(img, [](float x, float y) { return SdRoundRect(x, y, -2, 9.5f, 26, 12.5f, 1.5f); }, pal::kWhite);
    SavePicture(img, "Play/Notes/roll_m_3.png");
  }
}

// ---- lane ----
void Lane() {
  {
    Image img(kLaneW, kFieldH);
    FillSdf(img, [](float, float) { return -1.0f; }, VGrad{Rgb(0x3A2C2A), Rgb(0x2A201F), 0, kNoteH});
    // Note strip with soft inner shading and a caption strip below.
    for (int y = 0; y < kFieldH; ++y)
      for (int x = 0; x < kLaneW; ++x) {
        Color c = y < kNoteH ? Mix(Rgb(0x4A3B37), Rgb(0x34282A), float(y) / kNoteH) : Rgb(0xEDE1C8);
        img.blend(x, y, c, 1);
      }
    for (int x = 0; x < kLaneW; ++x) {
      img.blend(x, 0, Rgb(0xF3B24A), 1);
      img.blend(x, 1, Rgb(0xF3B24A), 1);
      img.blend(x, kNoteH - 1, pal::kInk, 1);
      img.blend(x, kNoteH, pal::kInk, 1);
      img.blend(x, kFieldH - 1, pal::kInk, 1);
      img.blend(x, kFieldH - 2, Rgb(0xB09A7A), 1);
    }
    // Faint stripes along the strip.
    for (int y = 8; y < kNoteH - 4; y += 12)
      for (int x = 0; x < kLaneW; ++x) img.blend(x, y, pal::kWhite, 0.035f);
    SavePicture(img, "Play/Sfield/sfield_bg.png");
  }
  auto strip = [](Color c, float a, bool edgeGlow) {
    Image img(kLaneW, kNoteH);
    for (int y = 0; y < kNoteH; ++y)
      for (int x = 0; x < kLaneW; ++x) {
        float fy = std::fabs(y + 0.5f - kNoteH / 2.0f) / (kNoteH / 2.0f);
        float fx = 1.0f - float(x) / kLaneW;
        float k = edgeGlow ? a * (0.55f + 0.45f * fx) * (1 - 0.5f * fy * fy) : a;
        img.blend(x, y, c, k);
      }
    return img;
  };
  SavePicture(strip(Rgb(0xF0402A), 0.55f, true), "Play/Sfield/sfield_red.png");
  SavePicture(strip(Rgb(0x2C8FE0), 0.55f, true), "Play/Sfield/sfield_blue.png");
  SavePicture(strip(Rgb(0xF8C52A), 0.55f, true), "Play/Sfield/sfield_yellow.png");
  {
    // The judged-hit flash: a bright band fading out from the mark.
    Image img(kLaneW, kNoteH);
    for (int y = 0; y < kNoteH; ++y)
      for (int x = 0; x < kLaneW; ++x) {
        float fx = std::exp(-x / 90.0f);
        float fy = 1 - std::pow(std::fabs(y + 0.5f - kNoteH / 2.0f) / (kNoteH / 2.0f), 2.0f);
        img.blend(x, y, Rgb(0xFFF4C8), 0.8f * fx * fy);
      }
    SavePicture(img, "Play/Sfield/sfield_hit.png");
  }
  {
    Image img(kLaneW, kNoteH);
    for (int y = 0; y < kNoteH; ++y)
      for (int x = 0; x < kLaneW; ++x) {
        float fy = std::fabs(y + 0.5f - kNoteH / 2.0f) / (kNoteH / 2.0f);
        float wave = 0.5f + 0.5f * std::sin(x * 0.05f + y * 0.12f);
        Color c = Mix(Rgb(0xC42A0E), Rgb(0xF29A18), wave * 0.6f + fy * 0.4f);
        img.blend(x, y, c, 0.62f);
      }
    for (int k = 0; k < 40; ++k) {
      float x = Hash2(k, 1, 77) * kLaneW, y = Hash2(k, 2, 77) * kNoteH;
      Sparkle(img, x, y, 3 + Hash2(k, 3, 77) * 4, WithAlpha(Rgb(0xFFE38A), 0.7f));
    }
    SavePicture(img, "Play/Sfield/sfield_gogo.png");
  }
  // Branch lanes and their tags (the tag sits at the top of a tall transparent strip).
  const char* names[3] = {"normal", "expert", "master"};
  const char* tags[3] = {"普通", "玄人", "達人"};
  const Color tint[3] = {Rgb(0x5A5048), Rgb(0x2E6F8E), Rgb(0x9A2E77)};
  for (int k = 0; k < 3; ++k) {
    Image img(kLaneW, kNoteH);
    for (int y = 0; y < kNoteH; ++y)
      for (int x = 0; x < kLaneW; ++x) {
        float v = float(y) / kNoteH;
        img.blend(x, y, Mix(Lighter(tint[k], 0.1f), Darker(tint[k], 0.25f), v), 1);
        if (((x + y) / 14) % 2 == 0) img.blend(x, y, pal::kWhite, 0.04f);
      }
    SavePicture(img, std::string("Play/Sfield/sfield_course_") + names[k] + ".png");
    Image tag(84, kNoteH);
    Panel(tag, 4, 3, 80, 25, 8, Lighter(tint[k], 0.15f), pal::kInk, 2);
    Text(tag, tags[k], Font::Japanese, 15, 42, 14, pal::kWhite, pal::kInk, 2);
    SavePicture(tag, std::string("Play/Sfield/sfield_course_") + names[k] + "_m.png");
  }
  // Bar lines.
  {
    Image img(3, kNoteH), br(3, kNoteH);
    for (int y = 0; y < kNoteH; ++y)
      for (int x = 0; x < 3; ++x) {
        img.blend(x, y, Rgb(0xE8DDCF), x == 1 ? 0.85f : 0.35f);
        br.blend(x, y, Rgb(0xFFD23A), x == 1 ? 1.0f : 0.5f);
      }
    SavePicture(img, "Play/Sfield/line.png");
    SavePicture(br, "Play/Sfield/line_branch.png");
  }
  // Judgement mark (drawn additively): a ring for small notes and a fainter one for big.
  {
    Image img(84, 84);
    FillSdfColor(img, [](float x, float y) { return std::fabs(SdCircle(x, y, 42, 42, kSmallR + 1)) - 2.2f; },
                 Rgb(0xB8B0A8, 0.9f));
    FillSdfColor(img, [](float x, float y) { return std::fabs(SdCircle(x, y, 42, 42, kBigR + 1)) - 1.2f; },
                 Rgb(0x8A827A, 0.7f));
    FillSdfColor(img, [](float x, float y) { return SdCircle(x, y, 42, 42, kSmallR - 2); }, Rgb(0x3A3330, 0.9f));
    SavePicture(img, "Play/Sfield/judge_point.png");
  }
  // Song title band.
  {
    Image img(640, 30);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 640; ++x) {
        float a = x < 200 ? 0.25f + 0.5f * x / 200.0f : 0.75f;
        img.blend(x, y, Mix(Rgb(0x4A2A24), Rgb(0x2A1714), y / 30.0f), a);
      }
    for (int x = 0; x < 640; ++x) {
      img.blend(x, 0, Rgb(0xF3B24A), x / 640.0f);
      img.blend(x, 29, Rgb(0xF3B24A), x / 640.0f);
    }
    SavePicture(img, "Play/Sfield/title_bg.png");
  }
  // Gogo fire around the mark (drawn additively).
  for (int f = 0; f < 8; ++f) {
    Image img(150, 150);
    float c = 75;
    for (int y = 0; y < 150; ++y)
      for (int x = 0; x < 150; ++x) {
        float dx = x + 0.5f - c, dy = y + 0.5f - c;
        float r = Len(dx, dy), ang = std::atan2(dy, dx);
        float flick = ValueNoise(ang * 4.0f + 20, r * 0.08f - f * 0.9f, 5) * 0.8f +
                      0.4f * std::sin(ang * 7 + f * 0.785f);
        float rim = 40 + 22 * flick - (dy < 0 ? dy * 0.25f : 0.0f);
        if (r < 30 || r > rim) continue;
        float t = (r - 30) / std::max(1.0f, rim - 30);
        Color col = Mix(Rgb(0xFFE27A), Rgb(0xE8380E), t);
        img.blend(x, y, col, (1 - t) * 0.9f);
      }
    SavePicture(img, Numbered("Play/Sfield/fire", f + 1));
  }
}

// ---- drum ----
void Drum() {
  const int W = 110, H = 100;
  const float cx = 55, cy = 50, R = 40, face = 30;
  Image img(W, H);
  Panel(img, 1, 1, W - 1, H - 1, 10, Rgb(0x8E2A1E), pal::kInk, 1.5f);
  // Rim (wood) and the drum face.
  OutlinedSdf(img, [&](float x, float y) { return SdCircle(x, y, cx, cy, R); },
              RadialGrad{Rgb(0xC77A3A), Rgb(0x7A4220), cx, cy - 10, R + 10}, pal::kInk, 2);
  for (int k = 0; k < 12; ++k) {
    float a = k / 12.0f * 2 * kPi;
    float bx = cx + std::cos(a) * (R - 5), by = cy + std::sin(a) * (R - 5);
    FillSdfColor(img, [&](float x, float y) { return SdCircle(x, y, bx, by, 1.8f); }, Rgb(0xF3D9A6));
  }
  OutlinedSdf(img, [&](float x, float y) { return SdCircle(x, y, cx, cy, face); },
              RadialGrad{Rgb(0xFFF8EA), Rgb(0xEAD8B8), cx - 8, cy - 10, face * 1.4f}, pal::kInk, 1.5f);
  SavePicture(img, "Play/Taiko/taiko_p1.png");
  // Lit halves: the face halves in red, the rim halves in blue.
  for (int side = 0; side < 2; ++side) {
    Image red(W, H), blue(W, H);
    auto half = [&](float x) { return side == 0 ? x - cx : cx - x; };
    FillSdf(red, [&](float x, float y) { return std::max(SdCircle(x, y, cx, cy, face - 1), half(x) + 1); },
            RadialGrad{Rgb(0xFF8A6A), Rgb(0xE8321E), cx, cy, face}, cx - R, cy - R, cx + R, cy + R);
    FillSdf(blue, [&](float x, float y) {
      float ring = std::max(SdCircle(x, y, cx, cy, R - 1), -SdCircle(x, y, cx, cy, face + 2));
      return std::max(ring, half(x) + 1);
    }, RadialGrad{Rgb(0x8AD8FF), Rgb(0x1F86D6), cx, cy, R}, cx - R - 2, cy - R - 2, cx + R + 2, cy + R + 2);
    SavePicture(red, Numbered("Play/Taiko/taiko_red", side + 1));
    SavePicture(blue, Numbered("Play/Taiko/taiko_blue", side + 1));
  }
  {
    Image img(24, 24);
    Sparkle(img, 12, 12, 11, Rgb(0xFFF2A8));
    SavePicture(img, "Play/Taiko/combo_bright.png");
  }
  // Combo flower: petals round the drum (the centre stays clear for the digits) and a
  // ribbon label.
  {
    Image img(120, 120);
    float c = 60;
    for (int k = 0; k < 10; ++k) {
      float a = k / 10.0f * 2 * kPi;
      float px = c + std::cos(a) * 46, py = c + std::sin(a) * 46;
      Color col = k % 2 ? Rgb(0xFF8FB1) : Rgb(0xFFC34D);
      OutlinedSdf(img, [&](float x, float y) { return SdEllipse(x, y, px, py, 12, 12); },
                  RadialGrad{Lighter(col, 0.5f), col, px, py, 12}, pal::kInk, 1.5f);
    }
    SavePicture(img, "Play/Taiko/flower.png");
    Image m(120, 120);
    Panel(m, 22, 78, 98, 98, 9, Rgb(0xE8432E), pal::kInk, 2);
    Text(m, "COMBO", Font::SansBold, 12, 60, 88, pal::kWhite, Color{}, 0);
    SavePicture(m, "Play/Taiko/flower_m.png");
  }
}

// ---- numbers ----
void Numbers() {
  DigitSet("Play/Number/combo", 24, 32, 26, pal::kWhite, Rgb(0xFFE6B0), pal::kInk, 3);
  DigitSet("Play/Number/combo_l", 34, 42, 36, Rgb(0xFFF3A0), Rgb(0xF7A21B), pal::kInk, 3);
  DigitSet("Play/Number/combo_balloon", 32, 40, 32, Rgb(0xFFFFFF), Rgb(0xFFD66B), Rgb(0xA02A1A), 3);
  DigitSet("Play/Number/roll", 28, 38, 32, Rgb(0xFFFFFF), Rgb(0xFFE08A), Rgb(0xB86A00), 3);
  DigitSet("Play/Number/burst", 26, 36, 30, Rgb(0xFFFFFF), Rgb(0xFFD0C8), Rgb(0xB02A20), 3);
  DigitSet("Play/Number/score", 20, 26, 21, pal::kWhite, Rgb(0xFFE9C0), pal::kInk, 2);
}

// ---- balloons (speech bubbles) ----
Image Bubble(int w, int h, Color fill, float tailX, bool tailDown) {
  Image img(w, h);
  float y1 = h - 12;
  auto sd = [&](float x, float y) {
    float body = SdRoundRect(x, y, 4, 4, w - 4, y1, 16);
    std::vector<Pt> tail = tailDown ? std::vector<Pt>{{tailX - 8, y1 - 4}, {tailX + 8, y1 - 4}, {tailX - 4, float(h - 3)}}
                                    : std::vector<Pt>{{tailX - 8, 8}, {tailX + 8, 8}, {tailX - 4, 1}};
    return std::min(body, SdPolygon(x, y, tail));
  };
  OutlinedSdf(img, sd, VGrad{Lighter(fill, 0.35f), fill, 0, float(h)}, pal::kInk, 2.5f);
  return img;
}

void Balloons() {
  {  // burst_balloon: remaining hits, digits right-aligned at 18 px right of its centre
    Image img = Bubble(120, 84, Rgb(0xFFE2D6), 40, true);
    Text(img, "あと", Font::Japanese, 13, 26, 14, Rgb(0x8A2A1A), Color{}, 0);
    Text(img, "回", Font::Japanese, 16, 95, 38, Rgb(0x8A2A1A), Color{}, 0);
    SavePicture(img, "Play/Balloon/burst_balloon.png");
  }
  {  // roll counter: digits end near the centre, the label to their right
    Image img = Bubble(130, 62, Rgb(0xFFF0B8), 30, true);
    Text(img, "打!", Font::Japanese, 18, 98, 26, Rgb(0x9A5A00), Color{}, 0);
    SavePicture(img, "Play/Balloon/roll_balloon.png");
  }
  {
    // Centred on (278, 83); the digits end at 292, the label stands right of them.
    Image img = Bubble(164, 70, Rgb(0xFFD6C8), 40, true);
    Text(img, "コンボ", Font::Japanese, 15, 135, 30, Rgb(0xA02A1A), Color{}, 0);
    SavePicture(img, "Play/Balloon/combo_balloon_p1.png");
  }
  {
    Image up = Bubble(150, 70, Rgb(0xFFE27A), 40, true);
    GradientText(up, "LEVEL UP!", Font::SansBold, 18, 75, 29, Rgb(0xFF5A2A), Rgb(0xC8200E), pal::kWhite, 2);
    SavePicture(up, "Play/Balloon/levelup_balloon.png");
    Image down = Bubble(150, 70, Rgb(0xBFD8F0), 40, true);
    GradientText(down, "LEVEL DOWN", Font::SansBold, 16, 75, 29, Rgb(0x3A6AB8), Rgb(0x1A3A78), pal::kWhite, 2);
    SavePicture(down, "Play/Balloon/leveldown_balloon.png");
  }
}

// ---- the player character ----
void Character() {
  const int S = 130;
  auto save = [&](const Pose& p, float dy, const std::string& rel, bool flame = false, float flamePhase = 0) {
    Image img(S, S);
    if (flame) {
      for (int k = 0; k < 9; ++k) {
        float a = k / 9.0f * 2 * kPi + flamePhase;
        float fx = S / 2 + std::cos(a) * 46, fy = S / 2 + 6 + std::sin(a) * 40;
        Glow(img, fx, fy, 22 + 6 * std::sin(a * 3 + flamePhase * 4), WithAlpha(Rgb(0xFF8A2A), 0.8f));
      }
      Glow(img, S / 2, S / 2 + 6, 60, WithAlpha(Rgb(0xFFD04A), 0.5f));
    }
    DrawMascot(img, S / 2.0f, S / 2.0f + 8 + dy, 100, p);
    SavePicture(img, rel);
  };
  Pose p;
  p.armL = 25; p.armR = 25; save(p, 2, "Play/Chara/chara_p1_1.png");
  p.squash = 0.25f; p.armL = 40; p.armR = 40; save(p, 4, "Play/Chara/chara_p1_2.png");
  p = Pose(); p.armL = 120; p.armR = 40; p.mouth = 1; save(p, 0, "Play/Chara/chara_p1_3.png");
  p = Pose(); p.armL = 40; p.armR = 120; p.mouth = 1; save(p, 0, "Play/Chara/chara_p1_4.png");
  p = Pose(); p.armL = 150; p.armR = 150; p.eyes = 1; p.mouth = 1; p.squash = -0.2f; save(p, -4, "Play/Chara/chara_p1_5.png");
  for (int f = 0; f < 4; ++f) {
    Pose g;
    g.eyes = 4; g.mouth = 1;
    g.armL = f % 2 ? 150 : 90; g.armR = f % 2 ? 90 : 150; g.squash = f % 2 ? 0.15f : -0.1f;
    save(g, f % 2 ? 2 : -3, Numbered("Play/Chara/chara_p1_gogo", f + 1), true, f * 0.7f);
  }
  for (int f = 0; f < 2; ++f) {
    Pose m;
    m.eyes = 2; m.mouth = 2; m.sweat = true; m.armL = 10; m.armR = 10; m.squash = f ? 0.2f : 0.05f;
    save(m, f ? 4 : 2, Numbered("Play/Chara/chara_p1_miss", f + 1));
  }
  // Holding a balloon: pumping poses, a cheer after the burst, a slump after a failure.
  for (int f = 0; f < 5; ++f) {
    Pose b;
    b.sticks = f < 3;
    b.armL = f == 1 ? 100 : 60; b.armR = f == 1 ? 100 : 60;
    b.eyes = f == 3 ? 4 : (f == 4 ? 2 : 0); b.mouth = f == 1 ? 3 : (f == 3 ? 1 : (f == 4 ? 2 : 0));
    b.squash = f == 1 ? 0.25f : 0;
    if (f == 3) { b.armL = 150; b.armR = 150; }
    save(b, f == 1 ? 4 : 0, Numbered("Play/Chara/chara_p1_balloon", f + 1));
  }
  // The balloon being blown up: growing, then burst pieces.
  for (int k = 1; k <= 8; ++k) {
    Image img(110, 120);
    if (k <= 6) {
      float s = 0.45f + 0.11f * k;
      DrawBalloonShape(img, 55, 52 - (s - 0.5f) * 6, 30 * s, 36 * s, Rgb(0xF2554B), 30, 118);
    } else {
      for (int q = 0; q < 9; ++q) {
        float a = q / 9.0f * 2 * kPi, d = k == 7 ? 26 : 40;
        float px = 55 + std::cos(a) * d, py = 55 + std::sin(a) * d;
        auto tri = RegularPolygon(px, py, k == 7 ? 9 : 6, 3, q * 0.13f);
        OutlinedSdf(img, [&](float x, float y) { return SdPolygon(x, y, tri); },
                    [&](float, float) { return Rgb(0xF2554B); }, pal::kInk, 1.5f);
      }
      Sparkle(img, 55, 55, k == 7 ? 24 : 14, pal::kGold);
    }
    SavePicture(img, Numbered("Play/Chara/balloon", k));
  }
}

// ---- judgement texts and hit effects ----
void Effects() {
  SavePicture(LabelImage(100, 36, "GREAT", Font::SansBold, 24, Rgb(0xFFF6A0), Rgb(0xF59A0A), pal::kInk, 3),
              "Play/Judgement/judge_great.png");
  SavePicture(LabelImage(100, 36, "GOOD", Font::SansBold, 24, pal::kWhite, Rgb(0xD8E4EE), pal::kInk, 3),
              "Play/Judgement/judge_good.png");
  SavePicture(LabelImage(100, 36, "BAD", Font::SansBold, 24, Rgb(0xB8C8FF), Rgb(0x5A6AA8), pal::kInk, 3),
              "Play/Judgement/judge_bad.png");
  // Glows at the mark (tinted by the layout colour, so drawn white).
  for (int k = 0; k < 2; ++k) {
    int s = k ? 124 : 92;
    float r = k ? kBigR : kSmallR;
    Image img(s, s);
    FillSdfColor(img, [&](float x, float y) { return std::fabs(SdCircle(x, y, s / 2.0f, s / 2.0f, r + 4)) - 4; },
                 WithAlpha(pal::kWhite, 0.95f));
    Glow(img, s / 2.0f, s / 2.0f, s / 2.0f, WithAlpha(pal::kWhite, 0.55f));
    SavePicture(img, Numbered("Play/Effect/effect_note", k + 1));
  }
  {
    // Small enough to sit on screen whether it is placed by its centre or its corner.
    Image img(270, 140);
    for (int band = 0; band < 7; ++band) {
      Color c = Hsv(band / 7.0f * 0.83f, 0.75f, 1.0f, 0.8f);
      float r0 = 128 - band * 8;
      FillSdfColor(img, [&](float x, float y) {
        return std::max(std::fabs(SdCircle(x, y, 135, 138, r0)) - 4.0f, y - 136);
      }, c);
    }
    Sparkle(img, 40, 120, 10, pal::kWhite);
    Sparkle(img, 230, 118, 10, pal::kWhite);
    SavePicture(img, "Play/Effect/effect_hit_rainbow.png");
  }
  // Splash trails: twenty frames of a burst of droplets expanding and fading.
  for (int side = 0; side < 2; ++side) {
    Color base = side ? Rgb(0x3AB0FF) : Rgb(0xFF4A2A);
    for (int f = 0; f < 20; ++f) {
      Image img(72, 72);
      float t = f / 19.0f;
      Glow(img, 36, 36, 14 + 18 * t, WithAlpha(Lighter(base, 0.5f), 0.8f * (1 - t)));
      for (int q = 0; q < 8; ++q) {
        float a = q / 8.0f * 2 * kPi + 0.3f;
        float d = 6 + 26 * t;
        float px = 36 + std::cos(a) * d, py = 36 + std::sin(a) * d;
        float rr = 5 * (1 - t) + 1;
        FillSdfColor(img, [&](float x, float y) { return SdCircle(x, y, px, py, rr); }, WithAlpha(base, 1 - t * 0.8f));
      }
      SavePicture(img, Numbered(side ? "Play/Effect/effect_hit_blue" : "Play/Effect/effect_hit_red", f + 1));
    }
  }
  // Hit bursts at the mark: 1 bright star burst, 2 soft ring, 3 big flare, 4 big ring.
  for (int k = 1; k <= 4; ++k) {
    int s = k >= 3 ? 170 : 130;
    Image img(s, s);
    float c = s / 2.0f;
    Color col = k % 2 ? Rgb(0xFFE27A) : Rgb(0xFFFFFF);
    Glow(img, c, c, c, WithAlpha(col, 0.45f));
    if (k % 2) {
      auto st = StarPoints(c, c, c * 0.95f, c * 0.35f, k == 3 ? 12 : 8);
      FillSdfColor(img, [&](float x, float y) { return SdPolygon(x, y, st); }, WithAlpha(col, 0.75f));
    }
    FillSdfColor(img, [&](float x, float y) { return std::fabs(SdCircle(x, y, c, c, c * 0.62f)) - 3.5f; },
                 WithAlpha(pal::kWhite, 0.9f));
    SavePicture(img, Numbered("Play/Effect/effect", k));
  }
  // Gogo splash along the bottom edge: fifty frames of a spray rising and falling.
  for (int f = 0; f < 50; ++f) {
    Image img(120, 170);
    float t = f / 49.0f;
    for (int q = 0; q < 26; ++q) {
      float vx = (Hash2(q, 1, 9) - 0.5f) * 90, vy = 200 + Hash2(q, 2, 9) * 140;
      float tt = t * 1.1f;
      float px = 60 + vx * tt, py = 168 - (vy * tt - 260 * tt * tt);
      if (py > 168) continue;
      float rr = (3 + Hash2(q, 3, 9) * 5) * (1 - t * 0.6f);
      Color col = q % 3 == 0 ? Rgb(0xFFE36A) : (q % 3 == 1 ? Rgb(0xFF8A3A) : Rgb(0xFFFFFF));
      FillSdfColor(img, [&](float x, float y) { return SdCircle(x, y, px, py, rr); }, WithAlpha(col, 1 - t * 0.7f));
    }
    Glow(img, 60, 170, 50 * (1 - t) + 5, WithAlpha(Rgb(0xFFB03A), 0.7f * (1 - t)));
    SavePicture(img, Numbered("Play/Splash/splash", f + 1));
  }
}

// ---- soul gauge and soul ----
const int kGaugeW = 168, kGaugeH = 28;
void GaugeSet(const std::string& base, int threshold) {
  // The meter grows in 6 px steps: the clear mark sits where the meter stands at the threshold.
  int mark = int(kGaugeW / 6 * threshold / 100) * 6;
  auto inner = [](float x, float y) { return SdRoundRect(x, y, 3, 7, kGaugeW - 3, kGaugeH - 5, 4); };
  Image bg(kGaugeW, kGaugeH);
  FillSdfColor(bg, [](float x, float y) { return SdRoundRect(x, y, 1, 5, kGaugeW - 1, kGaugeH - 3, 6); }, Rgb(0x2A1E1C));
  FillSdf(bg, inner, VGrad{Rgb(0x5A4A44), Rgb(0x3A2E2A), 7, kGaugeH - 5});
  for (int x = 6; x < kGaugeW - 3; x += 6)
    for (int y = 8; y < kGaugeH - 5; ++y) bg.blend(x, y, pal::kInk, 0.35f);
  SavePicture(bg, Numbered(base, 1));
  Image frame(kGaugeW, kGaugeH);
  FillSdfColor(frame, [](float x, float y) { return std::fabs(SdRoundRect(x, y, 1, 5, kGaugeW - 1, kGaugeH - 3, 6)) - 1.4f; },
               pal::kInk);
  FillSdfColor(frame, [&](float x, float y) { return SdRoundRect(x, y, mark - 1.5f, 3, mark + 1.5f, kGaugeH - 1, 1); }, pal::kWhite);
  FillSdfColor(frame, [&](float x, float y) {
    std::vector<Pt> tri = {{float(mark) - 5, 0}, {float(mark) + 5, 0}, {float(mark), 6}};
    return SdPolygon(x, y, tri);
  }, pal::kGold);
  SavePicture(frame, Numbered(base, 2));
  Image meter(kGaugeW, kGaugeH), blink(kGaugeW, kGaugeH);
  FillSdf(meter, inner, [&](float x, float y) {
    Color c = x < mark ? Rgb(0xE8432E) : Rgb(0xFFC21F);
    return Mix(Lighter(c, 0.35f), Darker(c, 0.1f), (y - 7) / (kGaugeH - 12));
  });
  for (int x = 6; x < kGaugeW - 3; x += 6)
    for (int y = 8; y < kGaugeH - 5; ++y) meter.blend(x, y, pal::kInk, 0.3f);
  FillSdfColor(blink, inner, WithAlpha(pal::kWhite, 0.6f));
  SavePicture(meter, Numbered(base, 3));
  SavePicture(blink, Numbered(base, 4));
  for (int f = 0; f < 20; ++f) {
    Image img(kGaugeW, kGaugeH);
    FillSdf(img, inner, [&](float x, float y) {
      return Hsv((x / kGaugeW) * 0.8f - f / 20.0f + 0.02f * y, 0.65f, 1.0f, 0.9f);
    });
    SavePicture(img, Numbered(base, 5 + f));
  }
}

void Soul() {
  GaugeSet("Play/Soul/soulgauge_easy_p1", 60);
  GaugeSet("Play/Soul/soulgauge_normal_p1", 70);
  GaugeSet("Play/Soul/soulgauge_hard_p1", 80);
  {
    Image img(52, 52);
    OutlinedSdf(img, [](float x, float y) { return SdCircle(x, y, 26, 27, 20); },
                RadialGrad{Rgb(0xFFB27A), Rgb(0xD8321E), 20, 20, 26}, pal::kInk, 2.5f);
    Text(img, "魂", Font::Japanese, 22, 26, 27, pal::kWhite, pal::kInk, 2);
    SavePicture(img, "Play/Soul/soul_1.png");
    Image glow(52, 52);
    Glow(glow, 26, 27, 26, WithAlpha(Rgb(0xFFF2B0), 0.95f));
    SavePicture(glow, "Play/Soul/soul_2.png");
    for (int f = 0; f < 20; ++f) {
      Image fl(84, 84);
      for (int k = 0; k < 8; ++k) {
        float a = k / 8.0f * 2 * kPi + f * 0.157f;
        float r = 26 + 6 * std::sin(f * 0.63f + k * 1.7f);
        Glow(fl, 42 + std::cos(a) * r, 43 + std::sin(a) * r, 15, WithAlpha(Rgb(0xFF6A1A), 0.9f));
      }
      Glow(fl, 42, 43, 40, WithAlpha(Rgb(0xFFB02A), 0.5f));
      SavePicture(fl, Numbered("Play/Soul/soul", f + 3));
    }
    Image fx(64, 64);
    Glow(fx, 32, 32, 32, WithAlpha(pal::kWhite, 1));
    auto st = StarPoints(32, 32, 30, 8, 6);
    FillSdfColor(fx, [&](float x, float y) { return SdPolygon(x, y, st); }, WithAlpha(pal::kWhite, 0.85f));
    SavePicture(fx, "Play/Soul/soul_effect.png");
  }
}

// ---- course symbols in play, full-combo curtain, pause menu, end-of-song slide ----
void Misc() {
  for (int c = 0; c < 5; ++c) {
    for (int k = 1; k <= 3; ++k) {
      Image img(64, 64);
      if (k == 1) DrawCourseEmblem(img, c, 32, 33, 24);
      else if (k == 2) DrawCourseEmblem(img, c, 32, 33, 24, true);
      else {
        Glow(img, 32, 33, 32, WithAlpha(pal::kWhite, 0.9f));
        FillSdfColor(img, [](float x, float y) { return std::fabs(SdCircle(x, y, 32, 33, 28)) - 2; }, pal::kWhite);
      }
      SavePicture(img, std::string("Play/Bg/symbol/") + kCourseNames[c] + "_" + std::to_string(k) + ".png");
    }
  }
  // Curtain: a valance across the top and two swags.
  {
    Image v(640, 56);
    for (int x = 0; x < 640; ++x)
      for (int y = 0; y < 56; ++y) {
        float scallop = 44 + 8 * std::cos((x % 64) / 64.0f * 2 * kPi);
        if (y > scallop) continue;
        float fold = 0.85f + 0.15f * std::cos(x / 16.0f * kPi);
        v.blend(x, y, Darker(Rgb(0xC8283A), 1 - fold), std::min(1.0f, scallop - y));
      }
    for (int x = 0; x < 640; ++x) v.blend(x, 4, pal::kGold, 1), v.blend(x, 5, pal::kGold, 1);
    SavePicture(v, "Play/Drapery/drapery_1.png");
    for (int side = 0; side < 2; ++side) {
      Image s(220, 200);
      for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 220; ++x) {
          float xx = side ? 220 - x : x;
          float edge = 220 - y * 1.0f - 40 * std::sin(y / 200.0f * kPi);
          if (xx > edge) continue;
          float fold = 0.8f + 0.2f * std::cos(xx / 14.0f * kPi);
          s.blend(x, y, Darker(Rgb(0xC8283A), 1 - fold), std::min(1.0f, edge - xx));
        }
      FillSdfColor(s, [&](float x, float y) { return SdSegment(x, y, side ? 200 : 20, 120, side ? 150 : 70, 140, 5); }, pal::kGold);
      SavePicture(s, Numbered("Play/Drapery/drapery", side + 2));
    }
  }
  for (int k = 0; k < 8; ++k) {
    Image img(56, 56);
    Color col = Hsv(k / 8.0f, 0.55f, 1.0f);
    for (int p = 0; p < 6; ++p) {
      float a = p / 6.0f * 2 * kPi;
      OutlinedSdf(img, [&](float x, float y) { return SdCircle(x, y, 28 + std::cos(a) * 14, 28 + std::sin(a) * 14, 11); },
                  RadialGrad{Lighter(col, 0.5f), col, 28, 28, 26}, pal::kInk, 1.5f);
    }
    OutlinedSdf(img, [](float x, float y) { return SdCircle(x, y, 28, 28, 8); },
                [](float, float) { return pal::kGold; }, pal::kInk, 1.5f);
    SavePicture(img, Numbered("Play/Drapery/flower", k + 1));
  }
  // Pause menu: dimmer, panel, item texts, the mascot peeking, cursor pieces.
  {
    Image bg(640, 480);
    Clear(bg, Rgb(0x120A08, 0.6f));
    SavePicture(bg, "Play/Pause/bg.png");
    // The four items are centred on y 219, 299, 379 and 459, where the cursor frame goes.
    const float x0 = 150, y0 = 150, x1 = 490, y1 = 477;
    Image panel(640, 480);
    Panel(panel, x0, y0, x1, y1, 22, Rgb(0xFFF1D6), pal::kInk, 4);
    Panel(panel, x0 + 40, y0 - 24, x1 - 40, y0 + 24, 18, Rgb(0xE8432E), pal::kInk, 3);
    SavePicture(panel, "Play/Pause/panel.png");
    Image m(640, 480);
    Text(m, "ポーズ  PAUSE", Font::Japanese, 22, 320, y0, pal::kWhite, pal::kInk, 2);
    const char* items[4] = {"つづける", "はじめから", "曲をえらびなおす", "タイトルにもどる"};
    for (int k = 0; k < 4; ++k) Text(m, items[k], Font::Japanese, 24, 320, 219 + 80 * k, Rgb(0x4A2A20), Color{}, 0);
    SavePicture(m, "Play/Pause/panel_m.png");
    Image ch(130, 130);
    Pose p;
    p.eyes = 3; p.mouth = 3; p.sticks = false; p.armL = 20; p.armR = 20;
    DrawMascot(ch, 65, 65, 110, p);
    SavePicture(ch, "Play/Pause/chara.png");
    Image c1(300, 2), c2(300, 6);
    for (int x = 0; x < 300; ++x)
      for (int y = 0; y < 2; ++y) {
        float a = (x < 6 || x >= 294) ? 1.0f : 0.18f;
        c1.blend(x, y, Rgb(0xFFB02A), a);
      }
    for (int x = 0; x < 300; ++x)
      for (int y = 0; y < 6; ++y) c2.blend(x, y, Rgb(0xFFB02A), 1);
    SavePicture(c1, "Play/Pause/cursor_1.png");
    SavePicture(c2, "Play/Pause/cursor_2.png");
  }
  // End-of-song slide that hands over to the results.
  {
    Image img(640, 480);
    FillSdf(img, [](float, float) { return -1.0f; }, VGrad{Rgb(0xF6753A), Rgb(0xD8402A), 0, 480});
    Rays(img, 320, 230, 24, WithAlpha(Rgb(0xFFD36A), 0.25f));
    Pose p;
    p.eyes = 1; p.mouth = 1; p.armL = 140; p.armR = 140;
    DrawMascot(img, 320, 200, 200, p);
    GradientText(img, "RESULTS", Font::SansBold, 48, 320, 360, pal::kWhite, Rgb(0xFFE08A), pal::kInk, 4);
    Text(img, "成績発表", Font::Japanese, 26, 320, 410, pal::kWhite, pal::kInk, 3);
    SavePicture(img, "Play/Load/bg_end.png");
  }
}

}  // namespace

void DrawPlayPictures() {
  Notes();
  Lane();
  Drum();
  Numbers();
  Balloons();
  Character();
  Effects();
  Soul();
  Misc();
}

}  // namespace themegen
