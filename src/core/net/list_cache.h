#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/net/client_context.h"

namespace brindle::net {

// The two list cache files in the client's state folder: a plain run of records, no header, no count.
// Each record: the number as 4 bytes little-endian signed, the text's length n (1 … 256) as 4 bytes
// little-endian, then the n GBK bytes of the text, each exclusive-or 0x6B.
inline constexpr const char* kServerListCacheName = "skin.dat";
inline constexpr const char* kProxyListCacheName = "skinsm.dat";
inline constexpr std::size_t kListCacheTextMax = 256;
inline constexpr unsigned char kListCacheScramble = 0x6B;

// A list entry's text without its surrounding blanks (spaces, tabs and line breaks).
std::string_view strip_blanks(std::string_view text);

// The records for the entries: texts stripped of surrounding blanks, entries left empty skipped,
// texts cut to 256 bytes at a character boundary. Empty when no record was emitted.
std::string encode_list_cache(const std::vector<ListEntry>& entries);
// The records up to the first bad one (length 0, above 256, or running past the end).
std::vector<ListEntry> decode_list_cache(std::string_view bytes);

// A missing or unreadable file reads as an empty list.
std::vector<ListEntry> read_list_cache(const std::filesystem::path& file);
// Replaces the file atomically. True when the file now holds the entries; false on a file error, and
// when no entry had text, in which case the old file is left as it was.
bool write_list_cache(const std::filesystem::path& file, const std::vector<ListEntry>& entries);

std::filesystem::path server_list_cache_path(const ClientContext& context);
std::filesystem::path proxy_list_cache_path(const ClientContext& context);

// Replace the list in the Client context with the cache's records.
void server_list_cache_read(ClientContext& context);
void proxy_list_cache_read(ClientContext& context);
// Write the list held in the Client context.
bool server_list_cache_write(const ClientContext& context);
bool proxy_list_cache_write(const ClientContext& context);

}  // namespace brindle::net
