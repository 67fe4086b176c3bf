#include "wire/gbk.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "wire/gbk_characters.h"

namespace brindle::wire {
namespace {

constexpr unsigned kLeadFirst = 0x81;
constexpr unsigned kLeadCount = 0xFE - 0x81 + 1;
constexpr unsigned kTrailFirst = 0x40;
constexpr unsigned kTrailCount = 0xFE - 0x40 + 1;

// One decoded character in UTF-8; a sequence GBK does not map decodes as U+FFFD, marked invalid.
struct Utf8Char {
  std::array<char, 3> bytes = {'\xEF', '\xBF', '\xBD'};
  std::uint8_t size : 7 = 3;
  bool invalid : 1 = true;
};
static_assert(sizeof(Utf8Char) == 4);

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

IconvHandle open_iconv(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;  // NOLINT: iconv's own error value
  return IconvHandle(cd);
}

// Decodes one complete GBK sequence with iconv; empty when iconv refuses it or yields more than one
// BMP character.
Utf8Char decode_with_iconv(void* cd, const char* in, std::size_t in_size) {
  Utf8Char result;
  iconv(static_cast<iconv_t>(cd), nullptr, nullptr, nullptr, nullptr);
  std::array<char, 8> out{};
  char* in_ptr = const_cast<char*>(in);  // iconv's signature predates const
  char* out_ptr = out.data();
  std::size_t in_left = in_size;
  std::size_t out_left = out.size();
  if (iconv(static_cast<iconv_t>(cd), &in_ptr, &in_left, &out_ptr, &out_left) ==
          static_cast<std::size_t>(-1) ||
      in_left != 0) {
    return result;
  }
  const auto produced = out.size() - out_left;
  if (produced == 0 || produced > result.bytes.size()) return result;
  result.bytes = {};
  std::memcpy(result.bytes.data(), out.data(), produced);
  result.size = static_cast<std::uint8_t>(produced) & 0x7F;
  result.invalid = false;
  return result;
}

// Every lead/trail pair and every single high byte decoded once by iconv, so that decoding a text
// is a table lookup per character.
struct DecodeTable {
  std::array<Utf8Char, kLeadCount * kTrailCount> pairs{};
  std::array<Utf8Char, 0x80> singles{};  // bytes 0x80-0xFF standing alone

  DecodeTable() {
    IconvHandle cd = open_iconv("UTF-8", "GBK");
    if (!cd) return;  // every non-ASCII byte then decodes as U+FFFD, which is visible
    for (unsigned lead = 0; lead < kLeadCount; ++lead) {
      for (unsigned trail = 0; trail < kTrailCount; ++trail) {
        const std::array<char, 2> in = {static_cast<char>(kLeadFirst + lead),
                                        static_cast<char>(kTrailFirst + trail)};
        if (!is_gbk_trail(static_cast<unsigned char>(in[1]))) continue;
        pairs[lead * kTrailCount + trail] = decode_with_iconv(cd.get(), in.data(), in.size());
      }
    }
    for (unsigned b = 0; b < singles.size(); ++b) {
      const char in = static_cast<char>(0x80 + b);
      singles[b] = decode_with_iconv(cd.get(), &in, 1);
    }
  }
};

PackedChar pack(const Utf8Char& c, bool two_bytes) {
  const auto meta =
      static_cast<std::uint8_t>(c.size | (two_bytes ? kTakesTwoBytes : 0) | (c.invalid ? kInvalidChar : 0));
  return {c.bytes[0], c.bytes[1], c.bytes[2], static_cast<char>(meta)};
}

struct PairTable {
  PackedCharacters chars{};

  explicit PairTable(const DecodeTable& table) {
    for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
      for (unsigned next = 0; next <= 0xFF; ++next) {
        const bool pair =
            is_gbk_lead(static_cast<unsigned char>(lead)) && is_gbk_trail(static_cast<unsigned char>(next));
        chars[(lead - 0x80) * 0x100 + next] =
            pair ? pack(table.pairs[(lead - kLeadFirst) * kTrailCount + (next - kTrailFirst)], true)
                 : pack(table.singles[lead - 0x80], false);
      }
    }
  }
};

const DecodeTable& decode_table() {
  static const DecodeTable table;  // built on first use; thread-safe initialisation
  return table;
}

const PairTable& pair_table() {
  static const PairTable table(decode_table());
  return table;
}

std::size_t utf8_sequence_length(std::string_view s, std::size_t i) {
  const auto b = static_cast<unsigned char>(s[i]);
  std::size_t len = 0;
  if (b < 0x80) return 1;
  if (b >= 0xC2 && b <= 0xDF) {
    len = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    len = 3;
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
  }
  return len;
}

}  // namespace

const PackedCharacters& packed_gbk_characters() { return pair_table().chars; }

void append_gbk_as_utf8(std::string_view gbk, std::string& out, bool* had_invalid) {
  const std::size_t n = gbk.size();
  const auto* in = reinterpret_cast<const unsigned char*>(gbk.data());
  std::size_t i = 0;
  while (i < n && in[i] < 0x80) ++i;
  out.append(gbk.data(), i);
  if (i == n) return;

  // Decoded a slice at a time into the stack and appended from there: the string's room is never
  // filled only to be overwritten. A pair may run one byte past the slice; every byte becomes at
  // most three, and each character is copied as four bytes.
  constexpr std::size_t kSlice = 1024;
  std::array<char, 3 * (kSlice + 1) + 1> buffer;
  const auto& chars = pair_table().chars;
  unsigned meta_seen = 0;
  while (i < n) {
    const std::size_t slice_end = n - i > kSlice ? i + kSlice : n;
    char* const begin = buffer.data();
    char* dst = begin;
    while (i < slice_end) {
      const unsigned char b = in[i];
      if (b < 0x80) {
        *dst++ = static_cast<char>(b);
        ++i;
        continue;
      }
      const unsigned next = i + 1 < n ? in[i + 1] : 0u;
      const PackedChar& c = chars[(b - 0x80u) * 0x100u + next];
      std::memcpy(dst, c.data(), c.size());
      const auto meta = static_cast<unsigned char>(c[3]);
      dst += meta & 3u;
      i += 1u + ((meta & kTakesTwoBytes) >> 2);
      meta_seen |= meta;
    }
    out.append(begin, static_cast<std::size_t>(dst - begin));
  }
  if ((meta_seen & kInvalidChar) != 0 && had_invalid != nullptr) *had_invalid = true;
}

bool is_valid_gbk(std::string_view gbk) {
  const std::size_t n = gbk.size();
  const auto* in = reinterpret_cast<const unsigned char*>(gbk.data());
  const auto& chars = pair_table().chars;
  std::size_t i = 0;
  while (i < n) {
    const unsigned char b = in[i];
    if (b < 0x80) {
      ++i;
      continue;
    }
    const unsigned next = i + 1 < n ? in[i + 1] : 0u;
    const auto meta = static_cast<unsigned char>(chars[(b - 0x80u) * 0x100u + next][3]);
    if ((meta & kInvalidChar) != 0) return false;
    i += 1u + ((meta & kTakesTwoBytes) >> 2);
  }
  return true;
}

std::string gbk_to_utf8(std::string_view gbk, bool* had_invalid) {
  std::string out;
  out.reserve(gbk.size() + gbk.size() / 2);
  append_gbk_as_utf8(gbk, out, had_invalid);
  return out;
}

std::string utf8_to_gbk(std::string_view utf8, bool* had_unmappable) {
  std::size_t ascii = 0;
  while (ascii < utf8.size() && static_cast<unsigned char>(utf8[ascii]) < 0x80) ++ascii;
  std::string out(utf8.substr(0, ascii));
  if (ascii == utf8.size()) return out;

  IconvHandle cd = open_iconv("GBK", "UTF-8");
  auto* cdp = static_cast<iconv_t>(cd.get());
  // GBK never takes more bytes than UTF-8, so this room suffices; "?" replaces at least one byte.
  out.resize(utf8.size());
  char* in_ptr = const_cast<char*>(utf8.data() + ascii);  // iconv's signature predates const
  std::size_t in_left = utf8.size() - ascii;
  char* out_ptr = out.data() + ascii;
  std::size_t out_left = out.size() - ascii;
  bool unmappable = false;
  while (in_left > 0) {
    if (cd && iconv(cdp, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<std::size_t>(-1)) break;
    if (cd && errno == E2BIG) {
      const auto used = static_cast<std::size_t>(out_ptr - out.data());
      out.resize(out.size() + in_left + 16);
      out_ptr = out.data() + used;
      out_left = out.size() - used;
      continue;
    }
    // An unmappable or malformed character: one "?" for it, then go on after it. Without iconv
    // only ASCII gets through.
    const std::string_view rest(in_ptr, in_left);
    const std::size_t len = utf8_sequence_length(rest, 0);
    const std::size_t skip = len == 0 ? 1 : len;
    const bool keep = !cd && static_cast<unsigned char>(rest[0]) < 0x80;
    if (out_left == 0) {
      const auto used = static_cast<std::size_t>(out_ptr - out.data());
      out.resize(out.size() + 16);
      out_ptr = out.data() + used;
      out_left = out.size() - used;
    }
    *out_ptr++ = keep ? rest[0] : '?';
    --out_left;
    in_ptr += skip;
    in_left -= skip;
    unmappable = unmappable || !keep;
    if (cd) iconv(cdp, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(static_cast<std::size_t>(out_ptr - out.data()));
  if (unmappable && had_unmappable != nullptr) *had_unmappable = true;
  return out;
}

std::size_t gbk_byte_length(std::string_view utf8) {
  std::size_t ascii = 0;
  std::size_t i = 0;
  while (i < utf8.size() && static_cast<unsigned char>(utf8[i]) < 0x80) ++i;
  ascii = i;
  if (i == utf8.size()) return ascii;
  return ascii + utf8_to_gbk(utf8.substr(i)).size();
}

std::size_t gbk_prefix_length(std::string_view gbk, std::size_t max_bytes) {
  const std::size_t n = gbk.size();
  if (n <= max_bytes) {
    // Whole text fits; only a trailing half of a pair would matter, and the text ends there.
    return n;
  }
  std::size_t i = 0;
  while (i < max_bytes) {
    const auto b = static_cast<unsigned char>(gbk[i]);
    const std::size_t step =
        is_gbk_lead(b) && i + 1 < n && is_gbk_trail(static_cast<unsigned char>(gbk[i + 1])) ? 2 : 1;
    if (i + step > max_bytes) break;
    i += step;
  }
  return i;
}

}  // namespace brindle::wire
