// Reading TJA text the way the chart loader does: lines in pieces of at most 999 bytes, a CR LF
// pair ending a line like a lone LF, and the lenient number conversions of the format
// (leading blanks, sign, digits, point, exponent; no number reads as 0).
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace chart {

constexpr int kLinePieceBytes = 999;  // longest piece of a physical line read at once

// Decimal number at text: blanks, sign, digits, point, digits, exponent. Stops at the first
// other character. No number, or a number beyond the range of a double, reads as 0.
double ReadDecimal(const char* text);
// Whole number at text: blanks, sign, digits. No digits read as 0; saturates at the int range.
int ReadInteger(const char* text);

// Reads a chart file line by line as the loader sees it. Each line is a piece of at most 999
// bytes with its ending LF removed; a NUL byte ends the line's text early (the rest of the
// piece is not seen), as with C string handling. A UTF-8 byte order mark at the start of the
// file is skipped, as the library's readers skip it.
class TjaLineReader {
 public:
  explicit TjaLineReader(FILE* file);
  // Reads the next line; false at the end of the file.
  bool NextLine();
  const char* Line() const { return line_; }
  size_t Length() const { return length_; }
  // File position of the next line, for SeekTo.
  int64_t Offset() const { return base_ + static_cast<int64_t>(pos_); }
  // Continues reading at a position taken from Offset(). False when the file can't seek.
  bool SeekTo(int64_t offset);

 private:
  int RawByte();
  int PeekRawByte();
  bool Refill();

  FILE* file_;
  int64_t base_ = 0;  // file position of buf_[0]
  size_t pos_ = 0;
  size_t end_ = 0;
  size_t length_ = 0;
  unsigned char buf_[1 << 16];
  char line_[kLinePieceBytes + 1];
};

}  // namespace chart
