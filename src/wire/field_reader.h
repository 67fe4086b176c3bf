#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace brindle::wire {

namespace detail {

// The value of eight ASCII digits in memory order, the first in the low byte, of which the low
// bytes may be zero bytes standing for leading zeros.
inline std::uint64_t eight_digits(std::uint64_t bytes) {
  bytes = ((bytes & 0x0F0F0F0F0F0F0F0FULL) * 2561) >> 8;
  bytes = ((bytes & 0x00FF00FF00FF00FFULL) * 6553601) >> 16;
  return ((bytes & 0x0000FFFF0000FFFFULL) * 42949672960001ULL) >> 32;
}

// How many of the eight bytes, from the low one on, are decimal digits before the first that is not.
inline int leading_digits(std::uint64_t bytes) {
  constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
  const std::uint64_t offset = bytes ^ 0x3030303030303030ULL;  // a digit's byte becomes 0-9
  // A byte is no digit when its bit 7 is set or, without it, it is 10 or more.
  const std::uint64_t others = (((offset & ~kHigh) + 0x7676767676767676ULL) | offset) & kHigh;
  return others == 0 ? 8 : std::countr_zero(others) / 8;
}

inline constexpr std::array<double, 16> kExactPowersOfTen = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                             1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// Digits with at most one point, fifteen at most, from `number` up to the separator or `end`:
// the digits as an integer divided by an exact power of ten, which rounds once, correctly, as
// from_chars does. False for any other number.
inline bool plain_decimal(const char* text, std::size_t end, char separator, const char* number,
                          double& value, const char*& stop) {
  const char* const last = text + end;
  std::uint64_t digits = 0;
  int count = 0;
  std::size_t places = 0;
  bool seen_point = false;
  const char* p = number;
  for (; p < last && count <= 15; ++p) {
    const auto digit = static_cast<unsigned char>(*p - '0');
    if (digit <= 9) {
      digits = digits * 10 + digit;
      ++count;
      if (seen_point) ++places;
    } else if (*p == '.' && !seen_point) {
      seen_point = true;
    } else {
      break;
    }
  }
  if (count == 0 || count > 15 || (p != last && *p != separator)) return false;
  value = static_cast<double>(digits) / kExactPowersOfTen[places];
  stop = p;
  return true;
}

}  // namespace detail

// Takes separator-delimited fields off the front of a GBK text, one per call, and hands each out
// decoded (field escapes, "null" as empty) and converted to UTF-8.
//
// The reader does not copy or modify the text: it keeps a cursor, so reading every field of a text
// of n bytes costs O(n) in all. Scanning is double-byte aware: a GBK trail byte is never taken for
// the separator or the escape character. Numbers are read straight from the bytes: only a text
// field is decoded and converted, and no field costs an allocation of its own.
class FieldReader {
 public:
  static constexpr std::size_t kDefaultCapacity = 1024;
  static constexpr std::size_t kMaxFieldBytes = 4095;

  explicit FieldReader(std::string_view gbk_text, char separator = '|');
  explicit FieldReader(const char* gbk_text, char separator = '|')
      : FieldReader(std::string_view(gbk_text), separator) {}
  // The reader views the text: a temporary string would be gone before the first field.
  FieldReader(std::string&&, char = '|') = delete;

  // Removes the next field and stores its decoded UTF-8 value in `out`, cut (in GBK bytes, at a
  // character boundary) to capacity − 1. Returns the field's length as it stood in the text: 0 for
  // an empty field and on every call past the last field.
  std::size_t next(std::string& out, std::size_t capacity = kDefaultCapacity);

  // Reads as next() with the default capacity then to_integer or to_decimal would: the decimal
  // integer (leading blanks skipped, trailing junk ignored, empty reads 0) and the decimal number.
  std::string text(std::size_t capacity = kDefaultCapacity);
  int integer() {
    // The usual number, one to seven digits after the separator, is read here; any other goes
    // the whole way.
    if constexpr (std::endian::native == std::endian::little) {
      const char* const t = text_.data();
      std::size_t at = pos_;
      if (at < end_ && t[at] == separator_) ++at;
      if (at + 8 <= text_.size()) {
        std::uint64_t bytes = 0;
        std::memcpy(&bytes, t + at, sizeof bytes);
        const int count = detail::leading_digits(bytes);
        const std::size_t stop = at + static_cast<std::size_t>(count);
        if (count > 0 && count < 8 && (stop == end_ || (stop < end_ && t[stop] == separator_))) {
          pos_ = stop;
          return static_cast<int>(detail::eight_digits(bytes << (8 * (8 - count))));
        }
      }
    }
    return integer_in_full();
  }
  double decimal() {
    const char* const t = text_.data();
    std::size_t at = pos_;
    if (at < end_ && t[at] == separator_) ++at;
    double value = 0.0;
    const char* stop = nullptr;
    if (at < end_ && detail::plain_decimal(t, end_, separator_, t + at, value, stop)) {
      pos_ = static_cast<std::size_t>(stop - t);
      return value;
    }
    return decimal_in_full();
  }
  // Steps over the next field.
  void skip();
  // The next field read as integer() reads it, left where it is.
  int peek_integer();

  // True when a field handed out so far held bytes that are not GBK (shown as U+FFFD).
  bool had_invalid_bytes() const { return had_invalid_; }

 private:
  static constexpr std::size_t kShortFieldBytes = 256;
  static constexpr std::size_t kNotShort = static_cast<std::size_t>(-1);
  // next() for a field of up to kShortFieldBytes, in one pass; kNotShort for a longer one.
  std::size_t next_short(std::size_t start, std::string& out);
  // next() by a scan for the field's end, then its decoding.
  std::size_t next_scanned(std::size_t start, std::string& out, std::size_t room);
  int integer_in_full();
  double decimal_in_full();
  // Steps to the start of the next field; false when it is empty (or there is none).
  bool begin_field(std::size_t& start);
  // Reads the field again from `origin` as next() does, for a number the plain path cannot take.
  std::string_view long_way(std::size_t origin);
  // An empty field, or one that is "null" in any case: steps over it.
  bool is_null_field(std::size_t start);

  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;  // the text without its trailing blanks
  char separator_;
  bool had_invalid_ = false;
  std::string scratch_;        // the decoded GBK of the current field, reused from call to call
  std::string scratch_field_;  // a number's field that took the long way
};

// The C library's decimal conversions as the replies rely on them, independent of the locale.
// to_integer: leading whitespace, an optional sign and digits; no digits read 0; a value beyond
// int is clamped. to_decimal: leading whitespace, an optional sign and a decimal number; trailing
// junk is ignored, no number reads 0, overflow gives infinity and underflow 0.
int to_integer(std::string_view text);
double to_decimal(std::string_view text);

}  // namespace brindle::wire
