// Pictures of the result screen. The board is centred on (172, 326) and carries the labels
// of the numbers the screen writes at its default positions.
#include <cmath>

#include "art.h"
#include "gen.h"

namespace themegen {

namespace {

constexpr float kPi = 3.14159265f;

void Backgrounds() {
  {
    Image img(640, 480);
    FillSdf(img, [](float, float) { return -1.0f; }, VGrad{Rgb(0xFFD27A), Rgb(0xF7803A), 0, 480});
    Rays(img, 320, 150, 28, WithAlpha(pal::kWhite, 0.18f));
    for (int k = 0; k < 30; ++k)
      Sparkle(img, Hash2(k, 1, 40) * 640, Hash2(k, 2, 40) * 480, 4 + Hash2(k, 3, 40) * 6, WithAlpha(pal::kWhite, 0.8f));
    FillSdfColor(img, [](float, float y) { return y - 40; }, WithAlpha(Rgb(0xE8432E), 0.9f));
    Text(img, "RESULT", Font::SansBold, 22, 320, 20, pal::kWhite, pal::kInk, 2);
    SavePicture(img, "Result/Bg/clear.png");
  }
  {
    Image img(640, 480);
    FillSdf(img, [](float, float) { return -1.0f; }, VGrad{Rgb(0x5A6A8A), Rgb(0x2A3048), 0, 480});
    for (int k = 0; k < 2; ++k)
      FillSdfColor(img, [&](float x, float y) { return (380 + k * 40 + 24 * std::sin(x / 110.0f + k * 2.5f)) - y; },
                   k ? Rgb(0x22283A) : Rgb(0x343C54));
    for (int k = 0; k < 5; ++k) Cloud(img, 60 + k * 140, 90 + (k % 2) * 40, 56, Rgb(0xA4AEC4));
    for (int k = 0; k < 4; ++k) Cloud(img, 130 + k * 150, 180 + (k % 2) * 30, 34, Rgb(0x8A94AC));
    for (int k = 0; k < 120; ++k) {
      float x = Hash2(k, 1, 41) * 640, y = Hash2(k, 2, 41) * 480;
      FillSdfColor(img, [&](float px, float py) { return SdSegment(px, py, x, y, x - 4, y + 14, 0.8f); },
                   WithAlpha(Rgb(0xB8C8E0), 0.45f), x - 6, y - 2, x + 2, y + 16);
    }
    FillSdfColor(img, [](float, float y) { return y - 40; }, WithAlpha(Rgb(0x3A4260), 0.95f));
    Text(img, "RESULT", Font::SansBold, 22, 320, 20, Rgb(0xD8E0F0), pal::kInk, 2);
    SavePicture(img, "Result/Bg/failed.png");
  }
  {
    Image img(320, 320);
    for (int y = 0; y < 320; ++y)
      for (int x = 0; x < 320; ++x) {
        float r = Len(x + 0.5f - 160, y + 0.5f - 160);
        if (r > 158) continue;
        float a = std::atan2(y + 0.5f - 160, x + 0.5f - 160);
        float ray = 0.5f + 0.5f * std::cos(a * 16);
        img.blend(x, y, pal::kWhite, 0.22f * ray * std::min(1.0f, (158 - r) / 30));
      }
    SavePicture(img, "Result/Bg/turn.png");
  }
  // The board: score row, gauge row, then max combo and rate on the left and the four
  // counts on the right.
  for (int player = 1; player <= 2; ++player) {
    const int W = 330, H = 276;  // centred on (172, 326): screen x 7..337, y 188..464
    Image img(W, H);
    Color base = player == 1 ? Rgb(0xFFF4E0) : Rgb(0xE6F0FF);
    Color accent = player == 1 ? Rgb(0xE8432E) : Rgb(0x2E6FD6);
    Panel(img, 3, 3, W - 3, H - 3, 20, base, pal::kInk, 3);
    auto X = [](float sx) { return sx - 7; };
    auto Y = [](float sy) { return sy - 188; };
    // Score.
    Panel(img, 12, Y(224), W - 12, Y(268), 12, Lighter(accent, 0.85f), Lighter(accent, 0.3f), 1.5f);
    Text(img, "SCORE", Font::SansBold, 12, 22, Y(236), Darker(accent, 0.3f), Color{}, 0, -1);
    Text(img, "点", Font::Japanese, 16, X(306), Y(252), Darker(accent, 0.3f), Color{}, 0);
    // Gauge well (the gauge is drawn over it).
    FillSdfColor(img, [&](float x, float y) { return SdRoundRect(x, y, X(38), Y(268), X(312), Y(312), 10); },
                 WithAlpha(Rgb(0x3A2A24), 0.15f));
    // Left column.
    Text(img, "MAX COMBO", Font::SansBold, 11, X(84), Y(350), Rgb(0x6A4A3A), Color{}, 0);
    Text(img, "最大コンボ", Font::Japanese, 12, X(84), Y(336), Rgb(0x6A4A3A), Color{}, 0);
    FillSdfColor(img, [&](float x, float y) { return SdRoundRect(x, y, X(40), Y(358), X(150), Y(384), 8); },
                 WithAlpha(Rgb(0x3A2A24), 0.08f));
    Text(img, "HIT RATE", Font::SansBold, 11, X(84), Y(418), Rgb(0x6A4A3A), Color{}, 0);
    FillSdfColor(img, [&](float x, float y) { return SdRoundRect(x, y, X(40), Y(432), X(150), Y(458), 8); },
                 WithAlpha(Rgb(0x3A2A24), 0.08f));
    Text(img, "%", Font::SansBold, 14, X(144), Y(445), Rgb(0x6A4A3A), Color{}, 0);
    // Right column: labels left of the right-aligned digits.
    const char* labels[4] = {"GREAT", "GOOD", "BAD", "ROLL"};
    const Color lc[4] = {Rgb(0xE8832E), Rgb(0x6A8A9A), Rgb(0x4A5AA8), Rgb(0xD8A010)};
    for (int k = 0; k < 4; ++k) {
      float sy = 378 + 24 * k;
      FillSdfColor(img, [&](float x, float y) { return SdRoundRect(x, y, X(170), Y(sy - 11), X(326), Y(sy + 11), 8); },
                   WithAlpha(lc[k], 0.16f));
      Text(img, labels[k], Font::SansBold, 12, X(176), Y(sy), Darker(lc[k], 0.2f), Color{}, 0, -1);
    }
    SavePicture(img, "Result/Bg/board_p" + std::to_string(player) + ".png");
  }
}

void Numbers() {
  for (int d = 0; d <= 9; ++d) {
    SavePicture(LabelImage(32, 42, std::to_string(d), Font::SansBold, 34, Rgb(0xFFFFFF), Rgb(0xFFD36A), pal::kInk, 3),
                "Result/Number/score_" + std::to_string(d) + ".png");
    SavePicture(LabelImage(17, 23, std::to_string(d), Font::SansBold, 19, Rgb(0x5A2A1A), Rgb(0x2A140C), pal::kWhite, 2),
                "Result/Number/score_s_" + std::to_string(d) + ".png");
  }
  SavePicture(Image(32, 42), "Result/Number/score_10.png");  // blank
}

void Soul() {
  const int W = 250, H = 40;  // at (42, 270); the meter at (48, 280)
  const int MW = 236, MH = 20;
  const int thresholds[3] = {60, 70, 80};
  const char* names[3] = {"easy", "normal", "hard"};
  for (int k = 0; k < 3; ++k) {
    int mark = 6 + MW * thresholds[k] / 100;
    Image frame(W, H);
    Panel(frame, 1, 1, W - 1, H - 1, 12, Rgb(0x4A3A34), pal::kInk, 2);
    FillSdfColor(frame, [&](float x, float y) { return SdRoundRect(x, y, 6, 10, 6 + MW, 10 + MH, 5); }, Rgb(0x2A1E1C));
    FillSdfColor(frame, [&](float x, float y) { return SdRoundRect(x, y, mark - 1.5f, 4, mark + 1.5f, H - 4, 1); }, pal::kGold);
    Text(frame, "CLEAR", Font::SansBold, 7, mark, 5, pal::kWhite, Color{}, 0);
    SavePicture(frame, std::string("Result/Soul/soulgauge_") + names[k] + ".png");
    Image meter(MW, MH);
    FillSdf(meter, [&](float x, float y) { return SdRoundRect(x, y, 0, 0, MW, MH, 5); }, [&](float x, float y) {
      Color c = x < mark - 6 ? Rgb(0xE8432E) : Rgb(0xFFC21F);
      return Mix(Lighter(c, 0.35f), Darker(c, 0.1f), y / MH);
    });
    SavePicture(meter, std::string("Result/Soul/soulgauge_") + names[k] + "_p1.png");
  }
  Image soul(56, 56);
  OutlinedSdf(soul, [](float x, float y) { return SdCircle(x, y, 28, 29, 22); },
              RadialGrad{Rgb(0xFFB27A), Rgb(0xD8321E), 22, 22, 28}, pal::kInk, 2.5f);
  Text(soul, "魂", Font::Japanese, 24, 28, 29, pal::kWhite, pal::kInk, 2);
  SavePicture(soul, "Result/Soul/soul.png");
  for (int p = 1; p <= 2; ++p) {
    Image e(80, 80);
    Glow(e, 40, 40, 40, WithAlpha(p == 1 ? Rgb(0xFFD04A) : Rgb(0x8AD0FF), 0.95f));
    SavePicture(e, "Result/Soul/soul_effect_p" + std::to_string(p) + ".png");
  }
  for (int f = 0; f < 20; ++f) {
    Image fl(96, 96);
    for (int k = 0; k < 10; ++k) {
      float a = k / 10.0f * 2 * kPi + f * 0.0628f * 5;
      float r = 30 + 7 * std::sin(f * 0.314f * 2 + k * 2.1f);
      Glow(fl, 48 + std::cos(a) * r, 48 + std::sin(a) * r - 4, 16, WithAlpha(Rgb(0xFF7A1A), 0.9f));
    }
    Glow(fl, 48, 46, 44, WithAlpha(Rgb(0xFFB02A), 0.45f));
    SavePicture(fl, "Result/Soul/fire_p1_" + std::to_string(f + 1) + ".png");
  }
}

void Chara() {
  const int S = 150;
  for (int f = 0; f < 3; ++f) {
    Pose p;
    p.eyes = f == 1 ? 4 : 1;
    p.mouth = 1;
    p.armL = f == 0 ? 150 : (f == 1 ? 120 : 60);
    p.armR = f == 0 ? 150 : (f == 1 ? 60 : 120);
    p.squash = f == 2 ? 0.15f : -0.1f;
    Image img(S, S);
    DrawMascot(img, S / 2.0f, S / 2.0f + 8, 116, p);
    SavePicture(img, "Result/Chara/chara_p1_" + std::to_string(f + 1) + ".png");
  }
  for (int f = 0; f < 4; ++f) {
    Pose p;
    p.eyes = f % 2 ? 3 : 2;
    p.mouth = 2;
    p.sweat = f < 2;
    p.sticks = f != 3;
    p.armL = p.armR = 8 + f * 4;
    p.squash = 0.1f + 0.08f * f;
    Image img(S, S);
    DrawMascot(img, S / 2.0f, S / 2.0f + 3, 130, p);
    SavePicture(img, "Result/Chara/chara_p1_failed_" + std::to_string(f + 1) + ".png");
  }
  {
    Image img(220, 220);
    Glow(img, 110, 110, 110, WithAlpha(Rgb(0xFFF0A0), 0.9f));
    Rays(img, 110, 110, 14, WithAlpha(pal::kWhite, 0.25f));
    SavePicture(img, "Result/Chara/clear_bright.png");
  }
  // Toss items: a fan, a star, a ball and a ribbon, each in four turning frames.
  for (int item = 1; item <= 4; ++item)
    for (int f = 0; f < 4; ++f) {
      Image img(44, 44);
      float turn = f / 4.0f;
      float ca = std::cos(turn * 2 * kPi), sa = std::sin(turn * 2 * kPi);
      auto rot = [&](float x, float y) { return Pt{22 + (x - 22) * ca - (y - 22) * sa, 22 + (x - 22) * sa + (y - 22) * ca}; };
      if (item == 1) {
        std::vector<Pt> fan;
        fan.push_back(rot(22, 34));
        for (int k = 0; k <= 8; ++k) {
          float a = (-150 + k * 15) * 0.0174533f;
          fan.push_back(rot(22 + std::cos(a) * 20, 34 + std::sin(a) * 20));
        }
        OutlinedSdf(img, [&](float x, float y) { return SdPolygon(x, y, fan); }, [](float, float) { return Rgb(0xE8432E); }, pal::kInk, 1.5f);
      } else if (item == 2) {
        auto st = StarPoints(22, 22, 18, 8, 5, turn / 5);
        OutlinedSdf(img, [&](float x, float y) { return SdPolygon(x, y, st); }, [](float, float) { return pal::kGold; }, pal::kInk, 1.5f);
      } else if (item == 3) {
        OutlinedSdf(img, [](float x, float y) { return SdCircle(x, y, 22, 22, 15); },
                    [&](float x, float y) {
                      Pt q = {22 + (x - 22) * ca + (y - 22) * sa, 0};
                      return std::fmod(q.x + 100, 10.0f) < 5 ? Rgb(0x2E9CD6) : pal::kWhite;
                    }, pal::kInk, 1.5f);
      } else {
        Pt a = rot(6, 22), b = rot(38, 22);
        FillSdfColor(img, [&](float x, float y) {
          float wob = 3 * std::sin((x + y) * 0.4f + turn * 6.28f);
          return SdSegment(x, y + wob, a.x, a.y, b.x, b.y, 3.5f);
        }, Rgb(0xD6247F));
      }
      SavePicture(img, "Result/Chara/toss_" + std::to_string(item) + "_" + std::to_string(f + 1) + ".png");
    }
}

void Messages() {
  {
    Image img(240, 80);
    Panel(img, 6, 8, 234, 72, 26, Rgb(0xE8432E), pal::kInk, 3);
    GradientText(img, "クリア!", Font::Japanese, 30, 92, 40, Rgb(0xFFF3A0), Rgb(0xFFB02A), pal::kInk, 3);
    Text(img, "CLEAR", Font::SansBold, 18, 186, 41, pal::kWhite, pal::kInk, 2);
    SavePicture(img, "Result/Message/clear.png");
  }
  {
    Image img(260, 80);
    Panel(img, 6, 8, 254, 72, 26, Rgb(0x4A5A7A), pal::kInk, 3);
    GradientText(img, "ざんねん…", Font::Japanese, 24, 92, 40, Rgb(0xE6EEFF), Rgb(0xA8B8D8), pal::kInk, 3);
    Text(img, "FAILED", Font::SansBold, 15, 207, 41, Rgb(0xD8E0F0), pal::kInk, 2);
    SavePicture(img, "Result/Message/failed.png");
  }
  {
    Image img(116, 116);
    auto st = StarPoints(58, 58, 56, 46, 16);
    OutlinedSdf(img, [&](float x, float y) { return SdPolygon(x, y, st); },
                RadialGrad{Rgb(0xFFF3A0), Rgb(0xF2A81A), 44, 40, 70}, pal::kInk, 2);
    FillSdfColor(img, [](float x, float y) { return std::fabs(SdCircle(x, y, 58, 58, 38)) - 2; }, Rgb(0xE8432E));
    GradientText(img, "FULL", Font::SansBold, 20, 58, 46, Rgb(0xE8432E), Rgb(0xA81A10), pal::kWhite, 2);
    GradientText(img, "COMBO", Font::SansBold, 16, 58, 68, Rgb(0xE8432E), Rgb(0xA81A10), pal::kWhite, 2);
    SavePicture(img, "Result/Message/fullcombo.png");
  }
}

void Courses() {
  for (int c = 0; c < 5; ++c) {
    Image sym(72, 72);
    DrawCourseEmblem(sym, c, 36, 37, 28);
    SavePicture(sym, std::string("Result/Symbol/") + kCourseNames[c] + ".png");
    Image plate(200, 44);
    Color col = CourseColor(c);
    Panel(plate, 3, 3, 197, 41, 18, col, pal::kInk, 2.5f);
    GradientText(plate, kCourseTitles[c], Font::SansBold, 22, 100, 22, pal::kWhite, Lighter(col, 0.7f), pal::kInk, 2);
    SavePicture(plate, std::string("Result/Course/") + kCourseNames[c] + ".png");
  }
}

void Load() {
  {
    // The opening curtain: 640 px of curtain and a scalloped edge, slid 960 px to the left.
    Image img(960, 480);
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 960; ++x) {
        float edge = 700 + 30 * std::cos(y / 480.0f * 2 * kPi * 4);
        if (x > edge + 1) continue;
        float fold = 0.82f + 0.18f * std::cos(x / 20.0f * kPi);
        img.blend(x, y, Darker(Rgb(0xC8283A), 1 - fold), std::min(1.0f, edge + 1 - x));
      }
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 960; ++x) {
        float edge = 700 + 30 * std::cos(y / 480.0f * 2 * kPi * 4);
        float d = std::fabs(x - edge + 12);
        if (d < 4) img.blend(x, y, pal::kGold, 1 - d / 4);
      }
    GradientText(img, "RESULTS", Font::SansBold, 54, 320, 220, Rgb(0xFFF3A0), Rgb(0xFFB02A), pal::kInk, 4);
    Text(img, "成績発表", Font::Japanese, 28, 320, 280, pal::kWhite, pal::kInk, 3);
    SavePicture(img, "Result/Load/bg_start.png");
  }
  {
    Image img(640, 480);
    Clear(img, Rgb(0xFA4928));
    Rays(img, 320, 240, 32, WithAlpha(pal::kWhite, 0.08f));
    Pose p;
    p.eyes = 1;
    p.mouth = 0;
    p.armL = 60;
    p.armR = 150;
    DrawMascot(img, 320, 230, 220, p);
    Text(img, "またね!", Font::Japanese, 30, 320, 370, pal::kWhite, pal::kInk, 3);
    SavePicture(img, "Result/Load/bg_end.png");
  }
}

}  // namespace

void DrawResultPictures() {
  Backgrounds();
  Numbers();
  Soul();
  Chara();
  Messages();
  Courses();
  Load();
}

}  // namespace themegen
