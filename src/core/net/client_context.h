#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/net/odds_format_setting.h"
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

// A game text that is already a whole web address: the buttons that put their text after the
// current server open it as it stands, so one text serves the buttons of both kinds.
inline bool is_whole_web_address(std::string_view text) {
  return text.starts_with("https://") || text.starts_with("http://");
}

// The member's profile as the Member details request delivers it, in the server's order.
struct MemberDetails {
  int in_play_web_mode = 0;  // which in-play page the halls open
  std::array<std::string, 19> texts;
  int number1 = 0;
  int number2 = 0;
};

// 0 member, 2 visitor, 3 member signed in by a Login request with a mode other than 1.
inline constexpr int kLoginModeMember = 0;
inline constexpr int kLoginModeVisitor = 2;
inline constexpr int kLoginModeSecondary = 3;

// The one process-wide object that every window reads: settings, lists, proxy choice, the
// signed-in user. Plain data; the operations that fill it live beside the files they read.
struct ClientContext {
  // The folder of the running executable, with the skin and the programs; start-up sets it.
  std::filesystem::path program_directory;
  // Where Vantora.ini, the list caches, the learned server keys and the registration file are kept:
  // the Program directory when the user may write there, else the user's own folder. Empty means
  // the Program directory.
  std::filesystem::path state_directory;
  // False for a system installation, which its package manager upgrades and the upgrader cannot.
  bool program_directory_writable = true;
  // Another settings file than state_folder()/Vantora.ini (the command line's --ini).
  std::filesystem::path settings_file;

  // Settings file
  std::string current_server;
  std::string chosen_server;  // what the drop-down lists show
  std::vector<std::string> configured_servers;
  OtherGames other_games;
  int asia_refresh_period = 180;                  // seconds, at least 60
  int other_refresh_period = 180;                 // seconds
  OddsFormat odds_format = OddsFormat::kDecimal;  // how every view shows prices

  // Server and proxy lists
  std::vector<ListEntry> server_list;
  std::vector<ListEntry> proxy_list;
  std::size_t proxy_cursor = 0;  // next proxy to take; only moves forward, with wrap-around
  bool user_proxy = false;       // use a proxy
  bool personal_proxy = false;   // use the manually entered one
  std::string personal_proxy_address;
  int personal_proxy_port = 0;
  std::string proxy_text;  // "%s:%d" of the proxy in use, passed to the requests that allow one

  // Texts for the Main window
  std::string latest_information;
  std::string second_information;

  // Signed-in user
  std::string user_name;
  std::string password;
  std::string login_text1;  // kept, not shown anywhere
  std::string login_text3;
  int star_member = 0;    // 1 = star member
  int currency_code = 0;  // 0 until the account first buys credit; 1 RMB, 2 USD, 3 HKD
  double balance = 0;
  double frozen_amount = 0;
  double credit = 0;
  int context_number1 = 1;  // sent back unchanged with market and bet requests
  int context_number2 = 1;
  int peak_period = 0;  // set by market-data replies
  int login_mode = kLoginModeMember;
  MemberDetails member_details;

  // Start-up
  int skin_size_mode = 0;  // 0 "skin", 1 "skin/800", 2 "skin/900"

  RequestContext request_context() const { return {current_server, user_name, password}; }
  // Back in the public room: no room number, no star member to cash out with, no room name.
  void leave_room() {
    room_number = 0;
    room_star_member.clear();
    room_name.clear();
  }
  const std::filesystem::path& state_folder() const {
    return state_directory.empty() ? program_directory : state_directory;
  }
  std::filesystem::path settings_path() const {
    return settings_file.empty() ? state_folder() / "Vantora.ini" : settings_file;
  }

  // --- Fields added by the request catalogue go below this line. ---
  // Request catalogue state
  int room_number = 0;           // the private room the user is in, 0 in the public room; ends every bet
  std::string room_star_member;  // the user name of that room's star member, empty outside a room
  std::string room_name;         // what the halls' location lines show inside the room
  std::array<std::string, 5> league_filter{"0", "0", "0", "0", "0"};  // "0" = unused
  std::array<std::string, 4> star_member_terms;  // RMB, HKD and USD deposits and a fourth number
  std::string room_list_text;                    // the room list's header field
  std::string records_header_text;               // the header field of the record replies that carry one
  double account_amount = 0;                     // the balance request's first amount
  int in_play_delay = 0;                         // seconds before a delayed in-play bet is confirmed
  int in_play_bet_number = 0;                    // named in the delayed bet's follow-up
  int in_play_confirmation = 0;                  // the confirmation reply's integer
  bool in_play_follow_up_off = false;            // no follow-up after the confirmation
  std::string web_token_prefix;                  // put in front of an accepted web session token
};

}  // namespace brindle::net
