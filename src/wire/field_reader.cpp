#include "wire/field_reader.h"

#include <array>
#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "wire/field_escapes.h"
#include "wire/gbk.h"

namespace brindle::wire {
namespace {

// Line breaks count as spaces wherever they stand in the remaining text.
constexpr bool is_blank(char c) { return c == ' ' || c == '\r' || c == '\n'; }

constexpr bool is_c_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// What the scan notes about each byte outside a double-byte character. Most fields hold no
// escape, line break or high byte and are handed out as they stand.
constexpr unsigned char kRewrittenByte = 1;  // "^", CR, LF
constexpr unsigned char kLeadByte = 2;
constexpr unsigned char kOtherHighByte = 4;  // 0x80 and 0xFF

constexpr std::array<unsigned char, 256> make_byte_kinds() {
  std::array<unsigned char, 256> kinds{};
  kinds['^'] = kRewrittenByte;
  kinds['\r'] = kRewrittenByte;
  kinds['\n'] = kRewrittenByte;
  for (unsigned b = 0x80; b <= 0xFF; ++b)
    kinds[b] = is_gbk_lead(static_cast<unsigned char>(b)) ? kLeadByte : kOtherHighByte;
  return kinds;
}
constexpr std::array<unsigned char, 256> kByteKinds = make_byte_kinds();

constexpr bool is_lead_range(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// How many bytes from i on lie in 0x81-0xFE.
std::size_t lead_run_length(const unsigned char* data, std::size_t i, std::size_t end) {
  std::size_t j = i;
#if defined(__SSE2__)
  const __m128i below = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i above = _mm_set1_epi8(static_cast<char>(0xFF));
  while (j + 16 <= end) {
    // As signed bytes 0x81-0xFE are -127..-2.
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + j));
    const __m128i in_range = _mm_and_si128(_mm_cmpgt_epi8(v, below), _mm_cmplt_epi8(v, above));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(in_range));
    if (mask != 0xFFFF) return j - i + static_cast<std::size_t>(std::countr_zero(~mask));
    j += 16;
  }
#endif
  while (j < end && is_lead_range(data[j])) ++j;
  return j - i;
}

// The end of the field that starts at i: the next separator outside a double-byte character, or
// `end`. Notes in `kinds` what the field holds. Plain ASCII is skipped sixteen bytes at a time.
std::size_t scan_field(const unsigned char* data, std::size_t i, std::size_t end, unsigned char separator,
                       unsigned& kinds) {
#if defined(__SSE2__)
  const __m128i separators = _mm_set1_epi8(static_cast<char>(separator));
  const __m128i carets = _mm_set1_epi8('^');
  const __m128i returns = _mm_set1_epi8('\r');
  const __m128i feeds = _mm_set1_epi8('\n');
#endif
  while (i < end) {
#if defined(__SSE2__)
    while (i + 16 <= end) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
      const auto at_separator = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, separators)));
      const __m128i rewritten = _mm_or_si128(
          _mm_cmpeq_epi8(v, carets), _mm_or_si128(_mm_cmpeq_epi8(v, returns), _mm_cmpeq_epi8(v, feeds)));
      // movemask of v itself gives the high bytes.
      const auto mask =
          at_separator | static_cast<unsigned>(_mm_movemask_epi8(rewritten) | _mm_movemask_epi8(v));
      if (mask != 0) {
        const auto first = static_cast<unsigned>(std::countr_zero(mask));
        i += first;
        if (((at_separator >> first) & 1) != 0) return i;
        break;
      }
      i += 16;
    }
    if (i >= end) break;
#endif
    const unsigned char b = data[i];
    if (b == separator) return i;
    const unsigned char kind = kByteKinds[b];
    kinds |= kind;
    if (kind != kLeadByte) {
      ++i;
      continue;
    }
    // A run of bytes that can all be lead bytes is read in pairs from its start, every second
    // byte being a valid trail byte; only an odd last byte pairs with what follows the run.
    const std::size_t run = lead_run_length(data, i, end);
    i += run & ~std::size_t{1};
    if ((run & 1) != 0) i += i + 1 < end && is_gbk_trail(data[i + 1]) ? 2u : 1u;
  }
  return i;
}

bool equals_null_ignoring_case(std::string_view s) {
  if (s.size() != 4) return false;
  constexpr std::string_view kNull = "null";
  for (std::size_t i = 0; i < 4; ++i) {
    char c = s[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kNull[i]) return false;
  }
  return true;
}

// equals_null_ignoring_case for four bytes: setting bit 5 folds exactly the capitals N, U and L
// onto their small letters and maps no other byte onto them.
bool is_null_word(const char* p) {
  std::uint32_t word = 0;
  std::memcpy(&word, p, sizeof word);
  std::uint32_t null_word = 0;
  std::memcpy(&null_word, "null", sizeof null_word);
  return (word | 0x20202020u) == null_word;
}

// A field with escapes or line breaks, or one to cut: kept out of line so that the usual field's
// path stays short.
[[gnu::noinline]] void decode_unusual_field(std::string_view raw, std::size_t room, unsigned kinds,
                                            std::string& out, std::string& scratch, bool& had_invalid) {
  std::string_view value = raw.substr(0, gbk_prefix_length(raw, FieldReader::kMaxFieldBytes));
  if ((kinds & kRewrittenByte) != 0) {
    scratch.clear();
    append_decoded_field(value, scratch, true);
    value = scratch;
  }
  if (equals_null_ignoring_case(value)) return;
  value = value.substr(0, gbk_prefix_length(value, room));
  if ((kinds & (kLeadByte | kOtherHighByte)) == 0) {
    out.append(value);
  } else {
    append_gbk_as_utf8(value, out, &had_invalid);
  }
}

}  // namespace

FieldReader::FieldReader(std::string_view gbk_text, char separator)
    : text_(gbk_text), end_(gbk_text.size()), separator_(separator) {
  // The trailing blanks of a suffix are those of the whole text, so they are found once.
  while (end_ > 0 && is_blank(text_[end_ - 1])) --end_;
}

bool FieldReader::begin_field(std::size_t& start) {
  const char* const text = text_.data();
  start = pos_;
  while (start < end_ && is_blank(text[start])) ++start;
  if (start >= end_) {
    pos_ = start;
    return false;
  }
  if (text[start] == separator_) {
    ++start;
    // "||": an empty field; the second separator stays for the next call.
    if (start < end_ && text[start] == separator_) {
      pos_ = start;
      return false;
    }
  }
  return true;
}

std::size_t FieldReader::next(std::string& out, std::size_t capacity) {
  out.clear();
  std::size_t start = 0;
  if (!begin_field(start)) return 0;
  const char* const text = text_.data();
  const auto* data = reinterpret_cast<const unsigned char*>(text);
  const auto separator = static_cast<unsigned char>(separator_);
  unsigned kinds = 0;
  const std::size_t stop = scan_field(data, start, end_, separator, kinds);
  pos_ = stop;
  const std::size_t length = stop - start;
  if (length == 0) return 0;
  const char* const raw = text + start;

  const std::size_t room = capacity == 0 ? 0 : capacity - 1;
  // The usual field: no escape or line break and nothing to cut, handed out as it stands.
  if ((kinds & kRewrittenByte) == 0 && length <= room && length <= kMaxFieldBytes) {
    if (length == 4 && is_null_word(raw)) return length;
    if ((kinds & (kLeadByte | kOtherHighByte)) == 0) {
      out.append(raw, length);
    } else {
      append_gbk_as_utf8(std::string_view(raw, length), out, &had_invalid_);
    }
    return length;
  }

  decode_unusual_field(std::string_view(raw, length), room, kinds, out, scratch_, had_invalid_);
  return length;
}

std::string FieldReader::text(std::size_t capacity) {
  std::string out;
  next(out, capacity);
  return out;
}

void FieldReader::skip() {
  std::size_t start = 0;
  if (!begin_field(start)) return;
  unsigned kinds = 0;
  pos_ = scan_field(reinterpret_cast<const unsigned char*>(text_.data()), start, end_,
                    static_cast<unsigned char>(separator_), kinds);
}

std::string_view FieldReader::long_way(std::size_t origin) {
  pos_ = origin;
  next(scratch_field_);
  return scratch_field_;
}

// A number runs from the field's first byte to the separator in the usual field: digits, a sign,
// a point. Anything else in it (blanks, escapes, high bytes, a field too long for the default
// capacity) is read as next() hands it out, then converted.
int FieldReader::integer() {
  const std::size_t origin = pos_;
  std::size_t start = 0;
  if (!begin_field(start) || is_null_field(start)) return 0;
  const char* const text = text_.data();
  std::size_t i = start;
  const bool negative = i < end_ && text[i] == '-';
  if (i < end_ && (text[i] == '-' || text[i] == '+')) ++i;
  const std::size_t digits = i;
  // Up to eighteen digits cannot overflow 64 bits; the clamp to int comes once, at the end.
  std::uint64_t value = 0;
  while (i < end_ && static_cast<unsigned char>(text[i] - '0') <= 9 && i - digits < 18) {
    value = value * 10 + static_cast<unsigned char>(text[i] - '0');
    ++i;
  }
  if (i == digits || (i < end_ && text[i] != separator_)) return to_integer(long_way(origin));
  pos_ = i;
  constexpr std::uint64_t kLimit = static_cast<std::uint64_t>(INT_MAX) + 1;
  if (negative) return value >= kLimit ? INT_MIN : -static_cast<int>(value);
  return value >= kLimit ? INT_MAX : static_cast<int>(value);
}

int FieldReader::peek_integer() {
  const std::size_t origin = pos_;
  const int value = integer();
  pos_ = origin;
  return value;
}

double FieldReader::decimal() {
  const std::size_t origin = pos_;
  std::size_t start = 0;
  if (!begin_field(start) || is_null_field(start)) return 0.0;
  const char* const text = text_.data();
  const char* const first = text + start;
  const char* const last = text + end_;
  const bool negative = *first == '-';
  const char* const number = first + (*first == '-' || *first == '+' ? 1 : 0);
  // Only a number that starts with a digit or a point: a second sign, "inf" and "nan" go the long
  // way, where to_decimal decides what they read as.
  if (number < last && ((*number >= '0' && *number <= '9') || *number == '.')) {
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(number, last, value, std::chars_format::general);
    if (ec == std::errc{} && (ptr == last || *ptr == separator_) &&
        static_cast<std::size_t>(ptr - first) < kDefaultCapacity) {
      pos_ = static_cast<std::size_t>(ptr - text);
      return negative ? -value : value;
    }
  }
  return to_decimal(long_way(origin));
}

bool FieldReader::is_null_field(std::size_t start) {
  if (start >= end_) {  // a last separator with nothing after it: an empty field
    pos_ = start;
    return true;
  }
  if (end_ - start < 4 || !is_null_word(text_.data() + start)) return false;
  if (start + 4 < end_ && text_[start + 4] != separator_) return false;
  pos_ = start + 4;
  return true;
}

int to_integer(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && is_c_space(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  long long value = 0;
  constexpr long long kLimit = static_cast<long long>(INT_MAX) + 1;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kLimit) value = kLimit;  // saturates: clamped below
  }
  if (negative) return value >= kLimit ? INT_MIN : static_cast<int>(-value);
  return value >= kLimit ? INT_MAX : static_cast<int>(value);
}

namespace {

// Whether a decimal number that from_chars found out of range is huge (else it is tiny): the
// position of its first significant digit plus its exponent.
bool out_of_range_is_overflow(std::string_view number) {
  long long magnitude = 0;
  bool seen_point = false;
  bool seen_digit = false;
  std::size_t i = 0;
  for (; i < number.size(); ++i) {
    const char c = number[i];
    if (c == '.') {
      seen_point = true;
    } else if (c >= '0' && c <= '9') {
      if (c != '0') seen_digit = true;
      if (!seen_point && seen_digit) ++magnitude;
      if (seen_point && !seen_digit) --magnitude;
    } else {
      break;
    }
  }
  if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
    magnitude += to_integer(number.substr(i + 1));
  }
  return magnitude > 0;
}

}  // namespace

double to_decimal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && is_c_space(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // from_chars would take a second sign ("+-5"), which the C library reads as no number.
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) return 0.0;
  const std::string_view number = text.substr(i);
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (ec == std::errc::result_out_of_range) {
    value = out_of_range_is_overflow(number) ? HUGE_VAL : 0.0;
  } else if (ec != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

}  // namespace brindle::wire
