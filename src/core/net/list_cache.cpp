#include "core/net/list_cache.h"

#include <cstdint>
#include <fstream>
#include <system_error>

#include "core/net/settings_file.h"
#include "wire/gbk.h"

namespace brindle::net {

namespace {

constexpr std::size_t kHeaderSize = 8;

void put_u32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFFu);
}

std::uint32_t get_u32(std::string_view bytes, std::size_t pos) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[pos + i])) << (8 * i);
  }
  return value;
}

char scramble(char c) { return static_cast<char>(static_cast<unsigned char>(c) ^ kListCacheScramble); }

}  // namespace

std::string_view strip_blanks(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n\v\f";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

std::string encode_list_cache(const std::vector<ListEntry>& entries) {
  std::string out;
  for (const ListEntry& entry : entries) {
    const std::string_view text = strip_blanks(entry.text);
    if (text.empty()) continue;
    const std::string gbk = wire::utf8_to_gbk(text);
    // Cut on a character boundary: half a double-byte character would corrupt the text on reading.
    const std::size_t length = wire::gbk_prefix_length(gbk, kListCacheTextMax);
    if (length == 0) continue;
    put_u32(out, static_cast<std::uint32_t>(entry.number));
    put_u32(out, static_cast<std::uint32_t>(length));
    for (std::size_t i = 0; i < length; ++i) out += scramble(gbk[i]);
  }
  return out;
}

std::vector<ListEntry> decode_list_cache(std::string_view bytes) {
  std::vector<ListEntry> entries;
  std::size_t pos = 0;
  while (bytes.size() - pos >= kHeaderSize) {
    const auto number = static_cast<std::int32_t>(get_u32(bytes, pos));
    const std::uint32_t length = get_u32(bytes, pos + 4);
    if (length == 0 || length > kListCacheTextMax) break;
    if (bytes.size() - pos - kHeaderSize < length) break;
    std::string gbk(bytes.substr(pos + kHeaderSize, length));
    for (char& c : gbk) c = scramble(c);
    entries.push_back({wire::gbk_to_utf8(gbk), number});
    pos += kHeaderSize + length;
  }
  return entries;
}

std::vector<ListEntry> read_list_cache(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return {};
  std::ifstream in(file, std::ios::binary);
  std::string bytes;
  char buffer[4096];
  // istream::read turns a read error into badbit; reading through the buffer directly would throw.
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad()) return {};
  return decode_list_cache(bytes);
}

bool write_list_cache(const std::filesystem::path& file, const std::vector<ListEntry>& entries) {
  const std::string bytes = encode_list_cache(entries);
  if (bytes.empty()) return false;
  return replace_file_atomically(file, bytes);
}

std::filesystem::path server_list_cache_path(const ClientContext& context) {
  return context.state_folder() / kServerListCacheName;
}

std::filesystem::path proxy_list_cache_path(const ClientContext& context) {
  return context.state_folder() / kProxyListCacheName;
}

void server_list_cache_read(ClientContext& context) {
  context.server_list = read_list_cache(server_list_cache_path(context));
}

void proxy_list_cache_read(ClientContext& context) {
  context.proxy_list = read_list_cache(proxy_list_cache_path(context));
}

bool server_list_cache_write(const ClientContext& context) {
  return write_list_cache(server_list_cache_path(context), context.server_list);
}

bool proxy_list_cache_write(const ClientContext& context) {
  return write_list_cache(proxy_list_cache_path(context), context.proxy_list);
}

}  // namespace brindle::net
