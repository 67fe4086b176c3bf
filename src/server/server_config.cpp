#include "server/server_config.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <set>
#include <system_error>
#include <utility>

#include "server/storage/database_address.h"
#include "server/storage/money.h"
#include "wire/gbk.h"

namespace brindle::server {
namespace {

// The client's list cache keeps at most this many bytes of an entry's text.
constexpr std::size_t kMaxListTextBytes = 256;

std::string_view trim(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r";
  auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  auto last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

// "a, b,c": the trimmed items, empty ones left out.
std::vector<std::string_view> split_list(std::string_view text) {
  std::vector<std::string_view> items;
  while (!text.empty()) {
    auto comma = text.find(',');
    if (auto item = trim(text.substr(0, comma)); !item.empty()) items.push_back(item);
    text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
  }
  return items;
}

template <typename Int>
std::optional<Int> parse_integer(std::string_view text) {
  Int value{};
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

class Parser {
 public:
  Result<ServerConfig> run(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    while (!text.empty()) {
      ++line_number_;
      auto eol = text.find('\n');
      auto line = trim(text.substr(0, eol));
      text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
      if (line.empty() || line.starts_with('#') || line.starts_with(';')) continue;
      auto error = line.starts_with('[') ? section(line) : entry(line);
      if (!error.empty())
        return Result<ServerConfig>::failure("line " + std::to_string(line_number_) + ": " + error);
    }
    if (config_.certificate.empty() != config_.private_key.empty())
      return Result<ServerConfig>::failure(
          "[server] sets " + std::string(config_.certificate.empty() ? "key" : "certificate") + " without " +
          (config_.certificate.empty() ? "certificate" : "key") + ": give both or neither");
    return std::move(config_);
  }

 private:
  enum class Section { none, server, servers, proxies, room_positions };

  std::string section(std::string_view line) {
    if (!line.ends_with(']')) return "a section header must end with ']'";
    auto name = trim(line.substr(1, line.size() - 2));
    if (name == "server") {
      section_ = Section::server;
    } else if (name == "servers") {
      section_ = Section::servers;
      if (!config_.servers) config_.servers.emplace();
    } else if (name == "proxies") {
      section_ = Section::proxies;
    } else if (name == "room_positions") {
      section_ = Section::room_positions;
      if (!positions_seen_) config_.room_positions.clear();
      positions_seen_ = true;
    } else {
      return "unknown section [" + std::string(name) + "]";
    }
    return {};
  }

  std::string entry(std::string_view line) {
    switch (section_) {
      case Section::none:
        return "an entry before any section";
      case Section::server:
        return server_key(line);
      case Section::servers:
        return list_entry(line, *config_.servers);
      case Section::proxies:
        return list_entry(line, config_.proxies);
      case Section::room_positions:
        return position_entry(line);
    }
    return {};
  }

  std::string server_key(std::string_view line) {
    auto equals = line.find('=');
    if (equals == std::string_view::npos) return "expected 'key = value'";
    auto key = std::string(trim(line.substr(0, equals)));
    auto value = trim(line.substr(equals + 1));
    if (!seen_keys_.insert(key).second) return "'" + key + "' is set twice";
    if (key == "version") {
      auto version = parse_integer<int>(value);
      if (!version) return "version must be an integer, not '" + std::string(value) + "'";
      config_.version = *version;
      return {};
    }
    if (key == "star_deposit_rmb") return deposit(key, value, config_.star_deposit_rmb);
    if (key == "star_deposit_hkd") return deposit(key, value, config_.star_deposit_hkd);
    if (key == "star_deposit_usd") return deposit(key, value, config_.star_deposit_usd);
    if (key == "room_commission") {
      // A percent with at most two decimals reads exactly as an amount in cents: basis points.
      auto rate = storage::parse_amount(value);
      if (!rate || rate.value() > 10000)
        return "room_commission must be a percent from 0 to 100, not '" + std::string(value) + "'";
      config_.room_commission_basis_points = static_cast<int>(rate.value());
      return {};
    }
    if (key == "hash_threads") {
      auto threads = parse_integer<int>(value);
      if (!threads || *threads < 1 || *threads > 64)
        return "hash_threads must be a whole number from 1 to 64, not '" + std::string(value) + "'";
      config_.hash_threads = static_cast<std::size_t>(*threads);
      return {};
    }
    if (auto limit = attempt_limit(key, value)) return *limit;
    if (key == "peak_period") return flag(key, value, config_.peak_period);
    if (key == "full_sync") return flag(key, value, config_.full_sync);
    if (key == "mail_command" || key == "mail_from") {
      // A mail header or a command line: a control character would end either early.
      for (const char c : value) {
        if (static_cast<unsigned char>(c) < 0x20) return key + ": control characters are not allowed";
      }
      if (key == "mail_from" && value.find('@') == std::string_view::npos)
        return "mail_from must be an e-mail address, not '" + std::string(value) + "'";
      (key == "mail_command" ? config_.mail_command : config_.mail_from) = std::string(value);
      return {};
    }
    if (key == "database") {
      if (value.empty()) return "database is empty: leave it out for the data folder's SQLite file";
      if (value != "sqlite:" && !value.starts_with("sqlite:") && !storage::is_postgresql_address(value))
        return "database must be sqlite: or a postgresql:// address, not '" + std::string(value) + "'";
      config_.database = std::string(value);
      return {};
    }
    if (key == "database_pool") {
      auto size = parse_integer<int>(value);
      if (!size || *size < 1 || *size > 256)
        return "database_pool must be a whole number from 1 to 256, not '" + std::string(value) + "'";
      config_.database_pool = static_cast<std::size_t>(*size);
      return {};
    }
    if (key == "listen") {
      for (auto item : split_list(value)) {
        auto address = parse_listen_address(item);
        if (!address)
          return "listen wants ADDRESS:PORT entries (e.g. 0.0.0.0:443, [::]:443), not '" + std::string(item) +
                 "'";
        config_.listen.push_back(std::move(*address));
      }
      if (config_.listen.empty()) return "listen is empty";
      return {};
    }
    if (key == "operations") {
      auto address = parse_listen_address(value);
      if (!address)
        return "operations wants ADDRESS:PORT (e.g. 127.0.0.1:9464), not '" + std::string(value) + "'";
      config_.operations = std::move(*address);
      return {};
    }
    if (key == "trusted_proxies") {
      for (auto item : split_list(value)) {
        auto block = AddressBlock::parse(item);
        if (!block)
          return "trusted_proxies wants addresses or ADDRESS/PREFIX blocks (e.g. 10.0.0.0/8), not '" +
                 std::string(item) + "'";
        config_.trusted_proxies.push_back(*block);
      }
      if (config_.trusted_proxies.empty()) return "trusted_proxies is empty";
      return {};
    }
    if (key == "certificate" || key == "key") {
      if (value.empty()) return key + " is empty";
      (key == "key" ? config_.private_key : config_.certificate) = std::filesystem::path(std::string(value));
      return {};
    }
    if (key == "release_dir") {
      if (value.empty()) return "release_dir is empty";
      config_.release_dir = std::filesystem::path(std::string(value));
      return {};
    }
    std::string* target = nullptr;
    if (key == "login_notice") target = &config_.login_notice;
    if (key == "latest_information") target = &config_.latest_information;
    if (key == "second_information") target = &config_.second_information;
    if (!target) return "unknown key '" + key + "' in [server]";
    if (auto error = check_field_text(value); !error.empty()) return key + ": " + error;
    *target = std::string(value);
    return {};
  }

  // "<limit>_<part>": one part of one AttemptPolicy; nothing when the key names none.
  std::optional<std::string> attempt_limit(const std::string& key, std::string_view value) {
    const std::pair<std::string_view, accounts::AttemptPolicy*> limits[] = {
        {"sign_in_name_", &config_.sign_in_per_name},
        {"sign_in_account_", &config_.sign_in_per_account},
        {"sign_in_address_", &config_.sign_in_per_address},
        {"lookup_address_", &config_.lookups_per_address},
        {"withdrawal_password_", &config_.withdrawal_per_account}};
    for (const auto& [prefix, policy] : limits) {
      if (!key.starts_with(prefix)) continue;
      const std::string_view part = std::string_view(key).substr(prefix.size());
      auto number = parse_integer<int>(value);
      if (!number || *number < 0 || *number > 1'000'000)
        return key + " must be a whole number from 0 up, not '" + std::string(value) + "'";
      if (part == "free")
        policy->free = *number;
      else if (part == "backoff_seconds")
        policy->backoff = std::chrono::seconds(*number);
      else if (part == "backoff_max_seconds")
        policy->backoff_max = std::chrono::seconds(*number);
      else if (part == "lock_after")
        policy->lock_after = *number;
      else if (part == "lock_minutes")
        policy->lock_time = std::chrono::minutes(*number);
      else
        return "unknown key '" + key + "' in [server]";
      return std::string{};
    }
    return std::nullopt;
  }

  static std::string deposit(const std::string& key, std::string_view value, std::int64_t& target) {
    auto units = parse_integer<std::int64_t>(value);
    if (!units || *units < 0 || *units > storage::kMaxAmount / 100)
      return key + " must be a whole amount from 0 up, not '" + std::string(value) + "'";
    target = *units;
    return {};
  }

  std::string position_entry(std::string_view line) {
    if (auto error = list_entry(line, config_.room_positions); !error.empty()) return error;
    const auto& added = config_.room_positions.back();
    // Ids below 100 name a star member's agent; 0 would take away the choice of position.
    if (added.number < 100) return "a room position's id must be 100 or more";
    for (std::size_t i = 0; i + 1 < config_.room_positions.size(); ++i) {
      if (config_.room_positions[i].number == added.number)
        return "room position " + std::to_string(added.number) + " is listed twice";
    }
    return {};
  }

  static std::string flag(const std::string& key, std::string_view value, bool& target) {
    if (value != "0" && value != "1") return key + " must be 0 or 1, not '" + std::string(value) + "'";
    target = value == "1";
    return {};
  }

  static std::string list_entry(std::string_view line, std::vector<ListEntry>& list) {
    auto bar = line.find('|');
    if (bar == std::string_view::npos || line.find('|', bar + 1) != std::string_view::npos) {
      return "expected one 'text|number' entry";
    }
    auto text = trim(line.substr(0, bar));
    if (text.empty()) return "the entry's text is empty";
    if (auto error = check_field_text(text); !error.empty()) return error;
    if (wire::gbk_byte_length(text) > kMaxListTextBytes) return "the entry's text is longer than 256 bytes";
    auto number = parse_integer<std::int32_t>(trim(line.substr(bar + 1)));
    if (!number) return "the entry's number must be a 32-bit integer";
    list.push_back({std::string(text), *number});
    return {};
  }

  static std::string check_field_text(std::string_view text) {
    if (text.find('|') != std::string_view::npos) return "'|' cannot be sent inside a field";
    bool unmappable = false;
    (void)wire::utf8_to_gbk(text, &unmappable);
    if (unmappable) return "the text has characters that GBK cannot hold";
    return {};
  }

  ServerConfig config_;
  Section section_ = Section::none;
  std::set<std::string> seen_keys_;
  bool positions_seen_ = false;
  int line_number_ = 0;
};

}  // namespace

Result<ServerConfig> parse_server_config(std::string_view utf8_text) { return Parser().run(utf8_text); }

Result<ServerConfig> load_server_config(const std::filesystem::path& file) {
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) {
    return Result<ServerConfig>::failure("the configuration file " + file.string() + " is a folder");
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) return Result<ServerConfig>::failure("cannot read the configuration file " + file.string());
  std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) return Result<ServerConfig>::failure("cannot read the configuration file " + file.string());
  auto config = parse_server_config(text);
  if (!config) return Result<ServerConfig>::failure(file.string() + ", " + config.error());
  // Relative files and folders are the configuration's neighbours, wherever the server was started.
  for (auto* path : {&config->release_dir, &config->certificate, &config->private_key}) {
    if (!path->empty() && path->is_relative()) *path = file.parent_path() / *path;
  }
  return config;
}

}  // namespace brindle::server
