#include "library/record_file.h"

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "library/scrambler.h"
#include "library_test_util.h"

namespace {

using library::PlayOutcome;
using library::SongRecord;
using library_test::TempSongFolder;

SongRecord Zero() {
  SongRecord r;
  std::memset(&r, 0, sizeof r);
  return r;
}

SongRecord SampleRecord() {
  SongRecord r = Zero();
  for (int c = 0; c < 5; ++c) {
    r.bestScore[c] = 1000000 + c * 123457, r.clearStatus[c] = c % 4, r.maxCombo[c] = 300 + c, r.greatCount[c] = 250 + c;
    r.goodCount[c] = 40 + c, r.badCount[c] = 10 + c, r.rollCount[c] = 77 + c, r.playCount[c] = 5 + c;
  }
  return r;
}

bool Same(const SongRecord& a, const SongRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Each write has its own salt: the bytes differ, the record read back does not. (Writing and
// reading the file itself shows in every record the folder scan reads.)
TEST(RecordFile, RoundTripWithAnySalt) {
  SongRecord written = SampleRecord(), read;
  written.bestScore[3] = -5;  // a score is 32 bits with its sign
  uint8_t a[174], b[174];
  library::EncodeRecordFile(written, 1, a);
  library::EncodeRecordFile(written, 2, b);
  EXPECT_NE(std::memcmp(a, b, 174), 0);
  EXPECT_EQ(library::DecodeRecordFile(b, &read), 0);
  EXPECT_TRUE(Same(read, written));
}

TEST(RecordFile, PlainLayoutIsBigEndianWithChecksumAndCountersStopAtSixteenBits) {
  SongRecord r = Zero();
  r.bestScore[1] = 0x01020304;
  r.clearStatus[1] = 3;
  r.playCount[1] = 0x0506;
  r.rollCount[0] = 70000;
  r.playCount[0] = 65536;
  uint8_t bytes[174];
  library::EncodeRecordFile(r, 1234, bytes);
  SongRecord back;
  ASSERT_EQ(library::DecodeRecordFile(bytes, &back), 0);
  EXPECT_EQ((std::vector<int>{back.rollCount[0], back.playCount[0]}), (std::vector<int>{65535, 65535}));
  library::Unscramble(bytes, sizeof bytes);
  for (int i = 0; i < 16; ++i) EXPECT_LT(bytes[i], 255);
  const uint8_t* normal = bytes + 16 + 25;
  EXPECT_EQ((std::vector<int>{normal[0], normal[3], normal[4], normal[15], normal[16]}),
            (std::vector<int>{1, 4, 3, 5, 6}));
  char digest[33];
  chart::BufferDigest(bytes, 141, digest);
  EXPECT_EQ(std::memcmp(bytes + 141, digest, 33), 0);
  EXPECT_EQ(bytes[173], 0);
}

TEST(RecordFile, AnyChangedByteReadsAsAllZero) {
  uint8_t good[174], bad[174];
  library::EncodeRecordFile(SampleRecord(), 99, good);
  for (int at = 0; at < 174; ++at) {
    for (uint8_t flip : {0x01, 0x80, 0xFF}) {
      std::memcpy(bad, good, sizeof bad);
      bad[at] ^= flip;
      SongRecord r = SampleRecord();
      EXPECT_EQ(library::DecodeRecordFile(bad, &r), -1) << "byte " << at;
      EXPECT_TRUE(Same(r, Zero())) << "byte " << at;
    }
  }
}

TEST(RecordFile, EveryWrongLengthReadsAsZero) {
  TempSongFolder tmp;
  ASSERT_EQ(library::WriteSongRecord("r.dat", SampleRecord()), 0);
  std::string good = TempSongFolder::Read("r.dat");
  ASSERT_EQ(good.size(), 174u);
  for (size_t len = 0; len <= 400; ++len) {
    std::string bytes = good.substr(0, len);
    bytes.resize(len, static_cast<char>(len));
    TempSongFolder::File("w.dat", bytes);
    SongRecord r = SampleRecord();
    // Bytes after the 174 of a record are not read: the record stands.
    EXPECT_EQ(library::ReadSongRecord("w.dat", &r), len >= 174 ? 0 : -1) << len;
    EXPECT_TRUE(len >= 174 || Same(r, Zero())) << len;
  }
  SongRecord r = SampleRecord();
  EXPECT_EQ(library::ReadSongRecord("missing.dat", &r), -1);
  EXPECT_TRUE(Same(r, Zero()));
}

PlayOutcome Play(int course, int score, double gauge, int bad, int great = 100) {
  PlayOutcome p{};
  p.course = course, p.score = score, p.maxCombo = p.greatCount = great, p.goodCount = 3, p.badCount = bad;
  p.rollCount = 9, p.finalGauge = gauge, p.clearThreshold = course == 0 ? 60 : (course == 1 ? 70 : 80);
  return p;
}

// Two plays, then the second play's course: best score, clear status, Greats, plays.
TEST(RecordUpdate, Rules) {
  const std::tuple<const char*, PlayOutcome, PlayOutcome, std::vector<int>> rows[] = {
      {"lower score keeps the best, raises the status", Play(3, 500000, 50, 4, 90), Play(3, 400000, 85, 1, 70),
       {500000, 2, 90, 2}},
      {"higher score takes its counters", Play(3, 500000, 90, 2, 90), Play(3, 600000, 40, 8, 95), {600000, 2, 95, 2}},
      {"status never falls", Play(2, 900000, 100, 0, 200), Play(2, 10, 0, 50, 1), {900000, 3, 200, 2}},
      {"clear at the threshold exactly", Play(0, 0, 0, 0, 0), Play(0, 1, 60, 3, 5), {1, 2, 5, 2}},
      {"first play stores score zero", Play(4, 0, 0, 0, 0), Play(1, 0, 10, 2, 5), {0, 1, 5, 1}},
      {"equal score keeps the first counters", Play(3, 1000, 100, 0, 10), Play(3, 1000, 100, 0, 11), {1000, 3, 10, 2}}};
  for (const auto& [name, first, second, want] : rows) {
    SongRecord r = Zero();
    library::ApplyPlayToRecord(first, &r);
    library::ApplyPlayToRecord(second, &r);
    const int c = second.course;
    EXPECT_EQ((std::vector<int>{r.bestScore[c], r.clearStatus[c], r.greatCount[c], r.playCount[c]}), want) << name;
  }
}

// The rules themselves are the table above; here the file of the song, bad courses, and a
// damaged record that starts fresh.
TEST(RecordUpdate, AfterPlayWritesTheSongsFileAndSkipsBadCourses) {
  TempSongFolder tmp;
  const std::string id = "0123456789ABCDEF0123456789ABCDEF", file = "./Files/Save/" + id + ".dat";
  EXPECT_EQ(library::UpdateSongRecordAfterPlay(id.c_str(), Play(5, 1, 100, 0)), -1);
  EXPECT_EQ(library::UpdateSongRecordAfterPlay(id.c_str(), Play(-1, 1, 100, 0)), -1);
  TempSongFolder::File(file, std::string(174, '\x42'));
  ASSERT_EQ(library::UpdateSongRecordAfterPlay(id.c_str(), Play(1, 1234, 10, 3)), 0);
  SongRecord r;
  ASSERT_EQ(library::ReadSongRecord(file.c_str(), &r), 0);
  EXPECT_EQ((std::vector<int>{r.playCount[1], r.bestScore[1], r.clearStatus[1]}), (std::vector<int>{1, 1234, 1}));
}

}  // namespace
