#include "seeded_market.h"

#include <sys/wait.h>

#include <cstdlib>
#include <utility>

#include "core/net/login_request.h"
#include "core/net/network_card_address.h"
#include "server/market/market.h"
#include "support/postgresql_schema.h"

namespace brindle::testing {

wire::CivilDateTime civil(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

protocol::DateRange around_now() {
  const std::time_t now = std::time(nullptr);
  return {civil(now - 86400), civil(now + 86400)};
}

bool SeededMarketTest::start_server(bool run_feed, const std::string& skip_note) {
  seed_and_start(run_feed, skip_note);
  return !IsSkipped() && !HasFatalFailure();
}

void SeededMarketTest::seed_and_start(bool run_feed, const std::string& skip_note) {
  if (!run_server_command(" seed --data-dir " + data().string(), seed_output())) {
    // A database that cannot be seeded is a failure of the run that asked for it.
    if (testing::on_postgresql()) FAIL() << read_file(seed_output());
    GTEST_SKIP() << skip_note << read_file(seed_output());
  }
  server::ServerOptions options;
  options.data_dir = data();
  options.market.run_feed = run_feed;
  auto started = server::Server::start(std::move(options));
  ASSERT_TRUE(started) << started.error();
  server_ = std::move(started).value();
  if (!run_feed) {
    ASSERT_TRUE(server_->services().market->tick().ok());
  }
  context_.program_directory = dir_.path();
  context_.current_server = "127.0.0.1:" + std::to_string(server_->port());
}

bool SeededMarketTest::start_signed_in(bool run_feed) {
  if (!start_server(run_feed)) return false;
  if (sign_in("demo_rmb", "rmb12345")) return true;
  ADD_FAILURE() << error_;
  return false;
}

bool SeededMarketTest::sign_in(const std::string& user_name, const std::string& password) {
  net::LoginReply reply;
  return net::login_request(context_, transport_, progress_, user_name, password,
                            net::kLoginRequestModeMember, net::network_card_address(), reply, error_);
}

bool SeededMarketTest::sign_in(SeededClient& client, const std::string& user_name,
                               const std::string& password) {
  client.context.program_directory = dir_.path();
  client.context.current_server = context_.current_server;
  net::LoginReply reply;
  return net::login_request(client.context, client.transport, client.progress, user_name, password,
                            net::kLoginRequestModeMember, net::network_card_address(), reply, error_);
}

bool SeededMarketTest::run_server_command(const std::string& words, const std::filesystem::path& printed) {
  const std::string command = std::string(BRINDLE_SERVER_PATH) + words + " >" + printed.string() + " 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace brindle::testing
