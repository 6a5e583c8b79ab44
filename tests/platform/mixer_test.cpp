// The mixer by itself: PCM conversion, mixing arithmetic, command timing within a block,
// commands from other threads while the callback renders, and the devices it writes to.
#include "platform/mixer.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/time.h"
#include "support/files.h"

namespace {

using platform::MixerPcm;
using Samples = std::vector<int16_t>;

std::shared_ptr<const MixerPcm> Constant(int frames, int16_t left, int16_t right) {
  auto p = std::make_shared<MixerPcm>();
  for (int i = 0; i < frames; ++i) p->samples.insert(p->samples.end(), {left, right});
  return p;
}

Samples Convert(const std::vector<uint8_t>& data, int rate, int channels, int bits) {
  auto p = platform::MixerConvertPcm(data.data(), data.size(), rate, channels, bits);
  return p ? p->samples : Samples{};
}

// The first frame where the channel of an interleaved stereo stream sounds, or -1.
int64_t Onset(const Samples& stream, int channel) {
  for (size_t k = static_cast<size_t>(channel); k < stream.size(); k += 2)
    if (stream[k] != 0) return static_cast<int64_t>(k / 2);
  return -1;
}

class Mixer : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::TimeUseVirtualClock(5000.0, false);
    platform::MixerReset();
    platform::MixerOpenManual();
  }
  void TearDown() override {
    platform::MixerReset();
    platform::TimeUseRealClock();
  }
  Samples Render(int frames) {
    Samples out(static_cast<size_t>(frames) * 2);
    platform::MixerRender(out.data(), frames);
    return out;
  }
};

TEST_F(Mixer, ConvertsEveryWidthAndRefusesWhatItCannotPlay) {
  EXPECT_EQ(Convert({0, 128, 255, 64}, 44100, 1, 8), (Samples{-32768, -32768, 0, 0, 32512, 32512, -16384, -16384}));
  // 24-bit, three channels: the top 16 bits of the first two channels.
  EXPECT_EQ(Convert({0x11, 0x34, 0x12, 0x22, 0xcd, 0xab, 0x33, 0x00, 0x7f}, 44100, 3, 24),
            (Samples{0x1234, static_cast<int16_t>(0xabcd)}));
  EXPECT_EQ(Convert({1, 2, 0x00, 0x80, 1, 2, 0xff, 0x7f}, 44100, 2, 32), (Samples{-32768, 32767}));
  // Bytes, rate, channels, bits: a rate too low, no channels, an odd width, less than a frame.
  const uint8_t data[16] = {};
  const int refused[][4] = {{16, 99, 2, 16}, {16, 44100, 0, 16}, {16, 44100, 2, 12}, {3, 44100, 2, 16}};
  for (const auto& [bytes, rate, channels, bits] : refused)
    EXPECT_FALSE(platform::MixerConvertPcm(data, bytes, rate, channels, bits)) << bytes << " " << rate << " " << channels;
  EXPECT_FALSE(platform::MixerConvertPcm(nullptr, 16, 44100, 2, 16));
  EXPECT_FALSE(platform::MixerCreateBuffer(nullptr) >= 0);
}

TEST_F(Mixer, ResamplesToTheMixRateLinearly) {
  // Rate, frames in, frames out of a ramp, the same on both channels.
  const int rows[][3] = {{44100, 100, 100}, {22050, 100, 199}, {48000, 480, 441}, {11025, 10, 37}, {96000, 960, 441}};
  for (const auto& [rate, inFrames, outFrames] : rows) {
    std::vector<uint8_t> data;
    for (int i = 0; i < inFrames; ++i) {
      const int16_t v = static_cast<int16_t>(i * 10);
      data.insert(data.end(), {uint8_t(v & 0xff), uint8_t(v >> 8), uint8_t(v & 0xff), uint8_t(v >> 8)});
    }
    Samples s = Convert(data, rate, 2, 16);
    ASSERT_EQ(s.size(), 2u * outFrames) << rate;
    for (size_t j = 0; j < s.size() / 2; ++j) {
      ASSERT_NEAR(s[j * 2], static_cast<double>(j) * rate / 44100.0 * 10.0, 1.01) << rate << " " << j;
      ASSERT_EQ(s[j * 2], s[j * 2 + 1]);
    }
  }
}

TEST_F(Mixer, VoicesSumAndSaturateInsteadOfWrapping) {
  int a = platform::MixerCreateBuffer(Constant(2000, 20000, -20000));
  int b = platform::MixerCreateBuffer(Constant(2000, 20000, -20000));
  int c = platform::MixerCreateBuffer(Constant(2000, -5000, 5000));
  platform::MixerPlay(a, false);
  platform::MixerPlay(b, false);
  auto out = Render(1024);
  int64_t at = platform::kMixerLatencyFrames;
  EXPECT_EQ((Samples{out[at * 2 - 2], out[at * 2], out[at * 2 + 1]}), (Samples{0, 32767, -32768}));
  platform::MixerStop(b);
  platform::MixerPlay(c, false);
  out = Render(1024);
  // b stopped and c started at the same frame: 20000 - 5000
  bool seen = false;
  for (size_t i = 0; i < out.size(); i += 2) {
    seen = seen || (out[i] == 15000 && out[i + 1] == -15000);
    ASSERT_TRUE(out[i] == 32767 || out[i] == 15000) << i;
  }
  EXPECT_TRUE(seen);
}

TEST_F(Mixer, BuffersRunOutComeBackAndFallSilentWhenReleased) {
  auto pcm = Constant(10, 1, 1);
  std::vector<int> ids;
  for (int i = 0; i < platform::kMixerBuffers; ++i) ids.push_back(platform::MixerCreateBuffer(pcm));
  EXPECT_EQ(platform::MixerCreateBuffer(pcm), -1);
  platform::MixerReleaseBuffer(ids[7]);
  EXPECT_EQ(platform::MixerCreateBuffer(pcm), 7);
  EXPECT_EQ(std::pair(platform::MixerGetStatus(-1), platform::MixerGetStatus(platform::kMixerBuffers)), std::pair(-1, -1));
  platform::MixerReset();
  platform::MixerOpenManual();
  int a = platform::MixerCreateBuffer(Constant(5000, 300, 300));
  platform::MixerPlay(a, true);
  Render(1024);
  platform::MixerReleaseBuffer(a);
  EXPECT_EQ(Render(256), Samples(512, 0));
  EXPECT_EQ(platform::MixerPlay(a, false), -1);
}

// A position past the end is refused; stopping keeps the position.
TEST_F(Mixer, StatusAndPositionAgreeWithTheCommands) {
  int a = platform::MixerCreateBuffer(Constant(1000, 1, 1));
  platform::MixerPlay(a, true);
  EXPECT_EQ(platform::MixerSetPosition(a, 999), 0);
  EXPECT_EQ(platform::MixerSetPosition(a, 1000), -1);
  platform::MixerStop(a);
  EXPECT_EQ(platform::MixerGetStatus(a), 0);
  EXPECT_EQ(platform::MixerGetPosition(a), 999);
}

// A start due a moment ago lands on that moment's frame, 44.1 frames before one due now.
TEST_F(Mixer, AStartDueAMomentAgoLandsOnThatMomentsFrame) {
  const int due = platform::MixerCreateBuffer(Constant(64, 1000, 0));
  const int now = platform::MixerCreateBuffer(Constant(64, 0, 1000));
  Samples out;
  auto render = [&](int blocks) {
    for (int b = 0; b < blocks; ++b) {
      const Samples block = Render(platform::kMixerDeviceFrames);
      out.insert(out.end(), block.begin(), block.end());
      platform::TimeAdvanceVirtualMs(platform::kMixerDeviceFrames / 44.1);
    }
  };
  render(12);  // the stream clock settles
  platform::TimeAdvanceVirtualMs(2.0);
  const double moment = platform::TimeNowMs() - 1.0;
  int64_t dueFrame = -1, nowFrame = -1;
  ASSERT_EQ(platform::MixerPlayAt(due, false, moment, &dueFrame), 0);
  ASSERT_EQ(platform::MixerPlay(now, false, &nowFrame), 0);
  EXPECT_NEAR(static_cast<double>(dueFrame), platform::MixerStreamFrameAt(moment) + platform::kMixerLatencyFrames, 1.0);
  EXPECT_NEAR(static_cast<double>(nowFrame - dueFrame), 44.1, 1.0);
  render(6);
  EXPECT_EQ(std::pair(Onset(out, 0), Onset(out, 1)), std::pair(dueFrame, nowFrame));
}

// Commands from several threads while the callback renders on this one.
TEST_F(Mixer, MixerThreadsPlayWhileTheCallbackRenders) {
  std::vector<int> ids;
  for (int i = 0; i < 8; ++i) ids.push_back(platform::MixerCreateBuffer(Constant(300, 10, 10)));
  std::atomic<bool> stop{false};
  std::vector<std::thread> players;
  for (int t = 0; t < 3; ++t) {
    players.emplace_back([&, t] {
      for (int n = 0; !stop.load(std::memory_order_acquire); std::this_thread::yield()) {
        int id = ids[(n++ + t) % ids.size()];
        platform::MixerPlay(id, false);
        platform::MixerGetPosition(id);
        if (n % 7 == 0) platform::MixerStop(id);
        if (n % 11 == 0) platform::MixerSetPosition(id, n % 300);
      }
    });
  }
  int64_t peakAbs = 0;
  for (int i = 0; i < 400; ++i) {
    platform::TimeAdvanceVirtualMs(256 * 1000.0 / 44100.0);
    for (int16_t v : Render(256)) peakAbs = std::max<int64_t>(peakAbs, std::abs(v));
  }
  stop.store(true, std::memory_order_release);
  for (auto& th : players) th.join();
  EXPECT_LE(peakAbs, 80);  // never more than the eight voices at once
  EXPECT_EQ(platform::MixerRenderedFrames(), 400 * 256);
}

// Opens the mixer on an SDL audio driver, putting the environment back afterwards.
class MixerDevice : public ::testing::Test {
 protected:
  void Open(const char* driver, const std::string& file = "") {
    setenv("SDL_AUDIODRIVER", driver, 1);
    if (!file.empty()) setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    platform::MixerReset();
    ASSERT_EQ(platform::MixerOpen(), 0);
  }
  void TearDown() override {
    platform::MixerReset();
    platform::TimeUseRealClock();
    setenv("SDL_AUDIODRIVER", was_.c_str(), 1);
    unsetenv("SDL_DISKAUDIOFILE");
  }
  std::string was_ = std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "dummy";
};

// SDL's dummy driver keeps no time: the mixer stays on the clock (what a song does on the
// clock is the sound module's test). Nothing else opens the mixer on it.
TEST_F(MixerDevice, TheDummyDriverLeavesTheStreamOnTheClock) {
  platform::TimeUseVirtualClock(0.0, false);
  Open("dummy");
  EXPECT_FALSE(platform::MixerHasDevice());
  int a = platform::MixerCreateBuffer(Constant(44100, 1, 1));
  platform::MixerPlay(a, false);
  platform::TimeAdvanceVirtualMs(100.0);
  EXPECT_EQ(platform::MixerGetPosition(a), 4410);
}

// The disk driver is a device that writes the stream to a file.
TEST_F(MixerDevice, TheDiskDriverWritesTheMixedStream) {
  // Named by the process: the same case may run at once from another build.
  std::string file = ::testing::TempDir() + "/mixer_disk_driver_" + std::to_string(getpid()) + ".raw";
  Open("disk", file);
  EXPECT_TRUE(platform::MixerHasDevice());
  int a = platform::MixerCreateBuffer(Constant(1000, 77, 77));
  EXPECT_EQ(platform::MixerPlay(a, true), 0);
  for (int i = 0; i < 20000 && platform::MixerRenderedFrames() < 4 * platform::kMixerLatencyFrames; ++i) {
    platform::TimeSleepMs(1);
  }
  platform::MixerClose();
  EXPECT_FALSE(platform::MixerHasDevice());
  // closing keeps the buffers and their state
  EXPECT_EQ(platform::MixerGetStatus(a), platform::kMixerPlaying | platform::kMixerLooping);
  platform::MixerReset();
  const std::string bytes = testsupport::ReadFile(file);
  std::remove(file.c_str());
  Samples s(bytes.size() / 2);
  std::memcpy(s.data(), bytes.data(), s.size() * 2);
  EXPECT_GE(std::count(s.begin(), s.end(), 77), 2 * platform::kMixerLatencyFrames);
}

// The paced output (KODOBAN_PACED_AUDIO) writes the stream at the clock's own rate with each
// sound on the stream frame its start promised.
TEST(MixerPacedOutput, WritesTheStreamAtTheClockRateWithEachSoundOnItsPromisedFrame) {
  platform::TimeUseRealClock();
  platform::MixerReset();
  // Named by the process: the same case may run at once from another build.
  const std::string path = testing::TempDir() + "/kodoban_paced_output_" + std::to_string(getpid()) + ".raw";
  setenv("KODOBAN_PACED_AUDIO", path.c_str(), 1);
  const double opened = platform::TimeNowMs();
  ASSERT_EQ(platform::MixerOpen(), 0);
  unsetenv("KODOBAN_PACED_AUDIO");
  EXPECT_TRUE(platform::MixerHasDevice());

  const int id = platform::MixerCreateBuffer(Constant(32, 12000, 12000));
  platform::TimeSleepMs(60);
  int64_t promised = -1;
  ASSERT_EQ(platform::MixerPlay(id, false, &promised), 0);
  platform::TimeSleepMs(100);
  platform::MixerClose();
  const double closed = platform::TimeNowMs();

  const std::string bytes = testsupport::ReadFile(path);
  std::remove(path.c_str());
  std::vector<int16_t> stream(bytes.size() / 2);
  std::memcpy(stream.data(), bytes.data(), stream.size() * 2);
  const int64_t frames = static_cast<int64_t>(stream.size() / 2);
  EXPECT_EQ(frames, platform::MixerRenderedFrames());
  // one buffer per deadline from the opening to the closing, give or take the last ones
  EXPECT_NEAR(static_cast<double>(frames), (closed - opened) * 44.1, 3.0 * platform::kMixerDeviceFrames);
  EXPECT_EQ(Onset(stream, 0), promised);
  platform::MixerReset();
}

}  // namespace
