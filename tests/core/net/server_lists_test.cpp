#include "core/net/server_lists.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/net/list_cache.h"
#include "fake_transport.h"
#include "support/temp_dir.h"

namespace brindle::net {
namespace {

using testing::read_file;
using Entries = std::vector<ListEntry>;

class ListFetchTest : public ::testing::Test {
 protected:
  ListFetchTest() { context.program_directory = dir.path(); }

  testing::TempDir dir;
  ClientContext context;
  testing::FakeTransport transport;
  ports::SilentProgress progress;
  const std::vector<std::string> hosts{"h1.example", "h2.example:8443", "h3.example"};
};

TEST_F(ListFetchTest, FirstHostFailingFallsThroughToTheNext) {
  transport.fail("无法连接到服务器");
  transport.reply({"srv1|1", "srv2|2"});
  context.server_list = {{"stale", 0}};
  std::string error;
  ASSERT_TRUE(server_list_fetch(context, transport, progress, error, hosts));

  EXPECT_EQ(transport.urls(), (std::vector<std::string>{"https://h1.example/betengine/ServerList.htm",
                                                        "https://h2.example:8443/betengine/ServerList.htm"}));
  for (const HttpExchange& e : transport.exchanges()) {
    EXPECT_FALSE(e.has_body) << "list documents are fetched with GET";
    EXPECT_FALSE(e.use_proxy);
    EXPECT_EQ(e.connecting_text, "正在与服务器连接...");
    EXPECT_EQ(e.sending_text, "正在向服务器发送请求...");
    EXPECT_EQ(e.reading_text, "正在从服务器读取数据...");
  }
  EXPECT_EQ(context.server_list, (Entries{{"srv1", 1}, {"srv2", 2}}));
  EXPECT_EQ(read_file(dir / "skin.dat"), std::string("\x01\x00\x00\x00\x04\x00\x00\x00\x18\x19\x1d\x5a"
                                                     "\x02\x00\x00\x00\x04\x00\x00\x00\x18\x19\x1d\x59",
                                                     24));
}

TEST(ListDocumentHosts, TheUsersServersComeBeforeTheBuiltInOnesEachOnce) {
  ClientContext context;
  context.current_server = " 10.0.0.5:8443 ";
  context.configured_servers = {"10.0.0.5:8443", "", "backup.example", "h1.example"};
  EXPECT_EQ(list_document_hosts(context, {"h1.example", "h2.example"}),
            (std::vector<std::string>{"10.0.0.5:8443", "backup.example", "h1.example", "h2.example"}));
}

TEST_F(ListFetchTest, EveryHostFailingKeepsTheListAndTheLastError) {
  transport.fail("first");
  transport.fail("second");
  transport.fail("third");
  context.server_list = {{"kept", 4}};
  std::string error;
  EXPECT_FALSE(server_list_fetch(context, transport, progress, error, hosts));
  EXPECT_EQ(error, "third");
  EXPECT_EQ(context.server_list, (Entries{{"kept", 4}}));
  EXPECT_FALSE(std::filesystem::exists(dir / "skin.dat"));
}

TEST_F(ListFetchTest, LinesAreTextAndNumber) {
  transport.reply({"a.example|12|extra", "b.example", "c.example|x7", "\xD6\xD0.example| 9"});
  std::string error;
  ASSERT_TRUE(proxy_list_fetch(context, transport, progress, error, hosts));
  EXPECT_EQ(transport.urls(), (std::vector<std::string>{"https://h1.example/betengine/ProxyList.htm"}));
  EXPECT_EQ(context.proxy_list,
            (Entries{{"a.example", 12}, {"b.example", 0}, {"c.example", 0}, {"中.example", 9}}));
  EXPECT_EQ(read_list_cache(dir / "skinsm.dat"), context.proxy_list);
  EXPECT_FALSE(std::filesystem::exists(dir / "skin.dat"));
}

TEST_F(ListFetchTest, AnEmptyDocumentEmptiesTheListButKeepsTheCache) {
  ASSERT_TRUE(write_list_cache(dir / "skin.dat", {{"cached", 1}}));
  transport.reply({});
  context.server_list = {{"old", 1}};
  std::string error;
  EXPECT_TRUE(server_list_fetch(context, transport, progress, error, hosts));
  EXPECT_TRUE(context.server_list.empty());
  EXPECT_EQ(read_list_cache(dir / "skin.dat"), (Entries{{"cached", 1}}));
}

}  // namespace
}  // namespace brindle::net
