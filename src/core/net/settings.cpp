#include "core/net/settings.h"

#include <algorithm>
#include <utility>

#include "core/net/list_cache.h"
#include "core/net/settings_file.h"

namespace brindle::net {

namespace {

constexpr const char* kSystem = "SYSTEM";
constexpr const char* kServer = "SERVER";
constexpr const char* kOtherGames = "OTHERGAMES";

constexpr const char* kVersionKey = "Version";
constexpr const char* kAsiaTimerKey = "Asia Timer";
constexpr const char* kOtherTimerKey = "Other Timer";
constexpr const char* kCurrentServerKey = "Current Server";
constexpr const char* kServerCountKey = "Server Count";
constexpr const char* kOddsFormatKey = "Odds Format";

SettingsFile settings_file(const net::ClientContext& context) {
  return SettingsFile(context.settings_path());
}

}  // namespace

bool settings_load(net::ClientContext& context) {
  const SettingsFile settings = settings_file(context);
  context.current_server = settings.read_text(kServer, kCurrentServerKey);
  context.chosen_server = context.current_server;

  // An absent "Server%d" still counts: the configured servers always number "Server Count".
  const int count = std::min(settings.read_int(kServer, kServerCountKey, 1), kMaxConfiguredServers);
  context.configured_servers.clear();
  for (int i = 0; i < count; ++i) {
    context.configured_servers.push_back(settings.read_text(kServer, "Server" + std::to_string(i)));
  }

  const std::pair<const char*, std::string net::OtherGames::*> other_games[] = {
      {"Casino1", &net::OtherGames::casino1}, {"Casino1Web", &net::OtherGames::casino1_web},
      {"Casino2", &net::OtherGames::casino2}, {"Lotto", &net::OtherGames::lotto},
      {"Poker", &net::OtherGames::poker},     {"Luzi", &net::OtherGames::luzi},
      {"Keno", &net::OtherGames::keno},       {"Texas", &net::OtherGames::texas},
      {"TTG", &net::OtherGames::ttg},         {"Phone", &net::OtherGames::phone},
      {"Promo", &net::OtherGames::promo},
  };
  for (const auto& [key, field] : other_games)
    context.other_games.*field = settings.read_text(kOtherGames, key);

  odds_format_load(context);
  net::server_list_cache_read(context);
  return !context.server_list.empty();
}

void odds_format_load(net::ClientContext& context) {
  const std::string name = settings_file(context).read_text(kSystem, kOddsFormatKey);
  context.odds_format = parse_odds_format(name).value_or(OddsFormat::kDecimal);
}

bool set_odds_format(net::ClientContext& context, OddsFormat format) {
  context.odds_format = format;
  return settings_file(context).write_text(kSystem, kOddsFormatKey, odds_format_name(format));
}

void timer_load(net::ClientContext& context) {
  const SettingsFile settings = settings_file(context);
  context.asia_refresh_period =
      std::max(settings.read_int(kSystem, kAsiaTimerKey, kDefaultRefreshPeriod), kAsiaTimerMinimum);
  context.other_refresh_period = settings.read_int(kSystem, kOtherTimerKey, kDefaultRefreshPeriod);
}

bool set_current_server(net::ClientContext& context, const std::string& server) {
  if (server.empty()) return false;
  context.current_server = server;
  context.chosen_server = server;
  return settings_file(context).write_text(kServer, kCurrentServerKey, server);
}

bool set_asia_refresh_period(net::ClientContext& context, int seconds) {
  context.asia_refresh_period = std::max(seconds, kAsiaTimerMinimum);
  return settings_file(context).write_int(kSystem, kAsiaTimerKey, context.asia_refresh_period);
}

int settings_version(const net::ClientContext& context) {
  // A system installation is as new as its package made it, whatever version the user's own copy
  // of the settings was taken from.
  if (!context.program_directory_writable && context.settings_file.empty()) {
    const std::filesystem::path packaged = context.program_directory / "Vantora.ini";
    std::error_code ec;
    if (std::filesystem::is_regular_file(packaged, ec))
      return SettingsFile(packaged).read_int(kSystem, kVersionKey, kDefaultVersion);
  }
  return settings_file(context).read_int(kSystem, kVersionKey, kDefaultVersion);
}

bool write_settings_version(const net::ClientContext& context, int version) {
  return settings_file(context).write_int(kSystem, kVersionKey, version);
}

}  // namespace brindle::net
