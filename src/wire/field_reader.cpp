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
#include "wire/gbk_characters.h"

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
#if defined(__SSE2__)
// Of the sixteen bytes at p, those that end a plain run: bit k for p[k] when it is the separator,
// "^", CR, LF or a high byte. `at_separator` gets the separators alone.
unsigned unplain_bytes(const unsigned char* p, unsigned char separator, unsigned& at_separator) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  at_separator = static_cast<unsigned>(
      _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(separator)))));
  const __m128i rewritten = _mm_or_si128(
      _mm_cmpeq_epi8(v, _mm_set1_epi8('^')),
      _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))));
  // movemask of v itself gives the high bytes.
  return at_separator | static_cast<unsigned>(_mm_movemask_epi8(rewritten) | _mm_movemask_epi8(v));
}

#endif

// The eight bytes of the text from `at` on, the first in the low byte, with zero bytes for those
// past its end.
std::uint64_t eight_bytes_at(const char* text, std::size_t size, std::size_t at) {
  std::uint64_t bytes = 0;
  if (at >= size) return 0;
  if (at + 8 <= size) {
    std::memcpy(&bytes, text + at, sizeof bytes);
  } else if (size >= 8) {
    std::memcpy(&bytes, text + size - 8, sizeof bytes);
    if constexpr (std::endian::native == std::endian::little) return bytes >> (8 * (at + 8 - size));
  } else {
    for (std::size_t k = 0; at + k < size; ++k)
      bytes |= std::uint64_t{static_cast<unsigned char>(text[at + k])} << (8 * k);
    return bytes;
  }
  if constexpr (std::endian::native == std::endian::big) bytes = __builtin_bswap64(bytes);
  return bytes;
}

std::size_t scan_field(const unsigned char* data, std::size_t i, std::size_t end, unsigned char separator,
                       unsigned& kinds) {
  while (i < end) {
#if defined(__SSE2__)
    while (i + 16 <= end) {
      unsigned at_separator = 0;
      const unsigned mask = unplain_bytes(data + i, separator, at_separator);
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

// Keeps the compiler from turning the branch it stands in into a conditional move, where the
// branch lets the processor go on with a guess instead of waiting for a load.
inline void keep_as_branch() {
#if defined(__GNUC__)
  asm volatile("");
#endif
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
  const std::size_t room = capacity == 0 ? 0 : capacity - 1;
  if (room >= kShortFieldBytes) {
    const std::size_t length = next_short(start, out);
    if (length != kNotShort) return length;
  }
  return next_scanned(start, out, room);
}

// The field is scanned and decoded in one pass into a buffer on the stack: separators, escapes,
// line breaks and GBK pairs found byte by byte, each pair decoded by one lookup. A field longer
// than kShortFieldBytes is left to next_scanned.
std::size_t FieldReader::next_short(std::size_t start, std::string& out) {
  const auto* const data = reinterpret_cast<const unsigned char*>(text_.data());
  const auto separator = static_cast<unsigned char>(separator_);
  const std::size_t end = end_;
  const std::size_t limit = end - start > kShortFieldBytes ? start + kShortFieldBytes : end;
  const PackedCharacters& characters = packed_gbk_characters();
  // Each byte gives at most three; a character is copied as four bytes, a pair may run one byte
  // past the limit and a plain run is copied sixteen bytes at a time.
  std::array<char, 3 * (kShortFieldBytes + 16) + 4> buffer;
  char* dst = buffer.data();
  unsigned meta_seen = 0;
  std::size_t i = start;
  while (i < limit) {
    const unsigned char b = data[i];
    if (b == separator) break;
    const unsigned char kind = kByteKinds[b];
    if (kind == 0) {
#if defined(__SSE2__)
      if (i + 16 <= text_.size()) {
        // The run up to the next separator, escape, line break or high byte, or the end.
        unsigned at_separator = 0;
        const unsigned mask = unplain_bytes(data + i, separator, at_separator) | 0x10000u;
        std::size_t run = static_cast<std::size_t>(std::countr_zero(mask));
        if (run > end - i) run = end - i;
        std::memcpy(dst, data + i, 16);
        dst += run;
        i += run;
        continue;
      }
#endif
      *dst++ = static_cast<char>(b);
      ++i;
      continue;
    }
    if (kind == kRewrittenByte) {
      if (b != '^') {  // a line break reads as a space
        *dst++ = ' ';
        ++i;
        continue;
      }
      // "^" and the character after it; a "^" at the end of the field goes with nothing.
      if (i + 1 >= end || data[i + 1] == separator) {
        ++i;
        continue;
      }
      const unsigned char letter = data[i + 1];
      if (letter < 0x80) {
        if (const char decoded = kFieldEscapeValues[letter]; decoded != 0) *dst++ = decoded;
        i += 2;
      } else {
        // An unknown escape takes a whole double-byte character with it.
        i += i + 2 < end && is_gbk_lead(letter) && is_gbk_trail(data[i + 2]) ? 3u : 2u;
      }
      continue;
    }
    const unsigned char following = i + 1 < end ? data[i + 1] : 0;
    const PackedChar& c = characters[(b - 0x80u) * 0x100u + following];
    std::memcpy(dst, c.data(), c.size());
    const auto meta = static_cast<unsigned char>(c[3]);
    // Nearly every character is three bytes of UTF-8: taken as a guess, so that the next
    // character's place does not wait for this one's lookup.
    if (const unsigned size = meta & 3u; size != 3u) [[unlikely]] {
      dst += size;
      keep_as_branch();
    } else {
      dst += 3;
    }
    meta_seen |= meta;
    // A lead byte and a trail byte are a pair, as the table has it; the step is worked out from
    // the bytes, and guessed, so that the next character's bytes need not wait for this one's.
    if (kind == kLeadByte && is_gbk_trail(following)) [[likely]] {
      i += 2;
    } else {
      ++i;
      keep_as_branch();
    }
  }
  // Longer than a short field.
  if ((i < end && data[i] != separator) || i - start > kShortFieldBytes) return kNotShort;
  pos_ = i;
  const auto decoded = static_cast<std::size_t>(dst - buffer.data());
  // A text that reads "null" in any case is the empty text, whether or not escapes spelt it.
  if (decoded == 4 && is_null_word(buffer.data())) return i - start;
  out.assign(buffer.data(), decoded);
  if ((meta_seen & kInvalidChar) != 0) had_invalid_ = true;
  return i - start;
}

std::size_t FieldReader::next_scanned(std::size_t start, std::string& out, std::size_t room) {
  const char* const text = text_.data();
  const auto* data = reinterpret_cast<const unsigned char*>(text);
  const auto separator = static_cast<unsigned char>(separator_);
  unsigned kinds = 0;
  const std::size_t stop = scan_field(data, start, end_, separator, kinds);
  pos_ = stop;
  const std::size_t length = stop - start;
  if (length == 0) return 0;
  const char* const raw = text + start;

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
int FieldReader::integer_in_full() {
  const std::size_t origin = pos_;
  std::size_t start = 0;
  if (!begin_field(start) || is_null_field(start)) return 0;
  const char* const text = text_.data();
  std::size_t i = start;
  const bool negative = i < end_ && text[i] == '-';
  if (i < end_ && (text[i] == '-' || text[i] == '+')) ++i;
  const std::size_t digits = i;
  // Up to seven digits are found and read at once, without a branch for each.
  const std::uint64_t bytes = eight_bytes_at(text, text_.size(), i);
  if (const int count = detail::leading_digits(bytes); count > 0 && count < 8) {
    i += static_cast<std::size_t>(count);
    if (i < end_ && text[i] != separator_) return to_integer(long_way(origin));
    pos_ = i;
    const auto value = static_cast<int>(detail::eight_digits(bytes << (8 * (8 - count))));
    return negative ? -value : value;
  }
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

double FieldReader::decimal_in_full() {
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
    const char* stop = nullptr;
    if (detail::plain_decimal(text, end_, separator_, number, value, stop)) {
      pos_ = static_cast<std::size_t>(stop - text);
      return negative ? -value : value;
    }
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
