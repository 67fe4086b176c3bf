#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/net/request.h"

namespace brindle::net {

// An entry of the server list (text and a number kept but not interpreted) or of the proxy list
// (address and port).
struct ListEntry {
  std::string text;  // UTF-8
  std::int32_t number = 0;
  bool operator==(const ListEntry&) const = default;
};

// The eleven OTHERGAMES texts of the settings file.
struct OtherGames {
  std::string casino1, casino1_web, casino2, lotto, poker, luzi, keno, texas, ttg, phone, promo;
};

// The one process-wide object that every window reads: settings, lists, proxy choice, the
// signed-in user. Plain data; the operations that fill it live beside the files they read.
struct ClientContext {
  // Where Vantora.ini and the list caches live; start-up sets it from the running executable.
  std::filesystem::path program_directory;
  // Another settings file than program_directory/Vantora.ini (the command line's --ini).
  std::filesystem::path settings_file;

  // Settings file
  std::string current_server;
  std::string chosen_server;  // what the drop-down lists show
  std::vector<std::string> configured_servers;
  OtherGames other_games;
  int asia_refresh_period = 180;   // seconds, at least 60
  int other_refresh_period = 180;  // seconds

  // Server and proxy lists
  std::vector<ListEntry> server_list;
  std::vector<ListEntry> proxy_list;
  std::size_t proxy_cursor = 0;  // next proxy to take; only moves forward, with wrap-around
  bool user_proxy = false;       // use a proxy
  bool personal_proxy = false;   // use the manually entered one
  std::string personal_proxy_address;
  int personal_proxy_port = 0;
  std::string proxy_text;  // "%s:%d" of the proxy in use, passed to the requests that allow one

  // Signed-in user
  std::string user_name;
  std::string password;

  RequestContext request_context() const { return {current_server, user_name, password}; }
  std::filesystem::path settings_path() const {
    return settings_file.empty() ? program_directory / "Vantora.ini" : settings_file;
  }
};

}  // namespace brindle::net
