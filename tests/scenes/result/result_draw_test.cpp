// The result screen as drawn: which background, message and full-combo picture a play gets,
// and the closing iris with the save picture. The title is 256 bytes valid in no encoding.
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
constexpr uint32_t kClearBg = 0xFF204060, kFailedBg = 0xFF402020, kClearMsg = 0xFF10E010,
                   kFailedMsg = 0xFFE01010, kFullCombo = 0xFFF0F020, kSave = 0xFF30A0A0;

#define EXPECT_COLOUR(pixel, c) EXPECT_RGB_NEAR(pixel, gfxtest::R(c), gfxtest::G(c), gfxtest::B(c))

class ResultDrawTest : public gfxtest::GraphicsTest {
 protected:
  void SetUp() override {
    gfxtest::GraphicsTest::SetUp();
    theme::SetDefaultLayouts();
    theme::ResetResultHandles();
    ra::Clear = Solid("clear.png", 640, 480, kClearBg);
    ra::Failed = Solid("failed.png", 640, 480, kFailedBg);
    ra::MessageClear = Solid("mc.png", 60, 40, kClearMsg);
    ra::MessageFailed = Solid("mf.png", 60, 40, kFailedMsg);
    ra::MessageFullcombo = Solid("fc.png", 40, 40, kFullCombo);
    ra::LoadBgEnd = Solid("end.png", 640, 480, 0xFF000000);
    ra::LoadSave = Solid("save.png", 100, 60, kSave);
    ra::TitleFont = graphics::CreateGameFont("ＭＳ ゴシック", 30);
    ra::SubTitleFont = graphics::CreateGameFont("ＭＳ ゴシック", 26);
    graphics::UploadPendingTextures();
    chart::ResetChartCompletely();
    std::memset(chart::TheChart.title, 0xFF, 256);
    for (int i = 0; i < 256; i += 2) std::memcpy(chart::TheChart.subtitle + i, "\x81\x7F", 2);
  }
  void TearDown() override {
    result::ReleaseResultPictures();
    theme::ResetResultHandles();
    gfxtest::GraphicsTest::TearDown();
  }
  void Begin(double gauge, int great, int bad) {
    result::ResultInput in;
    in.gauge = gauge, in.great = great, in.bad = bad;
    result::BeginResult(in);
  }
  void Draw(double t, bool leaving = false, double sinceLeave = 0.0) {
    result::DrawResultScreen({t, t, leaving, sinceLeave});
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
  const theme::ResultLayoutData& L = theme::ResultLayout;
  Begin(o.gauge, o.great, o.bad);
  Draw(22000);
  EXPECT_COLOUR(Pixel(5, 470), o.background);
  EXPECT_COLOUR(Pixel(L.message_p1_x, L.message_p1_y), o.message);
  Draw(25000);  // the message is gone, the full-combo picture has settled
  EXPECT_COLOUR(Pixel(L.fullcombo_p1_x, L.fullcombo_p1_y), o.fullCombo ? kFullCombo : o.background);
}
INSTANTIATE_TEST_SUITE_P(Plays, ResultPicturesTest,
                         testing::Values(Outcome{100.0, 50, 1, kClearBg, kClearMsg, false},  // one Bad
                                         Outcome{100.0, 50, 0, kClearBg, kClearMsg, true},
                                         Outcome{40.0, 5, 9, kFailedBg, kFailedMsg, false},
                                         Outcome{0.0, 0, 0, kFailedBg, kFailedMsg, false}));  // no notes

TEST_F(ResultDrawTest, LeavingClosesTheScreenAndRaisesTheSavePicture) {
  Begin(100.0, 10, 0);
  const uint32_t fill = shell::kDefaultLoadingColour;
  Draw(24500, true, 300);  // the iris is closing: the edges are covered, the middle not yet
  EXPECT_COLOUR(Pixel(2, 2), fill);
  EXPECT_COLOUR(Pixel(320, 240), 0xFF000000u);
  Draw(25000, true, result::kLeaveMs);
  EXPECT_COLOUR(Pixel(320, 240), fill);
  EXPECT_COLOUR(Pixel(40, 285), kSave);
  EXPECT_COLOUR(Pixel(40, 277), fill);
}

}  // namespace
}  // namespace resulttest
