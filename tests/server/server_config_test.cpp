#include "server/server_config.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "support/temp_dir.h"

namespace brindle::server {
namespace {

TEST(ServerConfig, ReadsEverySectionAndKeepsDefaultsForTheRest) {
  auto config = parse_server_config(
      "\xEF\xBB\xBF# demo\r\n"
      "[server]\r\n"
      "version = 221\r\n"
      "latest_information =  今日有新盘口  \r\n"
      "\r\n"
      "[servers]\n"
      "127.0.0.1:47443 | 1\n"
      "; a comment\n"
      "备用服务器|-2\n"
      "[proxies]\n"
      "10.0.0.1|8080\n");
  ASSERT_TRUE(config.ok()) << config.error();
  EXPECT_EQ(config->version, 221);
  EXPECT_EQ(config->latest_information, "今日有新盘口");
  EXPECT_EQ(config->login_notice, ServerConfig{}.login_notice);
  ASSERT_TRUE(config->servers.has_value());
  EXPECT_EQ(*config->servers, (std::vector<ListEntry>{{"127.0.0.1:47443", 1}, {"备用服务器", -2}}));
  EXPECT_EQ(config->proxies, (std::vector<ListEntry>{{"10.0.0.1", 8080}}));
}

TEST(ServerConfig, StarTermsAndRoomPositionsReplaceTheirDefaults) {
  auto config = parse_server_config(
      "[server]\nstar_deposit_rmb = 20000\nstar_deposit_usd = 3000\nroom_commission = 1.25\n"
      "mail_command = /usr/sbin/sendmail -t -i | logger\nmail_from = kefu@example.com\n"
      "[room_positions]\n东厅|120\n西厅|110\n");
  ASSERT_TRUE(config.ok()) << config.error();
  EXPECT_EQ(config->star_deposit_rmb, 20000);
  EXPECT_EQ(config->star_deposit_hkd, ServerConfig{}.star_deposit_hkd);
  EXPECT_EQ(config->star_deposit_usd, 3000);
  EXPECT_EQ(config->room_commission_basis_points, 125);
  EXPECT_EQ(config->mail_command, "/usr/sbin/sendmail -t -i | logger");
  EXPECT_EQ(config->mail_from, "kefu@example.com");
  EXPECT_EQ(config->room_positions, (std::vector<ListEntry>{{"东厅", 120}, {"西厅", 110}}));
}

TEST(ServerConfig, AttemptLimitsAndHashThreadsReplaceTheirDefaultsPartByPart) {
  auto config = parse_server_config(
      "[server]\nhash_threads = 4\nsign_in_name_free = 5\nsign_in_name_lock_minutes = 30\n"
      "sign_in_address_lock_after = 0\nlookup_address_backoff_seconds = 2\n"
      "lookup_address_backoff_max_seconds = 10\n");
  ASSERT_TRUE(config.ok()) << config.error();
  const ServerConfig defaults;
  EXPECT_EQ(config->hash_threads, 4u);
  auto name = defaults.sign_in_per_name;
  name.free = 5;
  name.lock_time = std::chrono::minutes(30);
  EXPECT_EQ(config->sign_in_per_name, name);
  auto address = defaults.sign_in_per_address;
  address.lock_after = 0;
  EXPECT_EQ(config->sign_in_per_address, address);
  auto lookup = defaults.lookups_per_address;
  lookup.backoff = std::chrono::seconds(2);
  lookup.backoff_max = std::chrono::seconds(10);
  EXPECT_EQ(config->lookups_per_address, lookup);
}

TEST(ServerConfig, TheWithdrawalPasswordLimitLocksByDefaultAndIsSetPartByPart) {
  const ServerConfig defaults;
  EXPECT_GT(defaults.withdrawal_per_account.lock_after, 0) << "only the account's owner can try it";
  auto config = parse_server_config("[server]\nwithdrawal_password_lock_after = 5\n");
  ASSERT_TRUE(config.ok()) << config.error();
  auto withdrawal = defaults.withdrawal_per_account;
  withdrawal.lock_after = 5;
  EXPECT_EQ(config->withdrawal_per_account, withdrawal);
  EXPECT_EQ(config->sign_in_per_name, defaults.sign_in_per_name);
}

TEST(ServerConfig, TheAccountWideSignInLimitOnlyBacksOffByDefault) {
  const ServerConfig defaults;
  EXPECT_EQ(defaults.sign_in_per_account.lock_after, 0) << "a lock there would lock its owner out";
  auto config = parse_server_config("[server]\nsign_in_account_free = 20\n");
  ASSERT_TRUE(config.ok()) << config.error();
  EXPECT_EQ(config->sign_in_per_account.free, 20);
  EXPECT_EQ(config->sign_in_per_name, defaults.sign_in_per_name);
}

TEST(ServerConfig, AnEmptyServersSectionIsAnEmptyListNotTheDefault) {
  auto config = parse_server_config("[servers]\n");
  ASSERT_TRUE(config.ok());
  ASSERT_TRUE(config->servers.has_value());
  EXPECT_TRUE(config->servers->empty());
  EXPECT_FALSE(parse_server_config("")->servers.has_value());
}

TEST(ServerConfig, ListenAddressesAndTrustedProxiesInTheirOrder) {
  auto config = parse_server_config(
      "[server]\nlisten = 0.0.0.0:443, [::]:443,,127.0.0.1:8080\ntrusted_proxies = 10.0.0.0/8, "
      "2001:db8::/32\n");
  ASSERT_TRUE(config.ok()) << config.error();
  EXPECT_EQ(config->listen, (std::vector<ListenAddress>{{"0.0.0.0", 443}, {"::", 443}, {"127.0.0.1", 8080}}));
  ASSERT_EQ(config->trusted_proxies.size(), 2u);
  EXPECT_EQ(config->trusted_proxies[1].text(), "2001:db8::/32");
  EXPECT_TRUE(parse_server_config("")->listen.empty());
  EXPECT_TRUE(parse_server_config("")->trusted_proxies.empty());
}

TEST(ServerConfig, RefusesBadLinesNamingTheLine) {
  const struct {
    std::string text;
    std::string error_start;
  } cases[] = {
      {"version=1\n", "line 1: an entry before any section"},
      {"[server]\n[sever]\n", "line 2: unknown section"},
      {"[server\n", "line 1: a section header"},
      {"[server]\nversoin=1\n", "line 2: unknown key 'versoin'"},
      {"[server]\nversion=1\nversion=2\n", "line 3: 'version' is set twice"},
      {"[server]\nversion=1.5\n", "line 2: version must be an integer"},
      {"[server]\nfull_sync = yes\n", "line 2: full_sync must be 0 or 1"},
      {"[server]\npeak_period = 2\n", "line 2: peak_period must be 0 or 1"},
      {"[server]\nlogin_notice\n", "line 2: expected 'key = value'"},
      {"[server]\nlogin_notice=a|b\n", "line 2: login_notice: '|' cannot"},
      {"[server]\nsecond_information=\xF0\x9F\x8E\xB2\n",
       "line 2: second_information: the text has characters"},
      {"[servers]\nhost\n", "line 2: expected one 'text|number'"},
      {"[servers]\na|1|2\n", "line 2: expected one 'text|number'"},
      {"[servers]\n  |1\n", "line 2: the entry's text is empty"},
      {"[proxies]\nproxy|port\n", "line 2: the entry's number"},
      {"[proxies]\nproxy|2147483648\n", "line 2: the entry's number"},
      {"[servers]\n" + std::string(257, 'h') + "|1\n", "line 2: the entry's text is longer"},
      {"[server]\nroom_commission = 0.505\n", "line 2: room_commission must be a percent"},
      {"[server]\nroom_commission = 100.01\n", "line 2: room_commission must be a percent"},
      {"[server]\nstar_deposit_hkd = -1\n", "line 2: star_deposit_hkd must be a whole amount"},
      {"[server]\nmail_from = kefu\n", "line 2: mail_from must be an e-mail address"},
      {"[server]\nmail_command = sendmail\t-t\n", "line 2: mail_command: control characters"},
      {"[server]\nhash_threads = 0\n", "line 2: hash_threads must be a whole number from 1 to 64"},
      {"[server]\nsign_in_name_free = -1\n", "line 2: sign_in_name_free must be a whole number"},
      {"[server]\nsign_in_name_lock = 5\n", "line 2: unknown key 'sign_in_name_lock'"},
      {"[room_positions]\n代理|5\n", "line 2: a room position's id must be 100 or more"},
      {"[room_positions]\n甲|100\n乙|100\n", "line 3: room position 100 is listed twice"},
      {"[server]\nlisten = ::1:443\n", "line 2: listen wants ADDRESS:PORT entries"},
      {"[server]\nlisten = 0.0.0.0:443, 0.0.0.0\n", "line 2: listen wants ADDRESS:PORT entries"},
      {"[server]\nlisten = ,\n", "line 2: listen is empty"},
      {"[server]\ntrusted_proxies = 10.0.0.0/8 192.0.2.1\n", "line 2: trusted_proxies wants addresses"},
      {"[server]\ntrusted_proxies =\n", "line 2: trusted_proxies is empty"},
      {"[server]\ncertificate = c.pem\n", "[server] sets certificate without key"},
      {"[server]\nkey = k.pem\n", "[server] sets key without certificate"},
  };
  for (const auto& c : cases) {
    auto config = parse_server_config(c.text);
    ASSERT_FALSE(config.ok()) << c.text;
    EXPECT_TRUE(config.error().starts_with(c.error_start)) << config.error();
  }
}

TEST(ServerConfig, LoadNamesTheFileThatFailed) {
  testing::TempDir dir;
  auto missing = load_server_config(dir / "absent.ini");
  ASSERT_FALSE(missing.ok());
  EXPECT_NE(missing.error().find("absent.ini"), std::string::npos);
  EXPECT_FALSE(load_server_config(dir.path()).ok());

  testing::write_file(dir / "bad.ini", "[server]\nversion=x\n");
  auto bad = load_server_config(dir / "bad.ini");
  ASSERT_FALSE(bad.ok());
  EXPECT_NE(bad.error().find("bad.ini, line 2"), std::string::npos) << bad.error();

  testing::write_file(dir / "good.ini", "[server]\nversion=7\n");
  EXPECT_EQ(load_server_config(dir / "good.ini")->version, 7);

  // The operator's files may be named beside the configuration.
  testing::write_file(dir / "tls.ini", "[server]\ncertificate = tls/chain.pem\nkey = /etc/brindle/key.pem\n");
  auto tls = load_server_config(dir / "tls.ini");
  ASSERT_TRUE(tls.ok()) << tls.error();
  EXPECT_EQ(tls->certificate, dir / "tls/chain.pem");
  EXPECT_EQ(tls->private_key, std::filesystem::path("/etc/brindle/key.pem"));
}

}  // namespace
}  // namespace brindle::server
