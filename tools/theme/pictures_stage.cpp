// Stage decorations of the play screen: upper backgrounds, stages, fiver rows, dancers,
// chibi and the two scripted lower backgrounds with their dancer_bg.ini.
#include <cmath>
#include <cstdio>

#include "art.h"
#include "gen.h"

namespace themegen {

namespace {

constexpr float kPi = 3.14159265f;
constexpr int kUpperW = 320, kUpperH = 118;


Image MascotImage(int size, float drawSize, const Pose& p, float dy = 0) {
  Image img(size, size);
  DrawMascot(img, size / 2.0f, size / 2.0f + dy, drawSize, p);
  return img;
}

// ---- upper backgrounds: tiles that repeat seamlessly every kUpperW pixels ----
enum Mood { kNormalMood, kMissMood, kClearMood };

Image UpperDay(Mood mood) {
  Image img(kUpperW, kUpperH);
  Color top = Rgb(0x6CC6F0), bottom = Rgb(0xFFF1CF);
  if (mood == kMissMood) top = Rgb(0x6A7A8C), bottom = Rgb(0xB8BEC4);
  if (mood == kClearMood) top = Rgb(0xFFB347), bottom = Rgb(0xFFF3A8);
  FillSdf(img, [](float, float) { return -1.0f; }, VGrad{top, bottom, 0, kUpperH});
  Color cloud = mood == kMissMood ? Rgb(0x8E969E) : pal::kWhite;
  Cloud(img, 70, 40, 30, cloud, kUpperW);
  Cloud(img, 230, 62, 22, cloud, kUpperW);
  // Bunting: a rope with triangular flags, one period per tile.
  auto ropeY = [](float x) { return 14 + 10 * std::sin(x / kUpperW * 2 * kPi * 2); };
  for (int x = 0; x < kUpperW; ++x) {
    float y = ropeY(x + 0.5f);
    for (int dy = -1; dy <= 1; ++dy) {
      int yy = int(y) + dy;
      if (yy >= 0 && yy < kUpperH) img.blend(x, yy, pal::kInk, dy == 0 ? 1.0f : 0.4f);
    }
  }
  for (int k = 0; k < 8; ++k) {
    float fx = 20 + k * 40, fy = ropeY(fx);
    Color c = k % 4 == 0 ? Rgb(0xE8432E) : (k % 4 == 1 ? pal::kGold : (k % 4 == 2 ? Rgb(0x2E9CD6) : Rgb(0x6DB33F)));
    if (mood == kMissMood) c = Mix(c, Rgb(0x808890), 0.6f);
    std::vector<Pt> tri = {{fx - 9, fy}, {fx + 9, fy}, {fx, fy + 18}};
    OutlinedSdf(img, [&](float x, float y) { return SdPolygon(x, y, tri); }, [&](float, float) { return c; }, pal::kInk, 1.2f);
  }
  // Roofs of festival stalls along the bottom.
  for (int k = 0; k < 4; ++k) {
    float cx = 40 + k * 80;
    Color roof = k % 2 ? Rgb(0xE8432E) : Rgb(0xFFF4DC);
    if (mood == kMissMood) roof = Mix(roof, Rgb(0x6A707A), 0.55f);
    std::vector<Pt> r = {{cx - 38, kUpperH - 18.0f}, {cx + 38, kUpperH - 18.0f}, {cx + 28, kUpperH - 34.0f}, {cx - 28, kUpperH - 34.0f}};
    OutlinedSdf(img, [&](float x, float y) { return SdPolygon(x, y, r); }, [&](float, float) { return roof; }, pal::kInk, 1.5f);
    FillSdfColor(img, [&](float x, float y) { return SdRoundRect(x, y, cx - 34, kUpperH - 18, cx + 34, kUpperH, 2); },
                 mood == kMissMood ? Rgb(0x5A5450) : Rgb(0x8A5A3A));
  }
  if (mood == kMissMood)
    for (int k = 0; k < 60; ++k) {
      float x = Hash2(k, 1, 3) * kUpperW, y = Hash2(k, 2, 3) * kUpperH;
      FillSdfColor(img, [&](float px, float py) { return SdSegment(px, py, x, y, x - 3, y + 10, 0.7f); },
                   WithAlpha(Rgb(0xDDE6F0), 0.6f), x - 5, y - 1, x + 2, y + 12);
    }
  if (mood == kClearMood)
    for (int k = 0; k < 12; ++k)
      Sparkle(img, 10 + Hash2(k, 1, 4) * (kUpperW - 20), 8 + Hash2(k, 2, 4) * 60, 4 + Hash2(k, 3, 4) * 5, pal::kWhite);
  return img;
}

Image UpperNight(Mood mood) {
  Image img(kUpperW, kUpperH);
  Color top = Rgb(0x2A2A6A), bottom = Rgb(0xE86A4A);
  if (mood == kMissMood) top = Rgb(0x1E2430), bottom = Rgb(0x4A5060);
  if (mood == kClearMood) top = Rgb(0x6A3AA8), bottom = Rgb(0xFFB04A);
  FillSdf(img, [](float, float) { return -1.0f; }, VGrad{top, bottom, 0, kUpperH});
  for (int k = 0; k < 30; ++k) {
    float x = Hash2(k, 1, 8) * kUpperW, y = Hash2(k, 2, 8) * 60;
    FillSdfColor(img, [&](float px, float py) { return SdCircle(px, py, x, y, 0.9f); },
                 WithAlpha(pal::kWhite, 0.5f + 0.5f * Hash2(k, 3, 8)), x - 2, y - 2, x + 2, y + 2);
  }
  // A string of lanterns.
  auto ropeY = [](float x) { return 10 + 8 * std::sin(x / kUpperW * 2 * kPi); };
  for (int x = 0; x < kUpperW; ++x) img.blend(x, int(ropeY(x + 0.5f)), pal::kInk, 1);
  for (int k = 0; k < 5; ++k) {
    float lx = 32 + k * 64, ly = ropeY(lx) + 22;
    Color c = mood == kMissMood ? Rgb(0x8A6A5A) : Rgb(0xFF5A3A);
    if (mood != kMissMood) Glow(img, lx, ly, 26, WithAlpha(Rgb(0xFFB04A), 0.5f));
    FillSdfColor(img, [&](float x, float y) { return SdSegment(x, y, lx, ly - 22, lx, ly - 12, 0.8f); }, pal::kInk);
    OutlinedSdf(img, [&](float x, float y) { return SdEllipse(x, y, lx, ly, 11, 13); },
                RadialGrad{Lighter(c, 0.5f), c, lx, ly, 13}, pal::kInk, 1.5f);
    FillSdfColor(img, [&](float x, float y) { return SdRoundRect(x, y, lx - 6, ly - 15, lx + 6, ly - 11, 1); }, pal::kInk);
    FillSdfColor(img, [&](float x, float y) { return SdRoundRect(x, y, lx - 6, ly + 11, lx + 6, ly + 15, 1); }, pal::kInk);
  }
  // Rooftops.
  for (int k = 0; k < 3; ++k) {
    float cx = 55 + k * 107;
    std::vector<Pt> r = {{cx - 50, kUpperH + 0.0f}, {cx - 42, kUpperH - 26.0f}, {cx, kUpperH - 38.0f},
                         {cx + 42, kUpperH - 26.0f}, {cx + 50, kUpperH + 0.0f}};
    FillSdfColor(img, [&](float x, float y) { return SdPolygon(x, y, r); }, mood == kMissMood ? Rgb(0x15181F) : Rgb(0x2A1E30));
  }
  if (mood == kMissMood)
    for (int k = 0; k < 60; ++k) {
      float x = Hash2(k, 1, 6) * kUpperW, y = Hash2(k, 2, 6) * kUpperH;
      FillSdfColor(img, [&](float px, float py) { return SdSegment(px, py, x, y, x - 3, y + 10, 0.7f); },
                   WithAlpha(Rgb(0xAEB8C8), 0.6f), x - 5, y - 1, x + 2, y + 12);
    }
  if (mood == kClearMood)
    for (int k = 0; k < 3; ++k) {
      float fx = 60 + k * 100, fy = 34 + 10 * k;
      for (int q = 0; q < 12; ++q) {
        float a = q / 12.0f * 2 * kPi;
        FillSdfColor(img, [&](float x, float y) { return SdSegment(x, y, fx + std::cos(a) * 6, fy + std::sin(a) * 6, fx + std::cos(a) * 18, fy + std::sin(a) * 18, 1.3f); },
                     Hsv(k * 0.3f + q * 0.02f, 0.5f, 1.0f));
      }
    }
  return img;
}

void Upper() {
  const Mood moods[3] = {kNormalMood, kMissMood, kClearMood};
  const char* suffix[3] = {"p1", "miss", "clear"};
  for (int m = 0; m < 3; ++m) {
    SavePicture(UpperDay(moods[m]), std::string("Play/Bg/upper/bg_1_") + suffix[m] + ".png");
    SavePicture(UpperNight(moods[m]), std::string("Play/Bg/upper/bg_2_") + suffix[m] + ".png");
  }
  // Gogo: drawn with the darken blend, so its colour is what it takes away: cyan-blue rays
  // turn the sky a burning orange.
  Image g(640, kUpperH);
  for (int y = 0; y < kUpperH; ++y)
    for (int x = 0; x < 640; ++x) {
      float a = std::atan2(y + 0.5f - 140, x + 0.5f - 320);
      float ray = 0.5f + 0.5f * std::sin(a * 18);
      float k = 0.25f + 0.35f * ray;
      g.blend(x, y, Color{0.0f, k * 0.8f, k * 1.4f > 1 ? 1.0f : k * 1.4f, 1}, 1);
    }
  SavePicture(g, "Play/Bg/upper/bg_gogo_p1.png");
}

// ---- stages ----
void Stages() {
  {
    Image img(640, 52);
    for (int y = 0; y < 52; ++y)
      for (int x = 0; x < 640; ++x) {
        int plank = (y - 6) / 11;
        float grain = ValueNoise(x * 0.05f + plank * 13, y * 0.6f, 21);
        Color c = y < 6 ? Rgb(0x6A3A1E) : Mix(Rgb(0xC98A4E), Rgb(0xA8683A), grain);
        if (y >= 6 && (y - 6) % 11 == 0) c = Rgb(0x5A3018);
        if (y >= 6 && ((x + plank * 97) % 160) == 0) c = Rgb(0x5A3018);
        img.blend(x, y, c, 1);
      }
    for (int x = 0; x < 640; ++x) img.blend(x, 0, pal::kInk, 1), img.blend(x, 1, Rgb(0xE8A868), 1);
    SavePicture(img, "Play/Bg/stage/stage_1.png");
  }
  {
    Image img(640, 52);
    for (int y = 0; y < 52; ++y)
      for (int x = 0; x < 640; ++x) {
        bool check = ((x / 26) + (y / 13)) % 2;
        Color c = y < 8 ? Rgb(0xE8432E) : (check ? Rgb(0xFFF1DC) : Rgb(0xE8C8A8));
        if (y >= 8 && y < 12) c = pal::kGold;
        img.blend(x, y, c, 1);
      }
    for (int k = 0; k < 16; ++k) {
      float cx = 20 + k * 40;
      FillSdfColor(img, [&](float x, float y) { return SdCircle(x, y, cx, 4, 2.5f); }, pal::kGold);
    }
    for (int x = 0; x < 640; ++x) img.blend(x, 0, pal::kInk, 1);
    SavePicture(img, "Play/Bg/stage/stage_2.png");
  }
}

// ---- fiver rows: five cheering figures, ten frames per row ----
void Fivers() {
  const Color bands[5] = {Rgb(0xE23B2E), Rgb(0x2E9CD6), Rgb(0xF7C31C), Rgb(0x6DB33F), Rgb(0xD6247F)};
  for (int set = 1; set <= 2; ++set)
    for (int f = 0; f < 10; ++f) {
      Image row(640, 104);
      float ph = f / 10.0f * 2 * kPi;
      for (int k = 0; k < 5; ++k) {
        Pose p;
        p.band = bands[(k + set) % 5];
        if (set == 2) p.body = Rgb(0xFFE8C8);
        float wave = std::sin(ph + k * 1.2f);
        p.armL = 110 + 50 * wave;
        p.armR = 110 - 50 * wave;
        p.eyes = set == 1 ? 1 : 4;
        p.mouth = 1;
        p.sticks = set == 1;
        p.squash = 0.15f * std::cos(ph * 2 + k);
        Image m = MascotImage(100, 82, p, 8 - 4 * std::fabs(std::sin(ph + k)));
        Blit(row, m, 14 + k * 124, 4);
      }
      SavePicture(row, "Play/Bg/fiver/fiver_" + std::to_string(set) + "_" + std::to_string(f + 1) + ".png");
    }
}

// ---- dancers ----
void DancerFolder(int set, int sorts, const Color* bodies, const Color* bands, bool prop) {
  std::string dir = "Play/Dancer/" + std::to_string(set) + "/";
  for (int sort = 0; sort < sorts; ++sort) {
    // Six dance frames: a sway left and right with the arms going round.
    for (int f = 0; f < 6; ++f) {
      Pose p;
      p.body = bodies[sort];
      p.band = bands[sort];
      p.sticks = false;
      float a = f / 6.0f * 2 * kPi;
      p.armL = 90 + 60 * std::sin(a);
      p.armR = 90 + 60 * std::sin(a + kPi);
      p.squash = 0.12f * std::cos(2 * a);
      p.eyes = f % 3 == 0 ? 1 : 0;
      p.mouth = f % 2;
      Image img(110, 120);
      DrawMascot(img, 55 + 5 * std::sin(a), 62, 100, p);
      SavePicture(img, dir + "dance_" + std::to_string(sort + 1) + "_" + std::to_string(f + 1) + ".png");
    }
    // Entrance: crouch, spring, land.
    for (int f = 0; f < 3; ++f) {
      Pose p;
      p.body = bodies[sort];
      p.band = bands[sort];
      p.sticks = false;
      p.squash = f == 0 ? 0.35f : (f == 1 ? -0.25f : 0.1f);
      p.armL = p.armR = f == 1 ? 160 : 40;
      p.eyes = f == 1 ? 4 : 0;
      p.mouth = f == 1 ? 1 : 3;
      Image img(110, 120);
      DrawMascot(img, 55, 62, 100, p);
      SavePicture(img, dir + "appear_" + std::to_string(sort + 1) + "_" + std::to_string(f + 1) + ".png");
    }
  }
  if (prop)
    for (int k = 0; k < 5; ++k) {
      Image img(44, 64);
      float ang = (-30 + k * 15) * 0.0174533f;
      float bx = 22 + std::sin(ang) * 26, by = 34 - std::cos(ang) * 26;
      float hx = 22 - std::sin(ang) * 22, hy = 34 + std::cos(ang) * 22;
      OutlinedSdf(img, [&](float x, float y) { return SdSegment(x, y, bx, by, hx, hy, 3); },
                  [](float, float) { return Rgb(0xE0B27A); }, pal::kInk, 1.5f);
      OutlinedSdf(img, [&](float x, float y) { return SdEllipse(x, y, bx, by, 10, 8); },
                  RadialGrad{Rgb(0xF6D4A0), Rgb(0xC8904E), bx - 3, by - 3, 12}, pal::kInk, 1.5f);
      SavePicture(img, dir + "shakushi_" + std::to_string(k + 1) + ".png");
    }
  // Set 1 draws a random kind for every slot; set 2 gives each of its five slots a kind of
  // its own (slot d shows kind d).
  std::string ys, appear;
  for (int k = 0; k < sorts; ++k) {
    ys += (k ? "," : "") + std::string("384");
    appear += (k ? "," : "") + std::string(k % 2 ? "0" : "1");
  }
  std::string ini =
      "; Dancers of set " + std::to_string(set) + ": five slots across the stage.\n"
      "dance_x=320,190,450,70,570\n"
      "dance_y=" + ys + "\n"
      "dance_sort=" + std::to_string(sorts) + "\n"
      "dance_interval=2\n"
      "dance_order=1,2,3,4,5,6,5,4\n"
      "dance_pattern=" + std::string(set == 1 ? "1" : "0") + "\n"
      "appear_pattern=" + appear + "\n"
      "appear_interval=2\n"
      "appear_order=1,1,2,2,2,3,3,3\n";
  SaveThemeText(dir + "dancer.ini", ini);
}

void Dancers() {
  const Color b1[2] = {Rgb(0xA8E6C8), Rgb(0xFFC0D0)}, n1[2] = {Rgb(0x2E6FD6), Rgb(0xF7A21B)};
  const Color b2[5] = {Rgb(0xD0C0F4), Rgb(0xB8E0FF), Rgb(0xFFE0A0), Rgb(0xC8F0B0), Rgb(0xFFC8E0)};
  const Color n2[5] = {Rgb(0xD6247F), Rgb(0x2FA39A), Rgb(0xE8432E), Rgb(0x6A5AC8), Rgb(0xF7A21B)};
  DancerFolder(1, 2, b1, n1, true);
  DancerFolder(2, 5, b2, n2, false);
}

// ---- chibi ----
void Chibi() {
  // Set 1: tiny drummers running, two kinds.
  const Color bands[2] = {Rgb(0xE23B2E), Rgb(0x2E9CD6)};
  for (int sort = 0; sort < 2; ++sort)
    for (int f = 0; f < 7; ++f) {
      Pose p;
      p.band = bands[sort];
      p.sticks = false;
      float a = f < 3 ? 0 : (f - 3) / 4.0f * 2 * kPi;
      p.armL = f < 3 ? 30 + f * 30 : 60 + 50 * std::sin(a);
      p.armR = f < 3 ? 30 + f * 30 : 60 - 50 * std::sin(a);
      p.squash = f < 3 ? 0.2f - f * 0.1f : 0.15f * std::cos(2 * a);
      p.eyes = f < 3 ? 0 : 1;
      p.mouth = 1;
      Image img = MascotImage(44, 40, p, f >= 3 ? -2 * std::fabs(std::sin(a)) : 0);
      SavePicture(img, "Play/Chibi/1/chibi_" + std::to_string(sort + 1) + "_" + std::to_string(f + 1) + ".png");
    }
  SaveThemeText("Play/Chibi/1/chibi.ini",
                "; Little drummers that run across the stage after every hit.\n"
                "chibi_x=-40\nchibi_y=452\nchibi_sort=2\nchibi_x_pattern=1,2\nchibi_y_pattern=0,2\n"
                "chibi_order=4,5,6,7\nchibi_interval=1\nchibi_appear_patern=0\nchibi_appear_flame=1\n");
  // Set 2: round chicks that hop in.
  for (int f = 0; f < 5; ++f) {
    Image img(44, 44);
    float a = f / 4.0f * 2 * kPi, lift = f == 0 ? 0 : 2 * std::fabs(std::sin(a));
    float cy = 24 - lift;
    OutlinedSdf(img, [&](float x, float y) { return SdEllipse(x, y, 22, cy, 15, 14 - (f == 0 ? 0 : std::cos(a))); },
                RadialGrad{Rgb(0xFFF3A0), Rgb(0xF7C31C), 18, cy - 4, 18}, pal::kInk, 2);
    float wing = f == 0 ? 0 : 4 * std::sin(a);
    OutlinedSdf(img, [&](float x, float y) { return SdEllipse(x, y, 12, cy + 2 - wing, 5, 4); },
                [](float, float) { return Rgb(0xF2B21A); }, pal::kInk, 1.2f);
    FillSdfColor(img, [&](float x, float y) { return SdCircle(x, y, 27, cy - 3, 2); }, pal::kInk);
    std::vector<Pt> beak = {{34, cy - 1}, {40, cy + 1}, {34, cy + 3}};
    OutlinedSdf(img, [&](float x, float y) { return SdPolygon(x, y, beak); }, [](float, float) { return Rgb(0xF28A1A); }, pal::kInk, 1);
    SavePicture(img, "Play/Chibi/2/chibi_1_" + std::to_string(f + 1) + ".png");
  }
  SaveThemeText("Play/Chibi/2/chibi.ini",
                "; Chicks that hop in after every hit.\n"
                "chibi_x=-30\nchibi_y=455\nchibi_sort=1\nchibi_x_pattern=1\nchibi_y_pattern=2\n"
                "chibi_order=2,3,4,5\nchibi_interval=0.5\nchibi_appear_patern=1\nchibi_appear_flame=1\n");
  // The soul set: a little wisp for every miss.
  for (int f = 0; f < 4; ++f) {
    Image img(44, 48);
    float a = f / 4.0f * 2 * kPi;
    auto sd = [&](float x, float y) {
      float head = SdCircle(x, y, 22, 20, 13);
      std::vector<Pt> tail = {{10, 22}, {34, 22}, {22 + 8 * std::sin(a), 44}};
      return std::min(head, SdPolygon(x, y, tail) - 2);
    };
    Glow(img, 22, 24, 22, WithAlpha(Rgb(0x9ED8FF), 0.5f));
    OutlinedSdf(img, sd, VGrad{Rgb(0xEAF6FF), Rgb(0x9EC8F0), 6, 44}, Rgb(0x3A5A8A), 1.5f);
    FillSdfColor(img, [&](float x, float y) { return SdCircle(x, y, 17, 19, 1.8f); }, Rgb(0x3A5A8A));
    FillSdfColor(img, [&](float x, float y) { return SdCircle(x, y, 27, 19, 1.8f); }, Rgb(0x3A5A8A));
    SavePicture(img, "Play/Chibi/Soul/chibi_1_" + std::to_string(f + 1) + ".png");
  }
  SaveThemeText("Play/Chibi/Soul/chibi.ini",
                "; A little wisp floats off after a miss.\n"
                "chibi_x=-20\nchibi_y=420\nchibi_sort=1\nchibi_x_pattern=2\nchibi_y_pattern=2\n"
                "chibi_order=1,2,3,4\nchibi_interval=1\nchibi_appear_patern=2\nchibi_appear_flame=1\n");
}

// ---- scripted lower backgrounds ----
void ScriptDay() {
  const std::string dir = "Play/Bg/dancer_1/";
  {
    Image img(640, 262);
    FillSdf(img, [](float, float) { return -1.0f; }, VGrad{Rgb(0xBFE8F8), Rgb(0xFFE9B8), 0, 262});
    // Hills.
    for (int k = 0; k < 2; ++k)
      FillSdfColor(img, [&](float x, float y) { return (150 + k * 30 + 18 * std::sin(x / 90.0f + k * 2)) - y; },
                   k ? Rgb(0x8CCB6A) : Rgb(0xB4DE8A));
    // Festival stalls in the distance.
    for (int k = 0; k < 6; ++k) {
      float cx = 50 + k * 108;
      FillSdfColor(img, [&](float x, float y) { return SdRoundRect(x, y, cx - 34, 150, cx + 34, 200, 3); }, Rgb(0xF4E3C8));
      std::vector<Pt> r = {{cx - 42, 152}, {cx + 42, 152}, {cx + 30, 132}, {cx - 30, 132}};
      OutlinedSdf(img, [&](float x, float y) { return SdPolygon(x, y, r); },
                  [&](float, float) { return k % 2 ? Rgb(0xE8432E) : Rgb(0x2E9CD6); }, pal::kInk, 1.5f);
    }
    SavePicture(img, dir + "field.png");
  }
  { Image c(160, 70); Cloud(c, 80, 40, 34, pal::kWhite); SavePicture(c, dir + "cloud.png"); }
  {
    Image s(110, 110);
    for (int k = 0; k < 12; ++k) {
      float a = k / 12.0f * 2 * kPi;
      std::vector<Pt> ray = {{55 + std::cos(a - 0.12f) * 34, 55 + std::sin(a - 0.12f) * 34},
                             {55 + std::cos(a) * 54, 55 + std::sin(a) * 54},
                             {55 + std::cos(a + 0.12f) * 34, 55 + std::sin(a + 0.12f) * 34}};
      FillSdfColor(s, [&](float x, float y) { return SdPolygon(x, y, ray); }, Rgb(0xFFC933));
    }
    OutlinedSdf(s, [](float x, float y) { return SdCircle(x, y, 55, 55, 30); },
                RadialGrad{Rgb(0xFFF3A0), Rgb(0xFFB020), 48, 48, 34}, Rgb(0xC86A10), 2);
    SavePicture(s, dir + "sun.png");
  }
  for (int f = 0; f < 3; ++f) {
    Image l(60, 80);
    float sway = (f - 1) * 4.0f;
    Glow(l, 30 + sway, 44, 30, WithAlpha(Rgb(0xFFD04A), 0.35f + 0.2f * f));
    FillSdfColor(l, [&](float x, float y) { return SdSegment(x, y, 30, 0, 30 + sway, 24, 1); }, pal::kInk);
    OutlinedSdf(l, [&](float x, float y) { return SdEllipse(x, y, 30 + sway, 46, 18, 22); },
                RadialGrad{Rgb(0xFFE0A0), Rgb(0xF24A2A), 30 + sway, 42, 24}, pal::kInk, 2);
    Text(l, "祭", Font::Japanese, 18, 30 + sway, 46, pal::kInk, Color{}, 0);
    SavePicture(l, dir + "lantern_" + std::to_string(f + 1) + ".png");
  }
  {
    Image s(230, 64);
    Panel(s, 4, 4, 226, 60, 14, Rgb(0xE8432E), pal::kInk, 3);
    GradientText(s, "KODOBAN!", Font::SansBold, 30, 115, 32, pal::kWhite, Rgb(0xFFE08A), pal::kInk, 3);
    SavePicture(s, dir + "sign.png");
  }
  {
    Image st(24, 24);
    Sparkle(st, 12, 12, 11, pal::kWhite);
    SavePicture(st, dir + "twinkle.png");
  }
  // Clear layers: golden light, a rainbow that bounces in, confetti falling.
  {
    Image g(640, 262);
    for (int y = 0; y < 262; ++y)
      for (int x = 0; x < 640; ++x) g.blend(x, y, Rgb(0xFFE27A), 0.35f * (1 - y / 262.0f));
    SavePicture(g, dir + "clear_light.png");
    Image r(440, 150);
    for (int band = 0; band < 7; ++band) {
      Color c = Hsv(band / 7.0f * 0.83f, 0.7f, 1.0f, 0.9f);
      FillSdfColor(r, [&](float x, float y) { return std::max(std::fabs(SdCircle(x, y, 220, 220, 200 - band * 10.0f)) - 5, y - 149); }, c);
    }
    SavePicture(r, dir + "rainbow.png");
    Image cf(640, 120);
    for (int k = 0; k < 70; ++k) {
      float x = Hash2(k, 1, 12) * 640, y = Hash2(k, 2, 12) * 120;
      auto q = RegularPolygon(x, y, 4, 4, Hash2(k, 3, 12));
      FillSdfColor(cf, [&](float px, float py) { return SdPolygon(px, py, q); }, Hsv(Hash2(k, 4, 12), 0.7f, 1.0f), x - 6, y - 6, x + 6, y + 6);
    }
    SavePicture(cf, dir + "confetti.png");
  }
  SaveThemeText(dir + "dancer_bg.ini",
                "// Daytime festival: the field, drifting clouds, a turning sun, lanterns that sway,\n"
                "// a sign that bounces in and twinkles; on clear a golden light, a rainbow and confetti.\n"
                "#BG_NAME(field.png)\n#POINT(0,218)\n"
                "#BG_NAME(cloud.png)\n#POINT(0,226)\n#APPEAR_FADE_IN_MOVE_X_LOOP(0,2000,-160,640,24000)\n#MOVE_X_LOOP(-160,640,24000)\n"
                "#BG_NAME(cloud.png)\n#POINT(0,262)\n#MOVE_X_LOOP(-160,640,31000)\n#MOVE_OFFSET(13000)\n"
                "#BG_NAME(sun.png)\n#POINT(580,262)\n#APPEAR_FADE_IN_ROTATE(0,1500,16000)\n#ROTATE(16000)\n"
                "#BG_NAME(lantern_1.png)\n#POINT(120,230)\n#FLAME_CHANGE(3,900)\n"
                "#BG_NAME(lantern_2.png)\n#NO_DRAW\n"
                "#BG_NAME(lantern_3.png)\n#NO_DRAW\n"
                "#BG_NAME(lantern_1.png)\n#POINT(460,230)\n#APPEAR_FLAME_CHANGE(3,900)\n#FLAME_CHANGE(3,900)\n#OFFSET(450)\n"
                "#BG_NAME(lantern_2.png)\n#NO_DRAW\n"
                "#BG_NAME(lantern_3.png)\n#NO_DRAW\n"
                "#BG_NAME(sign.png)\n#POINT(205,244)\n#APPEAR_BOUND_UP(300,700,900,1100,80,16,6)\n#MOVE_Y_REFLECT(-6,1600)\n"
                "#BG_NAME(twinkle.png)\n#POINT(214,238)\n#ADD\n#BLINK(0,255,1200)\n"
                "#BG_NAME(twinkle.png)\n#POINT(410,280)\n#ADD\n#BLINK_WAIT(0,255,500,1500)\n#COLOR_OFFSET(700)\n"
                "#CLEAR_BG_NAME(clear_light.png)\n#POINT(0,218)\n#APPEAR_FADE_IN(0,800)\n#BLINK(160,255,3000)\n"
                "#CLEAR_BG_NAME(rainbow.png)\n#POINT(100,222)\n#APPEAR_BOUND_DOWN_SIN(0,500,700,900,70,14,4)\n"
                "#CLEAR_BG_NAME(confetti.png)\n#POINT(0,218)\n#APPEAR_FADE_IN_MOVE_Y_LOOP(0,1000,-120,262,5000)\n#MOVE_Y_LOOP(-120,262,5000)\n");
}

void ScriptNight() {
  const std::string dir = "Play/Bg/dancer_2/";
  {
    Image img(640, 262);
    FillSdf(img, [](float, float) { return -1.0f; }, VGrad{Rgb(0x2A2A6A), Rgb(0x8A4A7A), 0, 262});
    for (int k = 0; k < 50; ++k) {
      float x = Hash2(k, 1, 31) * 640, y = Hash2(k, 2, 31) * 120;
      FillSdfColor(img, [&](float px, float py) { return SdCircle(px, py, x, y, 1); }, WithAlpha(pal::kWhite, 0.7f), x - 2, y - 2, x + 2, y + 2);
    }
    FillSdfColor(img, [](float x, float y) { return (175 + 12 * std::sin(x / 70.0f)) - y; }, Rgb(0x3A2A4A));
    for (int k = 0; k < 8; ++k) {
      float cx = 40 + k * 80;
      std::vector<Pt> r = {{cx - 40, 200}, {cx - 32, 168}, {cx, 156}, {cx + 32, 168}, {cx + 40, 200}};
      FillSdfColor(img, [&](float x, float y) { return std::min(SdPolygon(x, y, r), SdRoundRect(x, y, cx - 34, 190, cx + 34, 262, 0)); },
                   Rgb(0x1E1830));
      FillSdfColor(img, [&](float x, float y) { return SdRoundRect(x, y, cx - 8, 205, cx + 8, 222, 2); }, Rgb(0xFFC45A));
    }
    SavePicture(img, dir + "town.png");
  }
  {
    Image m(80, 80);
    Glow(m, 40, 40, 40, WithAlpha(Rgb(0xFFF3C0), 0.5f));
    FillSdfColor(m, [](float x, float y) { return std::max(SdCircle(x, y, 40, 40, 22), -SdCircle(x, y, 50, 34, 18)); }, Rgb(0xFFF3C0));
    SavePicture(m, dir + "moon.png");
  }
  {
    Image r(700, 60);
    for (int x = 0; x < 700; ++x) r.blend(x, int(12 + 8 * std::sin(x / 700.0f * 2 * kPi * 3)), pal::kInk, 1);
    for (int k = 0; k < 12; ++k) {
      float lx = 25 + k * 58, ly = 12 + 8 * std::sin(lx / 700.0f * 2 * kPi * 3) + 20;
      Color c = k % 2 ? Rgb(0xFF5A3A) : Rgb(0xFFC45A);
      Glow(r, lx, ly, 20, WithAlpha(c, 0.5f));
      OutlinedSdf(r, [&](float x, float y) { return SdEllipse(x, y, lx, ly, 9, 11); },
                  RadialGrad{Lighter(c, 0.5f), c, lx, ly, 11}, pal::kInk, 1.5f);
    }
    SavePicture(r, dir + "lantern_string.png");
  }
  for (int f = 0; f < 4; ++f) {
    Image fw(120, 120);
    float t = (f + 1) / 4.0f;
    Color c = Hsv(0.08f + f * 0.23f, 0.6f, 1.0f);
    for (int q = 0; q < 16; ++q) {
      float a = q / 16.0f * 2 * kPi;
      float r0 = 50 * t * 0.5f, r1 = 50 * t;
      FillSdfColor(fw, [&](float x, float y) { return SdSegment(x, y, 60 + std::cos(a) * r0, 60 + std::sin(a) * r0, 60 + std::cos(a) * r1, 60 + std::sin(a) * r1, 1.6f); },
                   WithAlpha(c, 1.1f - t * 0.6f));
    }
    Glow(fw, 60, 60, 20 + 30 * t, WithAlpha(c, 0.4f * (1.2f - t)));
    SavePicture(fw, dir + "firework_" + std::to_string(f + 1) + ".png");
  }
  {
    Image pw(70, 70);
    for (int k = 0; k < 4; ++k) {
      float a = k / 4.0f * 2 * kPi;
      std::vector<Pt> blade = {{35, 35}, {35 + std::cos(a) * 32, 35 + std::sin(a) * 32}, {35 + std::cos(a + 0.9f) * 20, 35 + std::sin(a + 0.9f) * 20}};
      OutlinedSdf(pw, [&](float x, float y) { return SdPolygon(x, y, blade); },
                  [&](float, float) { return Hsv(k / 4.0f, 0.6f, 1.0f); }, pal::kInk, 1.2f);
    }
    FillSdfColor(pw, [](float x, float y) { return SdCircle(x, y, 35, 35, 4); }, pal::kGold);
    SavePicture(pw, dir + "pinwheel.png");
  }
  {
    Image st(24, 24);
    Sparkle(st, 12, 12, 11, Rgb(0xFFF3A0));
    SavePicture(st, dir + "star.png");
    Image big(640, 262);
    for (int y = 0; y < 262; ++y)
      for (int x = 0; x < 640; ++x) big.blend(x, y, Rgb(0xFF9A5A), 0.3f * (y / 262.0f));
    SavePicture(big, dir + "clear_glow.png");
    Image banner(300, 70);
    Panel(banner, 4, 4, 296, 66, 18, Rgb(0x6A3AA8), pal::kInk, 3);
    GradientText(banner, "CLEAR!", Font::SansBold, 36, 150, 35, Rgb(0xFFF3A0), Rgb(0xFFB02A), pal::kInk, 3);
    SavePicture(banner, dir + "clear_banner.png");
  }
  SaveThemeText(dir + "dancer_bg.ini",
                "// Night festival: the town, a moon, a swinging lantern string, a pinwheel and\n"
                "// fireworks; on clear the sky glows, a banner slides in and fireworks burst.\n"
                "#BG_NAME(town.png)\n#POINT(0,218)\n"
                "#BG_NAME(moon.png)\n#POINT(520,222)\n#APPEAR_FADE_IN(0,2500)\n#MOVE_Y_REFLECT(8,6000)\n"
                "#BG_NAME(lantern_string.png)\n#POINT(-30,226)\n#APPEAR_BOUND_DOWN(0,400,600,800,60,12,4)\n#MOVE_X_REFLECT(30,4000)\n"
                "#BG_NAME(pinwheel.png)\n#POINT(90,300)\n#APPEAR_BOUND_RIGHT_COS(0,500,700,900,90,20,6)\n#ROTATE(2000)\n"
                "#BG_NAME(firework_1.png)\n#POINT(0,230)\n#MOVE_X_LOOP_FLAME_CHANGE(200,440,8000,4,1000)\n"
                "#BG_NAME(firework_2.png)\n#NO_DRAW\n#BG_NAME(firework_3.png)\n#NO_DRAW\n#BG_NAME(firework_4.png)\n#NO_DRAW\n"
                "#BG_NAME(star.png)\n#POINT(60,230)\n#ADD\n#MOVE_X_LOOP_BLINK(0,520,9000,40,255,800)\n"
                "#BG_NAME(star.png)\n#POINT(300,250)\n#ADD\n#MOVE_Y_LOOP_BLINK(0,40,3000,60,255,600)\n"
                "#CLEAR_BG_NAME(clear_glow.png)\n#POINT(0,218)\n#APPEAR_FADE_IN(0,600)\n"
                "#CLEAR_BG_NAME(clear_banner.png)\n#POINT(170,236)\n#APPEAR_BOUND_LEFT_SIN(0,400,600,800,120,20,6)\n#MOVE_Y_REFLECT(-6,1200)\n"
                "#CLEAR_BG_NAME(firework_1.png)\n#POINT(40,226)\n#APPEAR_FLAME_CHANGE(4,800)\n#MOVE_Y_LOOP_FLAME_CHANGE(0,-10,800,4,800)\n"
                "#CLEAR_BG_NAME(firework_2.png)\n#NO_DRAW\n#CLEAR_BG_NAME(firework_3.png)\n#NO_DRAW\n#CLEAR_BG_NAME(firework_4.png)\n#NO_DRAW\n"
                "#CLEAR_BG_NAME(firework_3.png)\n#POINT(480,230)\n#APPEAR_BOUND_UP_COS(0,300,450,600,50,10,4)\n#BLINK_WAIT(120,255,400,800)\n");
}

}  // namespace

void DrawStagePictures() {
  Upper();
  Stages();
  Fivers();
  Dancers();
  Chibi();
  ScriptDay();
  ScriptNight();
}

}  // namespace themegen
