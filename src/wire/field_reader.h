#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brindle::wire {

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
  int integer();
  double decimal();
  // Steps over the next field.
  void skip();
  // The next field read as integer() reads it, left where it is.
  int peek_integer();

  // True when a field handed out so far held bytes that are not GBK (shown as U+FFFD).
  bool had_invalid_bytes() const { return had_invalid_; }

 private:
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
