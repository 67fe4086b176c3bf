// The client's command line and core against the reference server on loopback.

#include <gtest/gtest.h>

#include <string>

#include "core/net/client_context.h"
#include "core/net/curl_transport.h"
#include "core/net/list_cache.h"
#include "core/net/server_lists.h"
#include "core/ports/progress_sink.h"
#include "loopback_server.h"

namespace {

using brindle::testing::read_file;
using brindle::testing::TempDir;

using brindle::testing::CommandResult;

CommandResult run(const TempDir& dir, const std::string& arguments) {
  return brindle::testing::run_cli(dir, arguments);
}

using CliAgainstServer = brindle::testing::LoopbackServerTest;

TEST_F(CliAgainstServer, VersionCheckAnswersWithTheServersVersion) {
  const auto result = run(dir_, "--ini " + ini() + " request 13002");
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(result.out.rfind("1|", 0), 0u) << result.out;
  EXPECT_NE(result.out.find("|100\n"), std::string::npos) << result.out;
}

TEST_F(CliAgainstServer, UnansweredSubjectIsTheServersRefusalNotATransportFailure) {
  const auto result = run(dir_, "--ini " + ini() + " --user demo --password x request 4001 '|a|b'");
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_NE(result.out.rfind("1|", 0), 0u) << result.out;
}

TEST_F(CliAgainstServer, SubjectOutsideEveryCategoryFailsWithoutTraffic) {
  const auto result = run(dir_, "--ini " + ini() + " request 1006");
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_TRUE(result.out.empty());
}

TEST_F(CliAgainstServer, UnreachableServerReportsTheTransportsText) {
  server_->stop();
  const auto result = run(dir_, "--ini " + ini() + " request 13002");
  EXPECT_EQ(result.exit_code, 1);
  // The user's words first, libcurl's own account on the transport's log lines.
  EXPECT_NE(result.err.find("无法与服务器建立连接。\n"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("brindle-cli: transport: https://" + host_ +
                            "/betengine/VTServer220.dll?DATA_ACQUIRE: "
                            "Couldn't connect to server"),
            std::string::npos)
      << result.err;
}

TEST_F(CliAgainstServer, AServerOnANewKeyIsRefusedUntilTheUserTrustsItWithItsOwnCommand) {
  ASSERT_EQ(run(dir_, "--ini " + ini() + " request 13002").exit_code, 0);
  EXPECT_NE(read_file(dir_ / "known_keys.txt").find(host_ + " " + server_->key_fingerprint().value()),
            std::string::npos);

  // The same address, another data folder: another self-made certificate, another key.
  const unsigned short port = server_->port();
  server_->stop();
  server_.reset();
  server_ = brindle::testing::start_loopback_server(dir_ / "impostor", port);
  ASSERT_NE(server_, nullptr);
  const std::string key = server_->key_fingerprint().value();

  const auto refused = run(dir_, "--ini " + ini() + " --user demo --password secret request 4001 1");
  EXPECT_EQ(refused.exit_code, 1);
  EXPECT_TRUE(refused.out.empty());
  EXPECT_NE(refused.err.find("brindle-cli trust " + host_ + " " + key), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("没有向服务器 " + host_ + " 发送任何数据"), std::string::npos) << refused.err;

  EXPECT_EQ(run(dir_, "--ini " + ini() + " trust " + host_ + " not-a-key").exit_code, 1);
  const auto trusted = run(dir_, "--ini " + ini() + " trust " + host_ + " " + key);
  ASSERT_EQ(trusted.exit_code, 0) << trusted.err;
  const auto again = run(dir_, "--ini " + ini() + " request 13002");
  EXPECT_EQ(again.exit_code, 0) << again.err;
}

TEST_F(CliAgainstServer, ListFetchWritesCachesThatReadBackTheSameLists) {
  brindle::net::ClientContext context;
  context.program_directory = dir_.path();
  brindle::net::CurlTransport transport;
  brindle::ports::SilentProgress progress;
  std::string error;
  const std::vector<std::string> hosts{"127.0.0.1:1", host_};
  ASSERT_TRUE(brindle::net::server_list_fetch(context, transport, progress, error, hosts)) << error;
  ASSERT_FALSE(context.server_list.empty());
  EXPECT_EQ(context.server_list.front().text, host_);

  const auto cached = brindle::net::decode_list_cache(read_file(dir_ / "skin.dat"));
  EXPECT_EQ(cached, context.server_list);
}

// The server in the settings answers the lists, on a port that is none of the built-in entry points.
TEST_F(CliAgainstServer, ListsFetchAsksTheConfiguredServerFirst) {
  const auto result = run(dir_, "--ini " + ini() + " lists fetch");
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(result.out, "server list: 1 entries\nproxy list: 0 entries\n");
  EXPECT_EQ(brindle::net::decode_list_cache(read_file(dir_ / "skin.dat")).front().text, host_);
}

}  // namespace
