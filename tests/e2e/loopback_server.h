// The reference server started in-process on loopback over a data folder of its own, and the
// client's settings file naming it, for the tests that drive the built brindle-cli against it.

#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>

#include "cli_run.h"
#include "server/server.h"
#include "support/temp_dir.h"

namespace brindle::testing {

// The settings file at `ini` with `host` ("127.0.0.1:port") as the client's one server.
inline void write_cli_settings(const std::filesystem::path& ini, const std::string& host) {
  write_file(ini, "[SERVER]\r\nCurrent Server=" + host + "\r\nServer Count=1\r\nServer0=" + host + "\r\n");
}

// The server over `data`, or a fatal failure and null.
inline std::unique_ptr<server::Server> start_loopback_server(const std::filesystem::path& data,
                                                             unsigned short port = 0) {
  server::ServerOptions options;
  options.port = port;
  options.data_dir = data;
  auto started = server::Server::start(std::move(options));
  EXPECT_TRUE(started) << started.error();
  return started ? std::move(started).value() : nullptr;
}

class LoopbackServerTest : public ::testing::Test {
 protected:
  // A server with no accounts but the ones a test adds, and the settings file naming it.
  void SetUp() override {
    server_ = start_loopback_server(dir_ / "server");
    ASSERT_NE(server_, nullptr);
    host_ = "127.0.0.1:" + std::to_string(server_->port());
    write_cli_settings(ini(), host_);
  }

  std::string ini() const { return (dir_ / "Vantora.ini").string(); }

  TempDir dir_;
  std::unique_ptr<server::Server> server_;
  std::string host_;
};

}  // namespace brindle::testing
