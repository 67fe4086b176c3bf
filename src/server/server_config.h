#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/accounts/attempt_limiter.h"
#include "server/http/network_address.h"
#include "wire/result.h"

namespace brindle::server {

// One line of a list document: a server (host, optionally ":port") with its number, or a proxy
// address with its port.
struct ListEntry {
  std::string text;
  std::int32_t number = 0;
  bool operator==(const ListEntry&) const = default;
};

// What the operator sets; every text is UTF-8 and is written to the wire in GBK.
struct ServerConfig {
  // Where to listen when the command line names no --listen; empty: 127.0.0.1:47443.
  std::vector<ListenAddress> listen;
  // Where /healthz and /metrics answer when the command line names no --operations; nowhere when
  // absent.
  std::optional<ListenAddress> operations;
  // The operator's certificate (PEM, the chain's intermediates after it) and its private key
  // (mode 0600 or stricter); both empty: the self-made pair in the data folder.
  std::filesystem::path certificate;
  std::filesystem::path private_key;
  // The operator's TCP load balancers: connections from them begin with a PROXY header naming the
  // client, whose address the sign-in limits then count (see HttpListener::trust_proxies).
  std::vector<AddressBlock> trusted_proxies;

  int version = 100;
  std::string login_notice = "欢迎使用澜川国际体育。";
  std::string latest_information = "欢迎光临澜川国际体育，祝您好运！";
  std::string second_information = "走地盘口即时更新，请留意比分变化。";
  // Market lists tell the client it is peak time; accounts that never bought credit then get no rows.
  bool peak_period = false;
  // Every commit waits for the disk (SQLite synchronous=FULL), so a power cut loses no committed
  // bet; off, a crash of the process still loses nothing but a power cut may lose the last commits.
  bool full_sync = false;
  // Where the state lives (see storage::open_database): empty is the SQLite file in the data
  // folder; "postgresql://…" a PostgreSQL database, with database_pool connections at most.
  std::string database;
  std::size_t database_pool = 8;
  // Absent: the server list names this server itself, so a fresh install is reachable.
  std::optional<std::vector<ListEntry>> servers;
  std::vector<ListEntry> proxies;

  // The deposit a star member must hold, in whole units of the account's currency (1003, 2012).
  std::int64_t star_deposit_rmb = 10000;
  std::int64_t star_deposit_hkd = 10000;
  std::int64_t star_deposit_usd = 1500;
  // What a room's star member earns on each settled bet taken in his room, in hundredths of a
  // percent of the stake: 50 is 0.50%.
  int room_commission_basis_points = 50;
  // The positions a room may take (4006), ids from 100 up; the text is the position's name.
  std::vector<ListEntry> room_positions = {{"贵宾厅", 100}, {"至尊厅", 101}, {"金殿", 102}};
  // Password retrieval mails go to this sendmail-compatible command (run by the shell, the message
  // on its standard input); empty: they are written to the outbox folder of the data folder.
  std::string mail_command;
  std::string mail_from = "service@localhost";

  // Threads that hash passwords, apart from the network threads.
  std::size_t hash_threads = 2;
  // Repeated failed sign-ins per user name from one address, per account from every address, and
  // per address, and name checks and password retrievals per address: backoff, then a lock (see
  // AttemptPolicy). A name's lock holds only new sign-ins from the address that failed; the
  // account's limit only slows down, or anyone could lock its owner out. An address is shared by
  // many users (an office, a proxy; behind a balancer not named in trusted_proxies, everyone), so its limits
  // are looser and lock nothing unless the operator asks: a lock there would lock out every new sign-in at
  // once.
  accounts::AttemptPolicy sign_in_per_name{3, std::chrono::seconds(1), std::chrono::seconds(60), 10,
                                           std::chrono::minutes(15)};
  accounts::AttemptPolicy sign_in_per_account{10, std::chrono::seconds(1), std::chrono::seconds(60), 0,
                                              std::chrono::minutes(15)};
  accounts::AttemptPolicy sign_in_per_address{10, std::chrono::seconds(1), std::chrono::seconds(30), 0,
                                              std::chrono::minutes(15)};
  accounts::AttemptPolicy lookups_per_address{20, std::chrono::seconds(1), std::chrono::seconds(30), 0,
                                              std::chrono::minutes(15)};
  // Wrong withdrawal passwords (transfers, profile changes) per account. Only a signed-in user can
  // try one, so a lock here locks out no stranger.
  accounts::AttemptPolicy withdrawal_per_account{3, std::chrono::seconds(1), std::chrono::seconds(60), 10,
                                                 std::chrono::minutes(15)};
  // The client release offered at /Download/Upgrader, signed by `brindle-server sign-release`;
  // empty: none. Its version should be `version` above, which is what sends clients to it.
  std::filesystem::path release_dir;
};

// Reads the INI-style configuration (UTF-8):
//
//   [server]    version, login_notice, latest_information, second_information, peak_period,
//               full_sync (key = value; the flags are 0 or 1), star_deposit_rmb, star_deposit_hkd,
//               star_deposit_usd (whole units), room_commission (percent of the stake, at most
//               two decimals, e.g. 0.5), mail_command (e.g. /usr/sbin/sendmail -t -i),
//               mail_from (the sender of retrieval mails), hash_threads (1 to 64),
//               <limit>_free, <limit>_backoff_seconds, <limit>_backoff_max_seconds,
//               <limit>_lock_after, <limit>_lock_minutes for each <limit> of sign_in_name,
//               sign_in_account, sign_in_address, lookup_address and withdrawal_password (whole
//               numbers from 0; 0 turns that part off),
//               release_dir (a folder signed by sign-release), database (sqlite: or a
//               postgresql:// address), database_pool (connections, 1 to 256),
//               listen (ADDRESS:PORT[, ADDRESS:PORT ...], IPv6 in brackets: 0.0.0.0:443, [::]:443),
//               operations (ADDRESS:PORT of /healthz and /metrics, e.g. 127.0.0.1:9464),
//               certificate and key (files, both or neither; relative to the configuration's folder),
//               trusted_proxies (ADDRESS[/PREFIX][, ...]: 10.0.0.0/8, 2001:db8::/32, 192.0.2.7)
//   [servers]   one "text|number" line per server
//   [proxies]   one "address|port" line per proxy
//   [room_positions]  one "name|id" line per room position, ids from 100 up; replaces the
//               built-in positions
//
// Lines starting with "#" or ";" are comments. Keys left out keep their defaults. Unknown sections
// and keys, texts that cannot travel in one reply field ("|", no GBK form) and bad numbers are
// refused with the line they stand on.
Result<ServerConfig> parse_server_config(std::string_view utf8_text);
Result<ServerConfig> load_server_config(const std::filesystem::path& file);

}  // namespace brindle::server
