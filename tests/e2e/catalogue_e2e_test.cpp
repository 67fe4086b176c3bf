// brindle-cli call against the reference server on loopback, for the subjects it serves.

#include <gtest/gtest.h>

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

#include "loopback_server.h"

namespace {

using nlohmann::json;

struct CallResult {
  int exit_code = -1;
  json out;
  std::string err;
};

class CatalogueAgainstServer : public brindle::testing::LoopbackServerTest {
 protected:
  // A funded member, added through the server's own admin command.
  void add_member() {
    const std::string data = (dir_ / "server").string();
    const std::string server = BRINDLE_SERVER_PATH;
    ASSERT_EQ(
        std::system((server + " add-user --data-dir " + data + " member pw1234 --currency 1 >/dev/null 2>&1")
                        .c_str()),
        0);
    ASSERT_EQ(std::system((server + " credit --data-dir " + data + " member 1000 >/dev/null 2>&1").c_str()),
              0);
    user_ = "--user member --password pw1234";
  }

  CallResult call(const std::string& arguments) {
    const auto run = brindle::testing::run_cli(dir_, "--ini " + ini() + " " + user_ + " call " + arguments);
    CallResult r;
    r.exit_code = run.exit_code;
    r.err = run.err;
    if (!run.out.empty()) r.out = json::parse(run.out);
    return r;
  }

  std::string user_ = "--user nobody --password x";
};

TEST_F(CatalogueAgainstServer, VersionCheckGivesTheServersVersion) {
  const auto r = call("version");
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(r.out["ok"].get<bool>());
  EXPECT_EQ(r.out["subject_id"], 13002);
  EXPECT_GT(r.out["server_version"].get<int>(), 0);
}

TEST_F(CatalogueAgainstServer, InformationTextsLandInTheClientContext) {
  const auto latest = call("latest-information");
  ASSERT_EQ(latest.exit_code, 0) << latest.err;
  EXPECT_TRUE(latest.out["ok"].get<bool>());
  const auto second = call("second-information");
  ASSERT_EQ(second.exit_code, 0) << second.err;
  EXPECT_TRUE(second.out["ok"].get<bool>());
  EXPECT_EQ(second.out["subject_id"], 1005);
}

TEST_F(CatalogueAgainstServer, AnUnknownUserIsRefusedInTheServersWords) {
  const auto r = call("balance");
  EXPECT_EQ(r.exit_code, 1) << r.err;
  EXPECT_FALSE(r.out["ok"].get<bool>());
  EXPECT_FALSE(r.out["message"].get<std::string>().empty());
}

TEST_F(CatalogueAgainstServer, OperationsThatNeedTheContextNumbersSignInFirst) {
  // An unknown user cannot sign in: the market list is never asked for.
  const auto r = call("market-list 3");
  EXPECT_EQ(r.exit_code, 1) << r.err;
  EXPECT_FALSE(r.out["ok"].get<bool>());
  EXPECT_FALSE(r.out.contains("matches"));
}

TEST_F(CatalogueAgainstServer, SignedInMemberRunsTheQueriesTheServerServes) {
  add_member();
  const auto login = call("login");
  ASSERT_EQ(login.exit_code, 0) << login.err << login.out.dump();
  for (const char* operation :
       {"balance", "account-status", "market-list 0", "market-list 3", "market-list -1",
        "asian-handicap-list", "outright-list", "unsettled-single-bets", "unsettled-parlays",
        "unsettled-outrights", "statement 20240101000000 20240106235959", "web-token", "member-details"}) {
    const auto r = call(operation);
    EXPECT_EQ(r.exit_code, 0) << operation << ": " << r.err << r.out.dump();
    EXPECT_TRUE(r.out.value("ok", false)) << operation << ": " << r.out.dump();
  }
}

TEST_F(CatalogueAgainstServer, BalanceReportsTheCreditedFigures) {
  add_member();
  const auto r = call("balance");
  ASSERT_EQ(r.exit_code, 0) << r.err << r.out.dump();
  EXPECT_DOUBLE_EQ(r.out["balance"]["balance"].get<double>(), 1000);
  EXPECT_EQ(r.out["balance"]["currency_code"], 1);
}

}  // namespace
