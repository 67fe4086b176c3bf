// A new client version on the reference server, installed by the real brindle-upgrader: the server
// offers version 101 from a release folder signed by `brindle-server sign-release`, the client at
// version 100 hands over, and its next start completes the upgrade.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "core/app/startup_flow.h"
#include "core/app/upgrade_log.h"
#include "core/net/client_context.h"
#include "core/net/curl_transport.h"
#include "core/net/server_keys.h"
#include "core/net/settings.h"
#include "core/net/version_check.h"
#include "core/ports/message_port.h"
#include "core/ports/progress_sink.h"
#include "server/server.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using brindle::testing::read_file;
using brindle::testing::write_file;

// A client that only notes that it was started, with the version it stands for.
std::string client_script(const std::string& version) {
  return "#!/bin/sh\necho " + version + " >> \"$(dirname \"$0\")/started\"\n";
}

void write_program(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  write_file(path, text);
  fs::permissions(path, static_cast<fs::perms>(0755));
}

struct NoQuestions final : brindle::ports::MessagePort {
  int show_message(const std::string&, bool) override { return cancel; }
};

class UpgradeAgainstServer : public ::testing::Test {
 protected:
  void SetUp() override {
    // Version 101: a new client and skin file, and the upgrader itself.
    write_program(release() / "brindle", client_script("101"));
    write_file((fs::create_directories(release() / "skin"), release() / "skin" / "theme.ini"), "theme 101");
    fs::copy_file(BRINDLE_UPGRADER_PATH, release() / "brindle-upgrader");
    // The operator's key is the test key the upgrader under test was built with.
    fs::create_directories(data());
    fs::copy_file(BRINDLE_TEST_KEY_DIR "/test_release_key.pem", data() / "release-signing.key");
    fs::permissions(data() / "release-signing.key", static_cast<fs::perms>(0600));
    ASSERT_EQ(
        server_command(" sign-release --data-dir " + data().string() + " " + release().string() + " 101"), 0)
        << read_file(dir_ / "printed");

    brindle::server::ServerOptions options;
    options.data_dir = data();
    options.market.run_feed = false;
    options.config.version = 101;
    options.config.release_dir = release();
    auto started = brindle::server::Server::start(std::move(options));
    ASSERT_TRUE(started) << started.error();
    server_ = std::move(started).value();

    // The installed client at version 100.
    write_program(client() / "brindle", client_script("100"));
    fs::copy_file(BRINDLE_UPGRADER_PATH, client() / "brindle-upgrader");
    write_file(client() / "Vantora.ini", "[SYSTEM]\r\nVersion=100\r\n");
    context_.program_directory = client();
    context_.current_server = "127.0.0.1:" + std::to_string(server_->port());
  }

  fs::path release() const { return dir_ / "release"; }
  fs::path data() const { return dir_ / "server"; }
  fs::path client() const { return dir_ / "client"; }

  int server_command(const std::string& words) {
    const std::string command =
        std::string(BRINDLE_SERVER_PATH) + words + " >" + (dir_ / "printed").string() + " 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // The version step of start-up: the check, and the command line it hands to the upgrader, run
  // here to its end. The exit code, and what it printed in upgrader_output().
  int hand_over() {
    brindle::net::VersionCheckResult versions;
    std::string error;
    EXPECT_TRUE(brindle::net::version_check(context_, transport_, progress_, versions, error)) << error;
    EXPECT_EQ(versions.local_version, 100);
    EXPECT_EQ(versions.server_version, 101);
    fs::remove(client() / "started");
    const auto launch = brindle::app::upgrader_launch(context_);
    const std::string command =
        "'" + launch.program + "' '" + launch.argument + "' >" + upgrader_output().string() + " 2>&1";
    const int status = std::system(command.c_str());
    // The upgrader starts the client again, detached.
    for (int i = 0; i < 100 && !fs::exists(client() / "started"); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // The next start's upgrade completion, as start-up runs it.
  bool next_start() {
    brindle::app::UpgradeLog log(client());
    NoQuestions messages;
    if (!brindle::app::complete_pending_upgrade(log, messages)) return false;
    return brindle::net::write_settings_version(context_, log.contents.header.version);
  }

  int recorded_version() {
    brindle::net::VersionCheckResult versions;
    std::string error;
    EXPECT_TRUE(brindle::net::version_check(context_, transport_, progress_, versions, error)) << error;
    return versions.local_version;
  }

  fs::path upgrader_output() const { return dir_ / "upgrader.txt"; }

  brindle::testing::TempDir dir_;
  std::unique_ptr<brindle::server::Server> server_;
  brindle::net::ClientContext context_;
  brindle::net::CurlTransport transport_;
  brindle::ports::SilentProgress progress_;
};

}  // namespace

TEST_F(UpgradeAgainstServer, TheUpgraderInstallsAndTheNextStartRecordsTheVersion) {
  ASSERT_EQ(hand_over(), 0) << read_file(upgrader_output());
  EXPECT_EQ(read_file(client() / "started"), "101\n");  // the new client, started again
  EXPECT_EQ(read_file(client() / "skin" / "theme.ini"), "theme 101");
  EXPECT_TRUE(fs::exists(client() / "upgrade" / "brindle-upgrader"));  // left for the client

  EXPECT_TRUE(next_start());
  EXPECT_EQ(read_file(client() / "brindle-upgrader"), read_file(release() / "brindle-upgrader"));
  EXPECT_EQ(fs::status(client() / "brindle-upgrader").permissions() & fs::perms::owner_exec,
            fs::perms::owner_exec);
  EXPECT_EQ(read_file(client() / "upgrade" / "upgrade.log").substr(0, 6), "1|101|");
  EXPECT_EQ(recorded_version(), 101);
}

TEST_F(UpgradeAgainstServer, AnInterruptedDownloadCarriesOnWhereItStopped) {
  // The theme is not there during the first run, as when the connection drops before it.
  fs::rename(release() / "skin" / "theme.ini", dir_ / "theme.ini");
  EXPECT_EQ(hand_over(), 1);
  EXPECT_NE(read_file(upgrader_output()).find("无法下载 theme.ini"), std::string::npos)
      << read_file(upgrader_output());
  EXPECT_EQ(read_file(client() / "started"), "101\n");
  EXPECT_FALSE(next_start());
  EXPECT_EQ(recorded_version(), 100);
  EXPECT_TRUE(brindle::app::take_upgrade_failure(client()));

  // The client is done: changed on the server now, it would be refused if it were fetched again.
  fs::rename(dir_ / "theme.ini", release() / "skin" / "theme.ini");
  write_program(release() / "brindle", client_script("102"));
  ASSERT_EQ(hand_over(), 0) << read_file(upgrader_output());
  EXPECT_EQ(read_file(client() / "skin" / "theme.ini"), "theme 101");
  EXPECT_TRUE(next_start());
  EXPECT_EQ(recorded_version(), 101);
}

TEST_F(UpgradeAgainstServer, ACorruptedFileIsRefusedAndTheClientSaysWhy) {
  write_file(release() / "skin" / "theme.ini", "theme 10!");
  EXPECT_EQ(hand_over(), 1);
  EXPECT_FALSE(fs::exists(client() / "skin" / "theme.ini"));
  EXPECT_FALSE(fs::exists(client() / "upgrade" / "theme.ini"));
  EXPECT_FALSE(next_start());
  EXPECT_EQ(recorded_version(), 100);
  EXPECT_EQ(brindle::app::take_upgrade_failure(client()).value_or(""),
            "升级失败：theme.ini 的校验值不符，未安装。");
}

TEST_F(UpgradeAgainstServer, ABadSignatureInstallsNothing) {
  std::string list = read_file(release() / "release.signed");
  list.replace(0, 3, "102");
  write_file(release() / "release.signed", list);
  EXPECT_EQ(hand_over(), 1);
  EXPECT_NE(read_file(upgrader_output()).find("signature does not match"), std::string::npos)
      << read_file(upgrader_output());
  EXPECT_EQ(read_file(client() / "brindle"), client_script("100"));
  EXPECT_FALSE(fs::exists(client() / "skin"));
  EXPECT_FALSE(fs::exists(client() / "upgrade" / "upgrade.log"));
  EXPECT_EQ(read_file(client() / "started"), "100\n");
  EXPECT_NE(brindle::app::take_upgrade_failure(client()).value_or("").find("没有安装任何文件"),
            std::string::npos);
}

TEST_F(UpgradeAgainstServer, AServerOnAnotherKeyThanTheClientHoldsIsRefusedAndNothingInstalled) {
  const std::string server = "127.0.0.1:" + std::to_string(server_->port());
  write_file(client() / "known_keys.txt", std::string(brindle::net::kKnownKeysHeader) + "\n" + server +
                                              " 47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU=\n");
  EXPECT_EQ(hand_over(), 1);
  EXPECT_NE(read_file(upgrader_output()).find("出示的证书密钥与上次记住的不同"), std::string::npos)
      << read_file(upgrader_output());
  EXPECT_EQ(read_file(client() / "brindle"), client_script("100"));
  EXPECT_FALSE(fs::exists(client() / "upgrade" / "upgrade.log"));
  EXPECT_NE(brindle::app::take_upgrade_failure(client()).value_or("").find(server), std::string::npos);
}
