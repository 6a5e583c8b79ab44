#include "chart/tja_text.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <sys/types.h>

namespace chart {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

double ReadDecimal(const char* text) {
  const char* p = text;
  while (IsBlank(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  const char* start = p;
  int digits = 0;
  while (IsDigit(*p)) ++p, ++digits;
  if (*p == '.') {
    ++p;
    while (IsDigit(*p)) ++p, ++digits;
  }
  if (digits == 0) return 0.0;
  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    if (*q == '+' || *q == '-') ++q;
    if (IsDigit(*q)) {
      while (IsDigit(*q)) ++q;
      p = q;
    }
  }
  // from_chars takes no leading '+', is independent of the locale and reads no hex or inf/nan;
  // the text handed to it is exactly the number found above.
  double value = 0.0;
  auto result = std::from_chars(start, p, value, std::chars_format::general);
  if (result.ec != std::errc() || !std::isfinite(value)) return 0.0;
  return negative ? -value : value;
}

int ReadInteger(const char* text) {
  const char* p = text;
  while (IsBlank(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  long long value = 0;
  while (IsDigit(*p)) {
    value = value * 10 + (*p - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    ++p;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  if (value < INT_MIN) value = INT_MIN;
  return static_cast<int>(value);
}

TjaLineReader::TjaLineReader(FILE* file) : file_(file) { line_[0] = '\0'; }

bool TjaLineReader::Refill() {
  base_ += static_cast<int64_t>(end_);
  pos_ = 0;
  end_ = file_ ? std::fread(buf_, 1, sizeof buf_, file_) : 0;
  return end_ > 0;
}

int TjaLineReader::RawByte() {
  if (pos_ >= end_ && !Refill()) return EOF;
  return buf_[pos_++];
}

int TjaLineReader::PeekRawByte() {
  if (pos_ >= end_ && !Refill()) return EOF;
  return buf_[pos_];
}

bool TjaLineReader::NextLine() {
  // A UTF-8 byte order mark at the very start of the file is no part of the first line.
  if (base_ == 0 && pos_ == 0 && PeekRawByte() == 0xEF && end_ >= 3 && buf_[1] == 0xBB &&
      buf_[2] == 0xBF)
    pos_ = 3;
  size_t n = 0;
  bool any = false;
  while (n < static_cast<size_t>(kLinePieceBytes)) {
    int c = RawByte();
    if (c == EOF) break;
    any = true;
    if (c == '\r' && PeekRawByte() == '\n') c = RawByte();  // text mode: CR LF reads as LF
    if (c == '\n') break;                                   // the LF itself is dropped
    line_[n++] = static_cast<char>(c);
  }
  line_[n] = '\0';
  length_ = std::strlen(line_);
  return any;
}

bool TjaLineReader::SeekTo(int64_t offset) {
  if (file_ == nullptr || fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
  base_ = offset;
  pos_ = end_ = 0;
  return true;
}

}  // namespace chart
