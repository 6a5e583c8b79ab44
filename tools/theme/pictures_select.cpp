// Pictures of the song select screen and its loading transitions.
#include <cmath>

#include "art.h"
#include "gen.h"

namespace themegen {

namespace {

constexpr float kPi = 3.14159265f;

// Loading colours of the theme layout defaults, so that the irises blend into the fill.
const uint32_t kLoadColors[5] = {0xFF2703, 0x8CB753, 0x334130, 0xDB1885, 0xDB1885};

void Background() {
  // A tile that repeats every 256 px: warm stripes and a pattern of little drums.
  const int W = 256, H = 480;
  Image img(W, H);
  FillSdf(img, [](float, float) { return -1.0f; }, VGrad{Rgb(0xFFE3B0), Rgb(0xF7A35C), 0, H});
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      if (((x + y) / 32) % 2 == 0) img.blend(x, y, pal::kWhite, 0.12f);
  for (int row = 0; row < 8; ++row)
    for (int col = 0; col < 4; ++col) {
      float cx = col * 64 + (row % 2) * 32 + 16, cy = row * 64 + 24;
      for (int w = -1; w <= 1; ++w) {
        float ox = cx + w * W;
        FillSdfColor(img, [&](float x, float y) { return std::fabs(SdCircle(x, y, ox, cy, 11)) - 2.5f; },
                     WithAlpha(Rgb(0xE8722E), 0.35f), ox - 15, cy - 15, ox + 15, cy + 15);
        FillSdfColor(img, [&](float x, float y) { return SdCircle(x, y, ox, cy, 5); }, WithAlpha(pal::kWhite, 0.35f),
                     ox - 7, cy - 7, ox + 7, cy + 7);
      }
    }
  SavePicture(img, "SongSelect/Bg/bg.png");
  Image msg(640, 44);
  Panel(msg, -20, 4, 660, 40, 0, Rgb(0xE8432E), pal::kInk, 3);
  Text(msg, "曲をえらんでね", Font::Japanese, 22, 230, 22, pal::kWhite, pal::kInk, 2);
  Text(msg, "Choose a song!", Font::SansBold, 18, 420, 23, Rgb(0xFFE08A), pal::kInk, 2);
  SavePicture(msg, "SongSelect/Bg/message_songselect.png");
}

void Icons() {
  auto badge = [](const std::string& text, Color c, int w) {
    Image img(w, 34);
    Panel(img, 2, 2, w - 2, 32, 10, c, pal::kInk, 2.5f);
    GradientText(img, text, Font::SansBold, 17, w / 2.0f, 17, pal::kWhite, Rgb(0xFFF0C0), pal::kInk, 2);
    return img;
  };
  SavePicture(badge("AUTO", Rgb(0x2FA39A), 78), "SongSelect/Icon/auto.png");
  SavePicture(badge("x2", Rgb(0xF08A24), 56), "SongSelect/Icon/x2.png");
  SavePicture(badge("x3", Rgb(0xE8432E), 56), "SongSelect/Icon/x3.png");
  SavePicture(badge("x4", Rgb(0xB0206A), 56), "SongSelect/Icon/x4.png");
}

// A clear status tag (new / failed / clear / full combo) of the given size.
Image StatusTag(int kind, int w, int h) {
  Image img(w, h);
  const Color fill[4] = {Rgb(0x9AA4AE), Rgb(0x5A5A6A), Rgb(0xE8432E), Rgb(0xFFC21F)};
  const char* text[4] = {"NEW", "FAILED", "CLEAR", "FULL"};
  Panel(img, 1.5f, 1.5f, w - 1.5f, h - 1.5f, h * 0.4f, fill[kind], pal::kInk, 1.5f);
  Text(img, text[kind], Font::SansBold, int(h * 0.55f), w / 2.0f, h / 2.0f, kind == 3 ? Rgb(0x7A3A00) : pal::kWhite,
       Color{}, 0);
  return img;
}

void Level() {
  for (int c = 0; c < 5; ++c) {
    Image img(36, 36);
    DrawCourseEmblem(img, c, 18, 19, 14);
    SavePicture(img, std::string("SongSelect/Level/symbol_") + kCourseNames[c] + ".png");
  }
  {
    Image img(38, 210);
    Panel(img, 1, 1, 37, 209, 12, Rgb(0xFFF6E6), Rgb(0x8A5A3A), 1.5f);
    SavePicture(img, "SongSelect/Level/level_panel.png");
  }
  {
    Image a(22, 11), b(22, 11), c(22, 11);
    auto pip = [](float x, float y) { return SdRoundRect(x, y, 2, 1.5f, 20, 9.5f, 4); };
    FillSdfColor(a, pip, Rgb(0xD8CCBC));
    OutlinedSdf(b, pip, [](float, float) { return pal::kGold; }, Rgb(0x8A5A00), 1);
    OutlinedSdf(c, pip, [](float x, float) { return Hsv(x / 22.0f * 0.15f, 0.85f, 1.0f); }, Rgb(0x7A1A10), 1);
    SavePicture(a, "SongSelect/Level/level_1.png");
    SavePicture(b, "SongSelect/Level/level_2.png");
    SavePicture(c, "SongSelect/Level/level_3.png");
  }
  const char* st[4] = {"new", "failed", "clear", "fullcombo"};
  for (int k = 0; k < 4; ++k) {
    SavePicture(StatusTag(k, 34, 14), std::string("SongSelect/Level/status_") + st[k] + ".png");
    SavePicture(StatusTag(k, 60, 22), std::string("SongSelect/Course/status_") + st[k] + ".png");
  }
}

// The course iris: a full screen in the loading colour with a big emblem in the middle.
Image Iris(Color base, int course) {
  Image img(640, 480);
  Clear(img, base);
  Rays(img, 320, 240, 32, WithAlpha(pal::kWhite, 0.08f));
  FillSdfColor(img, [](float x, float y) { return std::fabs(SdCircle(x, y, 320, 240, 150)) - 3; }, WithAlpha(pal::kWhite, 0.5f));
  if (course >= 0) {
    DrawCourseEmblem(img, course, 320, 230, 90);
    Text(img, kCourseTitles[course], Font::SansBold, 34, 320, 372, pal::kWhite, pal::kInk, 3);
  } else {
    Pose p;
    p.eyes = 1;
    p.mouth = 1;
    p.armL = p.armR = 130;
    DrawMascot(img, 320, 230, 230, p);
  }
  return img;
}

void Load() {
  for (int c = 0; c < 5; ++c)
    SavePicture(Iris(Rgb(kLoadColors[c]), c), std::string("SongSelect/Load/bg_end_") + kCourseNames[c] + ".png");
  // The title card shown while the song list is loaded.
  Image img(640, 480);
  FillSdf(img, [](float, float) { return -1.0f; }, VGrad{Rgb(0xFA6A3A), Rgb(0xE8402A), 0, 480});
  Rays(img, 320, 200, 24, WithAlpha(Rgb(0xFFD36A), 0.22f));
  Pose p;
  p.eyes = 1;
  p.mouth = 1;
  p.armL = 140;
  p.armR = 60;
  DrawMascot(img, 320, 190, 220, p);
  GradientText(img, "KODOBAN", Font::SansBold, 64, 320, 350, Rgb(0xFFF3A0), Rgb(0xFFB02A), pal::kInk, 5);
  Text(img, "こどばん", Font::Japanese, 26, 320, 405, pal::kWhite, pal::kInk, 3);
  SavePicture(img, "SongSelect/Load/bg_start.png");
  // "Saving" card, slid in at x 36 by the result screen and out by the song select.
  Image save(260, 90);
  Panel(save, 4, 4, 256, 86, 20, Rgb(0x2FA39A), pal::kInk, 3);
  Pose q;
  q.eyes = 3;
  q.mouth = 0;
  q.sticks = false;
  Image m(80, 80);
  DrawMascot(m, 40, 40, 70, q);
  Blit(save, m, 8, 6);
  Text(save, "セーブ中…", Font::Japanese, 22, 170, 34, pal::kWhite, pal::kInk, 2);
  Text(save, "SAVING", Font::SansBold, 14, 170, 62, Rgb(0xD8FFF4), Color{}, 0);
  SavePicture(save, "Result/Load/save.png");
}

void Course() {
  for (int c = 0; c < 5; ++c) {
    Image img(64, 64);
    DrawCourseEmblem(img, c, 32, 33, 25);
    SavePicture(img, std::string("SongSelect/Course/symbol_") + kCourseNames[c] + ".png");
  }
  struct Menu { const char* file; const char* text; Color c; };
  const Menu menus[4] = {{"menu_change", "へんこう", Rgb(0x2FA39A)}, {"menu_option", "オプション", Rgb(0xF08A24)},
                         {"menu_record", "きろく", Rgb(0x6A5AC8)}, {"menu_back", "もどる", Rgb(0x8A8A96)}};
  for (const Menu& m : menus) {
    Image img(46, 170);
    Panel(img, 2, 2, 44, 168, 12, m.c, pal::kInk, 2.5f);
    // Vertical text: one character per line (UTF-8 sequences kept whole).
    std::string t = m.text;
    std::vector<std::string> chars;
    for (size_t i = 0; i < t.size();) {
      size_t n = (t[i] & 0x80) == 0 ? 1 : ((t[i] & 0xE0) == 0xC0 ? 2 : ((t[i] & 0xF0) == 0xE0 ? 3 : 4));
      chars.push_back(t.substr(i, n));
      i += n;
    }
    float y0 = 85 - (chars.size() - 1) * 11.0f;
    for (size_t k = 0; k < chars.size(); ++k)
      Text(img, chars[k], Font::Japanese, 19, 23, y0 + k * 22, pal::kWhite, pal::kInk, 2);
    SavePicture(img, std::string("SongSelect/Course/") + m.file + ".png");
  }
  {
    Image img(72, 300);
    FillSdfColor(img, [](float x, float y) { return std::fabs(SdRoundRect(x, y, 4, 4, 68, 296, 16)) - 3.5f; }, Rgb(0xFFDE29));
    FillSdfColor(img, [](float x, float y) { return std::fabs(SdRoundRect(x, y, 4, 4, 68, 296, 16)) - 1.2f; }, pal::kWhite);
    for (int s = -1; s <= 1; s += 2) {
      std::vector<Pt> tri = {{36 - 10.0f, s < 0 ? 0.0f : 300.0f}, {36 + 10.0f, s < 0 ? 0.0f : 300.0f}, {36, s < 0 ? 14.0f : 286.0f}};
      OutlinedSdf(img, [&](float x, float y) { return SdPolygon(x, y, tri); }, [](float, float) { return Rgb(0xFFDE29); }, pal::kInk, 1.5f);
    }
    SavePicture(img, "SongSelect/Course/cursor.png");
  }
  {
    Image img(300, 320);
    Panel(img, 3, 3, 297, 317, 20, Rgb(0xFFF1D6), pal::kInk, 3);
    Panel(img, 60, 10, 240, 40, 12, Rgb(0xE8432E), pal::kInk, 2);
    Text(img, "コースをえらぶ", Font::Japanese, 16, 150, 25, pal::kWhite, Color{}, 0);
    SavePicture(img, "SongSelect/Course/course_panel.png");
    Image menu(220, 320);
    Panel(menu, 3, 3, 217, 317, 20, Rgb(0xE6E0D4), pal::kInk, 3);
    SavePicture(menu, "SongSelect/Course/menu_panel.png");
  }
}

void Characters() {
  for (int player = 1; player <= 2; ++player)
    for (int f = 0; f < 6; ++f) {
      Pose p;
      if (player == 2) p.band = Rgb(0x2E6FD6);
      float a = f / 6.0f * 2 * kPi;
      p.armL = 40 + (f == 3 ? 100 : 20 * std::sin(a));
      p.armR = 40 + 20 * std::sin(a + kPi);
      p.squash = 0.12f * std::sin(a * 2);
      p.eyes = f == 3 ? 1 : (f == 5 ? 3 : 0);
      p.mouth = f == 3 ? 1 : 0;
      Image img(110, 110);
      DrawMascot(img, 55, 60, 90, p);
      SavePicture(img, "SongSelect/Chara/chara_p" + std::to_string(player) + "_" + std::to_string(f + 1) + ".png");
    }
}

void Scores() {
  for (int c = 0; c < 5; ++c) {
    Image img(190, 44);
    Color col = CourseColor(c);
    Panel(img, 2, 2, 188, 42, 12, Lighter(col, 0.75f), Darker(col, 0.3f), 2);
    DrawCourseEmblem(img, c, 22, 22, 14);
    Text(img, kCourseTitles[c], Font::SansBold, 10, 58, 13, Darker(col, 0.35f), Color{}, 0);
    Text(img, "点", Font::Japanese, 14, 176, 27, Darker(col, 0.45f), Color{}, 0);
    SavePicture(img, std::string("SongSelect/Score/") + kCourseNames[c] + "_board.png");
  }
  for (int d = 0; d <= 9; ++d)
    SavePicture(LabelImage(17, 23, std::to_string(d), Font::SansBold, 19, Rgb(0x5A2A1A), Rgb(0x2A140C), pal::kWhite, 2),
                "SongSelect/Number/score_" + std::to_string(d) + ".png");
  SavePicture(Image(17, 23), "SongSelect/Number/score_10.png");  // blank
}

// Clear marks on the list bars.
void Status() {
  auto medal = [](Color c, const char* text, bool full) {
    Image img(46, 46);
    if (full) {
      auto st = StarPoints(23, 23, 22, 16, 12);
      OutlinedSdf(img, [&](float x, float y) { return SdPolygon(x, y, st); },
                  RadialGrad{Rgb(0xFFF3A0), Rgb(0xF2A81A), 18, 16, 26}, pal::kInk, 1.5f);
    }
    OutlinedSdf(img, [full](float x, float y) { return SdCircle(x, y, 23, 23, full ? 14.0f : 19.0f); },
                RadialGrad{Lighter(c, 0.4f), c, 18, 17, 22}, pal::kInk, 2);
    Text(img, text, Font::SansBold, full ? 10 : 12, 23, 23, pal::kWhite, pal::kInk, 1);
    return img;
  };
  SavePicture(medal(Rgb(0x9AA4AE), "NEW", false), "SongSelect/Status/new.png");
  SavePicture(medal(Rgb(0x4A4A5A), "x", false), "SongSelect/Status/failed.png");
  for (int c = 0; c < 5; ++c) {
    SavePicture(medal(CourseColor(c), "OK", false), std::string("SongSelect/Status/") + kCourseNames[c] + "_clear.png");
    SavePicture(medal(CourseColor(c), "FC", true), std::string("SongSelect/Status/") + kCourseNames[c] + "_fullcombo.png");
  }
}

}  // namespace

void DrawSelectPictures() {
  Background();
  Icons();
  Level();
  Load();
  Course();
  Characters();
  Scores();
  Status();
}

}  // namespace themegen
