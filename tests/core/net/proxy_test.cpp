#include "core/net/proxy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/net/list_cache.h"
#include "core/net/settings_file.h"
#include "fake_transport.h"
#include "support/temp_dir.h"

namespace brindle::net {
namespace {

using testing::read_file;
using testing::write_file;

class ProxyTest : public ::testing::Test {
 protected:
  ProxyTest() { context.program_directory = dir.path(); }
  std::string setting(const char* key) const {
    return net::SettingsFile(context.settings_path()).read_text("SETTINGS", key, "<absent>");
  }
  bool choose() { return automatic_proxy_choice(context, transport, progress, hosts); }

  testing::TempDir dir;
  ClientContext context;
  testing::FakeTransport transport;
  ports::SilentProgress progress;
  const std::vector<std::string> hosts{"h1.example", "h2.example"};
};

TEST_F(ProxyTest, ApplyWritesTheChoiceKeyByKey) {
  context.personal_proxy_address = "kept";
  context.personal_proxy_port = 1;
  EXPECT_TRUE(proxy_apply(context, true, true, "10.0.0.1", 8080));
  EXPECT_EQ(read_file(context.settings_path()),
            "[SETTINGS]\r\nUserProxy=1\r\nPersonalProxy=1\r\nProxyServer=10.0.0.1\r\nProxyPort=8080\r\n");
  EXPECT_EQ(context.proxy_text, "10.0.0.1:8080");
  EXPECT_EQ(context.personal_proxy_address, "kept");

  EXPECT_TRUE(proxy_apply(context, true, false, "p.example", 3128));
  EXPECT_EQ(setting("PersonalProxy"), "0");
  EXPECT_EQ(setting("ProxyServer"), "10.0.0.1") << "only a personal choice replaces the personal proxy";
  EXPECT_EQ(context.proxy_text, "p.example:3128");
}

TEST_F(ProxyTest, ClearingUseProxyWhilePersonalStaysTicked) {
  proxy_settings_confirm(context, {false, true, "1.2.3.4", 3128}, transport, progress, hosts);
  EXPECT_EQ(setting("UserProxy"), "0");
  EXPECT_EQ(setting("PersonalProxy"), "1");
  EXPECT_EQ(setting("ProxyServer"), "");
  EXPECT_EQ(setting("ProxyPort"), "0");
  EXPECT_FALSE(context.user_proxy);
  EXPECT_EQ(context.proxy_text, "") << "an empty address is no proxy, not \":0\"";
  EXPECT_TRUE(transport.exchanges().empty());
}

TEST_F(ProxyTest, ConfirmWithoutPersonalTakesAFreshlyFetchedProxy) {
  transport.reply({"f1.example|81", "f2.example|82"});
  proxy_settings_confirm(context, {true, false, "ignored", 1}, transport, progress, hosts);
  EXPECT_EQ(context.proxy_text, "f1.example:81");
  EXPECT_EQ(setting("UserProxy"), "1");
  EXPECT_EQ(setting("ProxyServer"), "<absent>");
}

TEST_F(ProxyTest, LoadReadsThePersonalProxyOnlyWhenItIsChosen) {
  write_file(context.settings_path(),
             "[SETTINGS]\nUserProxy=1\nPersonalProxy=0\nProxyServer=p.example\nProxyPort=99\n");
  context.proxy_text = "current:1";
  EXPECT_FALSE(proxy_load(context));
  EXPECT_TRUE(context.user_proxy);
  EXPECT_EQ(context.personal_proxy_address, "");
  EXPECT_EQ(context.proxy_text, "current:1");

  write_file(context.settings_path(), "[SETTINGS]\nPersonalProxy=1\nProxyServer=p.example\nProxyPort=99\n");
  ASSERT_TRUE(write_list_cache(dir / "skinsm.dat", {{"c.example", 80}}));
  EXPECT_TRUE(proxy_load(context));
  EXPECT_FALSE(context.user_proxy);
  EXPECT_EQ(context.personal_proxy_port, 99);
  EXPECT_EQ(context.proxy_text, "p.example:99");
  EXPECT_EQ(context.proxy_list, (std::vector<ListEntry>{{"c.example", 80}}));
}

TEST_F(ProxyTest, ThreeProxiesChosenFourTimesWrapAround) {
  ASSERT_TRUE(write_list_cache(dir / "skinsm.dat", {{"p0", 10}, {"p1", 11}, {"p2", 12}}));
  context.proxy_text = "earlier:1";
  std::vector<std::string> used;
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(choose());
    used.push_back(context.proxy_text);
  }
  EXPECT_EQ(used, (std::vector<std::string>{"p0:10", "p1:11", "p2:12", "p0:10"}));
  EXPECT_EQ(setting("UserProxy"), "1");
  EXPECT_TRUE(transport.exchanges().empty()) << "a cached list needs no fetch";
}

TEST_F(ProxyTest, WithoutAProxyTextTheListIsFetched) {
  transport.fail("down");
  transport.reply({"f.example|8000"});
  EXPECT_TRUE(choose());
  EXPECT_EQ(transport.urls().size(), 2u);
  EXPECT_EQ(context.proxy_text, "f.example:8000");
  EXPECT_TRUE(context.user_proxy);
  EXPECT_EQ(setting("PersonalProxy"), "0");

  ClientContext fresh;
  fresh.program_directory = dir.path();
  std::filesystem::remove(dir / "skinsm.dat");
  testing::FakeTransport dead;
  EXPECT_TRUE(automatic_proxy_choice(fresh, dead, progress, hosts)) << "a failed fetch is not reported";
  EXPECT_EQ(dead.exchanges().size(), 2u);
  EXPECT_TRUE(fresh.user_proxy);
  EXPECT_EQ(fresh.proxy_text, "");
}

TEST_F(ProxyTest, APersonalProxyInUseIsKept) {
  write_file(context.settings_path(),
             "[SETTINGS]\nUserProxy=1\nPersonalProxy=1\nProxyServer=me\nProxyPort=5\n");
  ASSERT_TRUE(write_list_cache(dir / "skinsm.dat", {{"p0", 10}}));
  const std::string before = read_file(context.settings_path());
  EXPECT_TRUE(choose());
  EXPECT_EQ(context.proxy_text, "me:5");
  EXPECT_EQ(read_file(context.settings_path()), before);
  EXPECT_EQ(context.proxy_cursor, 0u);
}

TEST_F(ProxyTest, TakingTheNextProxyWrapsAndSurvivesAShorterList) {
  EXPECT_FALSE(take_next_proxy(context).has_value());
  context.proxy_list = {{"a", 1}, {"b", 2}, {"c", 3}};
  context.proxy_cursor = 2;
  EXPECT_EQ(take_next_proxy(context)->text, "c");
  EXPECT_EQ(take_next_proxy(context)->text, "a");
  context.proxy_cursor = 5;  // the list was replaced by a shorter one
  EXPECT_EQ(take_next_proxy(context)->text, "a");
}

}  // namespace
}  // namespace brindle::net
