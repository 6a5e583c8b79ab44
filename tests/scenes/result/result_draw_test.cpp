// The result screen as drawn: which background, message and full-combo picture a play gets,
// and the closing iris with the save picture.
#include <cstring>

#include "chart/chart.h"
#include "graphics/graphics_fixture.h"
#include "scenes/result/result_draw.h"
#include "scenes/result/result_state.h"
#include "shell/scene_change.h"
#include "theme/assets.h"
#include "theme/layout.h"

namespace resulttest {
namespace {

namespace ra = theme::result_assets;

constexpr uint32_t kClearBg = 0xFF204060, kFailedBg = 0xFF402020;
constexpr uint32_t kClearMsg = 0xFF10E010, kFailedMsg = 0xFFE01010, kFullCombo = 0xFFF0F020;
constexpr uint32_t kSave = 0xFF30A0A0;

class ResultDrawTest : public gfxtest::GraphicsTest {
 protected:
  void SetUp() override {
    gfxtest::GraphicsTest::SetUp();
    theme::SetDefaultLayouts();
    theme::ResetResultHandles();
    using gfxtest::WriteSolidPng;
    ra::Clear = graphics::LoadTexture(WriteSolidPng("clear.png", 640, 480, kClearBg).c_str());
    ra::Failed = graphics::LoadTexture(WriteSolidPng("failed.png", 640, 480, kFailedBg).c_str());
    ra::MessageClear = graphics::LoadTexture(WriteSolidPng("mc.png", 60, 40, kClearMsg).c_str());
    ra::MessageFailed = graphics::LoadTexture(WriteSolidPng("mf.png", 60, 40, kFailedMsg).c_str());
    ra::MessageFullcombo = graphics::LoadTexture(WriteSolidPng("fc.png", 40, 40, kFullCombo).c_str());
    ra::LoadBgEnd = graphics::LoadTexture(WriteSolidPng("end.png", 640, 480, 0xFF000000).c_str());
    ra::LoadSave = graphics::LoadTexture(WriteSolidPng("save.png", 100, 60, kSave).c_str());
    ra::TitleFont = graphics::CreateGameFont("ＭＳ ゴシック", 30);
    ra::SubTitleFont = graphics::CreateGameFont("ＭＳ ゴシック", 26);
    graphics::UploadPendingTextures();
    // A title of 256 bytes that is neither Shift-JIS nor UTF-8.
    chart::ResetChartCompletely();
    std::memset(chart::TheChart.title, 0xFF, 256);
    chart::TheChart.title[256] = 0;
    for (int i = 0; i < 255; i += 2) chart::TheChart.subtitle[i] = char(0x81), chart::TheChart.subtitle[i + 1] = char(0x7F);
  }
  void TearDown() override {
    result::ReleaseResultPictures();
    theme::ResetResultHandles();
    result::ResetResultState();
    gfxtest::GraphicsTest::TearDown();
  }
  void Draw(double t, bool leaving = false, double sinceLeave = 0.0) {
    result::ResultFrameTimes times{t, t, leaving, sinceLeave};
    result::DrawResultScreen(times);
  }
};

struct Outcome {
  double gauge;
  int great, bad;
  uint32_t background, message;
  bool fullCombo;
};
class ResultPicturesTest : public ResultDrawTest, public testing::WithParamInterface<Outcome> {};

TEST_P(ResultPicturesTest, BackgroundMessageAndFullComboFollowThePlay) {
  const Outcome o = GetParam();
  result::ResultInput in;
  in.gauge = o.gauge;
  in.great = o.great;
  in.bad = o.bad;
  result::BeginResult(in);
  const theme::ResultLayoutData& L = theme::ResultLayout;

  Draw(22000);
  EXPECT_RGB_NEAR(Pixel(5, 470), gfxtest::R(o.background), gfxtest::G(o.background), gfxtest::B(o.background));
  EXPECT_RGB_NEAR(Pixel(L.message_p1_x, L.message_p1_y), gfxtest::R(o.message), gfxtest::G(o.message),
                  gfxtest::B(o.message));
  Draw(25000);  // message gone, full-combo picture settled
  const uint32_t fc = Pixel(L.fullcombo_p1_x, L.fullcombo_p1_y);
  if (o.fullCombo)
    EXPECT_RGB_NEAR(fc, gfxtest::R(kFullCombo), gfxtest::G(kFullCombo), gfxtest::B(kFullCombo));
  else
    EXPECT_RGB_NEAR(fc, gfxtest::R(o.background), gfxtest::G(o.background), gfxtest::B(o.background));
}
INSTANTIATE_TEST_SUITE_P(Plays, ResultPicturesTest,
                         testing::Values(Outcome{100.0, 50, 1, kClearBg, kClearMsg, false},  // one Bad
                                         Outcome{100.0, 50, 0, kClearBg, kClearMsg, true},
                                         Outcome{40.0, 5, 9, kFailedBg, kFailedMsg, false},
                                         Outcome{0.0, 0, 0, kFailedBg, kFailedMsg, false}));  // no notes

TEST_F(ResultDrawTest, LeavingClosesTheScreenAndRaisesTheSavePicture) {
  result::ResultInput in;
  in.gauge = 100.0;
  in.great = 10;
  result::BeginResult(in);
  const uint32_t colour = shell::kDefaultLoadingColour;
  Draw(24500, true, 300);  // the iris is closing: the edges are already covered
  EXPECT_RGB_NEAR(Pixel(2, 2), gfxtest::R(colour), gfxtest::G(colour), gfxtest::B(colour));
  EXPECT_RGB_NEAR(Pixel(320, 240), 0, 0, 0);
  Draw(25000, true, result::kLeaveMs);
  EXPECT_RGB_NEAR(Pixel(320, 240), gfxtest::R(colour), gfxtest::G(colour), gfxtest::B(colour));
  EXPECT_RGB_NEAR(Pixel(40, 285), gfxtest::R(kSave), gfxtest::G(kSave), gfxtest::B(kSave));
  EXPECT_RGB_NEAR(Pixel(40, 277), gfxtest::R(colour), gfxtest::G(colour), gfxtest::B(colour));
}

}  // namespace
}  // namespace resulttest
