#include "core/net/settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "core/net/list_cache.h"
#include "support/temp_dir.h"

namespace brindle::net {
namespace {

using testing::read_file;
using testing::TempDir;
using testing::write_file;

class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() { context.program_directory = dir.path(); }
  void ini(const std::string& text) { write_file(dir / "Vantora.ini", text); }

  TempDir dir;
  net::ClientContext context;
};

TEST_F(SettingsTest, RefreshPeriodsAndTheirFloor) {
  timer_load(context);
  EXPECT_EQ(context.asia_refresh_period, 180);
  EXPECT_EQ(context.other_refresh_period, 180);

  ini("[SYSTEM]\nAsia Timer=30\nOther Timer=30\n");
  timer_load(context);
  EXPECT_EQ(context.asia_refresh_period, 60);
  EXPECT_EQ(context.other_refresh_period, 30);

  ini("[SYSTEM]\nAsia Timer=-5\nOther Timer=x\n");
  timer_load(context);
  EXPECT_EQ(context.asia_refresh_period, 60);
  EXPECT_EQ(context.other_refresh_period, 0);
}

TEST_F(SettingsTest, ConfiguredServersAlwaysNumberServerCount) {
  struct Case {
    const char* file;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"", {""}},
      {"[SERVER]\nServer Count=3\nServer0=a.example\n", {"a.example", "", ""}},
      {"[SERVER]\nServer Count=2\nServer1=b\nServer0=a\nServer2=c\n", {"a", "b"}},
      {"[SERVER]\nServer Count=0\nServer0=a\n", {}},
      {"[SERVER]\nServer Count=-4\n", {}},
  };
  for (const Case& c : cases) {
    ini(c.file);
    context.configured_servers = {"stale"};
    settings_load(context);
    EXPECT_EQ(context.configured_servers, c.expected) << c.file;
  }
  ini("[SERVER]\nServer Count=2000000000\n");
  settings_load(context);
  EXPECT_EQ(context.configured_servers.size(), static_cast<std::size_t>(kMaxConfiguredServers));
}

TEST_F(SettingsTest, LoadFillsServersOtherGamesAndTheServerList) {
  ini("[SERVER]\nCurrent Server=main.example:9443\n"
      "[OTHERGAMES]\nCasino1=c1\nCasino1Web=c1w\nCasino2=c2\nLotto=lo\nPoker=po\nLuzi=lu\n"
      "Keno=ke\nTexas=te\nTTG=tt\nPhone=ph\nPromo=pr\n");
  EXPECT_FALSE(settings_load(context)) << "no server list cache yet";
  EXPECT_EQ(context.current_server, "main.example:9443");
  EXPECT_EQ(context.chosen_server, "main.example:9443");
  const net::OtherGames& g = context.other_games;
  EXPECT_EQ((std::vector<std::string>{g.casino1, g.casino1_web, g.casino2, g.lotto, g.poker, g.luzi, g.keno,
                                      g.texas, g.ttg, g.phone, g.promo}),
            (std::vector<std::string>{"c1", "c1w", "c2", "lo", "po", "lu", "ke", "te", "tt", "ph", "pr"}));

  ASSERT_TRUE(net::write_list_cache(dir / "skin.dat", {{"s1", 1}, {"s2", 2}}));
  context.server_list = {{"stale", 9}};
  EXPECT_TRUE(settings_load(context));
  EXPECT_EQ(context.server_list, (std::vector<net::ListEntry>{{"s1", 1}, {"s2", 2}}));
}

TEST_F(SettingsTest, SetCurrentServer) {
  context.current_server = "old";
  EXPECT_FALSE(set_current_server(context, ""));
  EXPECT_EQ(context.current_server, "old");
  EXPECT_FALSE(std::filesystem::exists(dir / "Vantora.ini"));

  EXPECT_TRUE(set_current_server(context, "new.example:8443"));
  EXPECT_EQ(context.chosen_server, "new.example:8443");
  settings_load(context);
  EXPECT_EQ(context.current_server, "new.example:8443");

  // A failed write is not the caller's problem to undo: memory keeps the new server.
  context.program_directory = dir / "missing-folder";
  EXPECT_FALSE(set_current_server(context, "third"));
  EXPECT_EQ(context.current_server, "third");
}

TEST_F(SettingsTest, AsiaPeriodAndVersionAreWrittenInDecimal) {
  EXPECT_EQ(settings_version(context), 100);
  EXPECT_TRUE(write_settings_version(context, 231));
  EXPECT_TRUE(set_asia_refresh_period(context, 75));
  EXPECT_EQ(read_file(dir / "Vantora.ini"), "[SYSTEM]\r\nVersion=231\r\nAsia Timer=75\r\n");
  EXPECT_EQ(settings_version(context), 231);

  set_asia_refresh_period(context, 59);
  EXPECT_EQ(context.asia_refresh_period, 60);
}

TEST_F(SettingsTest, OddsFormatIsDecimalUnlessTheFileNamesAnother) {
  const std::pair<const char*, OddsFormat> cases[] = {
      {"", OddsFormat::kDecimal},
      {"[SYSTEM]\nOdds Format=malay\n", OddsFormat::kMalay},
      {"[SYSTEM]\nOdds Format=american\n", OddsFormat::kDecimal},
      {"[SERVER]\nOdds Format=hongkong\n", OddsFormat::kDecimal},
  };
  for (const auto& [file, format] : cases) {
    ini(file);
    context.odds_format = OddsFormat::kIndonesian;
    settings_load(context);
    EXPECT_EQ(context.odds_format, format) << file;
  }

  ini("[SYSTEM]\r\nAsia Timer=90\r\n");
  EXPECT_TRUE(set_odds_format(context, OddsFormat::kHongKong));
  EXPECT_EQ(read_file(dir / "Vantora.ini"), "[SYSTEM]\r\nAsia Timer=90\r\nOdds Format=hongkong\r\n");
  context.odds_format = OddsFormat::kDecimal;
  odds_format_load(context);
  EXPECT_EQ(context.odds_format, OddsFormat::kHongKong);
}

TEST_F(SettingsTest, AnotherWorkingDirectoryUsesTheSameFile) {
  const auto original = std::filesystem::current_path();
  TempDir elsewhere;
  std::filesystem::current_path(elsewhere.path());
  const bool written = set_current_server(context, "moved.example");
  std::filesystem::current_path(original);

  EXPECT_TRUE(written);
  EXPECT_FALSE(std::filesystem::exists(elsewhere / "Vantora.ini"));
  settings_load(context);
  EXPECT_EQ(context.current_server, "moved.example");
}

}  // namespace
}  // namespace brindle::net
